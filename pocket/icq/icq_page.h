#pragma once

// File: pocket/icq/icq_page.h
// The ICQ page's menu commands (menu resource 104, "ICQ" and "ICQUSER"),
// dispatched by number to the messenger. Commands that need a dialog first
// (add contact, broadcast, contact information) are the page's own: its
// dialogs call IcqMessenger::addFromDialog(), broadcast() and contactInfo().
// Window thread only.

#include "pocket/icq/icq_messenger.h"
#include "pocket/settings/pda_settings.h"

#include <string_view>

namespace pocket::icq {

class IcqPage {
public:
    IcqPage(IcqMessenger& messenger, const settings::PdaSettings& settings);

    // Runs a menu command; `selected` is the ICQ number of the contact the
    // contact menu belongs to. False for commands this table does not hold.
    bool onCommand(int commandId, std::string_view selected);

private:
    struct Entry {
        int id;
        void (*run)(IcqPage& page, std::string_view selected);
    };
    static const Entry kCommands[];

    IcqMessenger& m_messenger;
    const settings::PdaSettings& m_settings;
};

} // namespace pocket::icq
