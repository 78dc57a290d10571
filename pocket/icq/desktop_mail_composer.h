#pragma once

// File: pocket/icq/desktop_mail_composer.h
// The device's mail composer on Linux: the desktop's mail program, started
// with xdg-email and left running on its own.

#include "pocket/icq/device_ports.h"

namespace pocket::icq {

class DesktopMailComposer final : public MailComposer {
public:
    void compose(std::string_view address) override;
};

} // namespace pocket::icq
