#pragma once

// File: pocket/icq/icq_page.h
// The ICQ page's menu commands (menu resource 104, "ICQ" and "ICQUSER"),
// dispatched by number to the messenger. Commands that need a dialog first
// (add contact, broadcast, contact information) ask the page's dialogs and
// pass what they return on. The page also takes message 5033, posted when
// the options changed the ICQ account: it asks whether to log in with it.
// Window thread only.

#include "platform/event_loop.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/settings/pda_settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::icq {

// A message to several contacts ("동보메세지보내기").
struct BroadcastRequest {
    std::vector<std::string> numbers;
    std::string text;
};

// The dialogs of the page's own commands; nothing means cancelled.
class IcqPageDialogs {
public:
    virtual ~IcqPageDialogs() = default;
    // The add dialog: the ICQ number typed.
    virtual std::optional<std::string> askContactNumber() = 0;
    // The broadcast dialog over the contact list.
    virtual std::optional<BroadcastRequest> askBroadcast(const ContactList& contacts) = 0;
    // The contact information dialog (129).
    virtual void showContactInfo(const ContactInfo& info) = 0;
};

class IcqPage final : public platform::MessageTarget {
public:
    // "ICQ사용자 정보가 변경되었습니다. \n로그인 하시겠습니까?"; OK connects.
    static constexpr int kMsgAccountChanged = 5033;

    // Without dialogs the commands that need one are not in the table.
    IcqPage(IcqMessenger& messenger, const settings::PdaSettings& settings, IcqPageDialogs* dialogs = nullptr);

    // Runs a menu command; `selected` is the ICQ number of the contact the
    // contact menu belongs to. False for commands this table does not hold.
    bool onCommand(int commandId, std::string_view selected);

    // 5033 (asked only while ICQ is enabled in the options).
    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    struct Entry {
        int id;
        void (*run)(IcqPage& page, std::string_view selected);
    };
    static const Entry kCommands[];

    static const Entry kDialogCommands[];

    IcqMessenger& m_messenger;
    const settings::PdaSettings& m_settings;
    IcqPageDialogs* m_dialogs;
};

} // namespace pocket::icq
