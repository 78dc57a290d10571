#include "pocket/icq/icq_page.h"

namespace pocket::icq {

IcqPage::IcqPage(IcqMessenger& messenger, const settings::PdaSettings& settings, IcqPageDialogs* dialogs)
    : m_messenger(messenger)
    , m_settings(settings)
    , m_dialogs(dialogs)
{
}

const IcqPage::Entry IcqPage::kCommands[] = {
    { command::kConnect,
        [](IcqPage& page, std::string_view) {
            page.m_messenger.connect(page.m_settings.icqId, page.m_settings.icqPassword);
        } },
    { command::kLogout, [](IcqPage& page, std::string_view) { page.m_messenger.logout(); } },
    { command::kOpenMessageWindow,
        [](IcqPage& page, std::string_view number) { page.m_messenger.openMessageWindow(number); } },
    { command::kEmail, [](IcqPage& page, std::string_view number) { page.m_messenger.emailContact(number); } },
    { command::kDeleteContact, [](IcqPage& page, std::string_view number) { page.m_messenger.deleteContact(number); } },
    { command::kPenMessage, [](IcqPage& page, std::string_view number) { page.m_messenger.penToContact(number); } },
    { command::kCopyAllToDevice, [](IcqPage& page, std::string_view) { page.m_messenger.copyAllToDevice(); } },
    { command::kCopyToDevice, [](IcqPage& page, std::string_view number) { page.m_messenger.copyToDevice(number); } },
};

const IcqPage::Entry IcqPage::kDialogCommands[] = {
    { command::kAddContact,
        [](IcqPage& page, std::string_view) {
            if (auto number = page.m_dialogs->askContactNumber())
                page.m_messenger.addFromDialog(*number);
        } },
    { command::kBroadcast,
        [](IcqPage& page, std::string_view) {
            if (auto request = page.m_dialogs->askBroadcast(page.m_messenger.contacts()))
                page.m_messenger.broadcast(request->numbers, request->text);
        } },
    { command::kContactInfo,
        [](IcqPage& page, std::string_view number) {
            if (auto info = page.m_messenger.contactInfo(number))
                page.m_dialogs->showContactInfo(*info);
        } },
};

bool IcqPage::onCommand(int commandId, std::string_view selected)
{
    if (auto status = statusOfCommand(commandId)) {
        m_messenger.setOwnStatus(*status);
        return true;
    }
    for (const auto& entry : kCommands) {
        if (entry.id == commandId) {
            entry.run(*this, selected);
            return true;
        }
    }
    if (!m_dialogs)
        return false;
    for (const auto& entry : kDialogCommands) {
        if (entry.id == commandId) {
            entry.run(*this, selected);
            return true;
        }
    }
    return false;
}

platform::LResult IcqPage::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg == kMsgAccountChanged && m_settings.icqCheck != 0)
        m_messenger.onAccountChanged(m_settings.icqId, m_settings.icqPassword);
    return 0;
}

} // namespace pocket::icq
