#pragma once

// File: gui/pocket/pocket_messengers.h
// The MSN and ICQ parts of the handheld window: the sessions, their pages
// over the main dialog's trees 1002 and 1003, and the routes of their window
// messages through the main dialog (the MSN session's 4027, 4030 and 4031 to
// the MSN page, the ICQ link's 5025 and 5026 to the ICQ session). The
// dispatch hosts are the registry values "MSN_SERVER" and "ICQ_SERVER" under
// "Software\Quillon", as HOST or HOST:PORT (this machine when absent: the
// public services are gone). Pen messages travel over ICQ through its pen
// carriage, with the composer window of gui/ink. GUI thread only.

#include <filesystem>
#include <memory>
#include <string>

namespace platform {
class Clock;
class EventLoop;
class Registry;
class Ui;
}

namespace pocket::app {
class FrameRouter;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::msn {
class MsnSession;
}

namespace pocket::icq {
class IcqSession;
class IcqMessenger;
}

namespace pocket::ink {
class PenInbox;
}

namespace gui::handheld {

class QtIcqTree;
class QtMainDialog;
class QtMsnTree;

constexpr const char* kMsnServerValue = "MSN_SERVER";
constexpr const char* kIcqServerValue = "ICQ_SERVER";

class PocketMessengers {
public:
    // Received pen messages go to `inbox`, which opens their viewers.
    PocketMessengers(platform::EventLoop& loop, platform::Clock& clock, platform::Ui& ui,
        platform::Registry& registry, ::pocket::settings::PdaSettings& settings, std::filesystem::path deviceRoot,
        QtMainDialog& dialog, ::pocket::ink::PenInbox& inbox);
    ~PocketMessengers();

    // Builds the sessions, routes their messages through the main dialog and
    // draws the pages' first look. Runs once, after the settings are loaded.
    void prepare(::pocket::app::FrameRouter& router);
    void setCodePage(const std::string& codePage);
    // At exit: MSN logs out, ICQ is reset.
    void close();

    // What the options sheet changes.
    void setMsnStatusLine(const std::string& text);
    void signOutMsn();
    void resetIcq();

    bool isPrepared() const { return m_prepared; }
    ::pocket::msn::MsnSession* msnSession();
    ::pocket::icq::IcqSession* icqSession();
    ::pocket::icq::IcqMessenger* icqMessenger();
    // The pages' views, whose menus run the pages' commands.
    QtMsnTree* msnTree();
    QtIcqTree* icqTree();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
    bool m_prepared = false;
};

} // namespace gui::handheld
