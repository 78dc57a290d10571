#include "pocket/icq/icq_page.h"

namespace pocket::icq {

IcqPage::IcqPage(IcqMessenger& messenger, const settings::PdaSettings& settings)
    : m_messenger(messenger)
    , m_settings(settings)
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
    return false;
}

} // namespace pocket::icq
