#pragma once

// File: apps/quillon-pocket/console_discover.h
// The console's "discover [N]": without a number, lists the PCs that
// announce themselves on the network ("N. name  address:port  fingerprint");
// with one, picks PC N of the last list: its address and port become the
// PC settings (as "option SEVER_IP ... PC_PORT ..." would store them) and
// its fingerprint is pinned (pocket/link/pc_finder.h).

#include "pocket/link/pc_finder.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::app {
class Handheld;
}

namespace apps::pocket {

class ConsoleDiscover {
public:
    ConsoleDiscover(::pocket::app::Handheld& handheld, platform::Ui& ui, std::ostream& out, std::ostream& err);

    void execute(const std::string& arguments);

private:
    void list();
    void pick(std::size_t number);

    ::pocket::app::Handheld& m_handheld;
    platform::Ui& m_ui;
    std::ostream& m_out;
    std::ostream& m_err;
    std::vector<::pocket::link::FoundPc> m_last;
};

} // namespace apps::pocket
