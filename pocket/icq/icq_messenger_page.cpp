#include "pocket/icq/icq_messenger.h"

#include "platform/codepage.h"
#include "pocket/icq/contact_file.h"

namespace pocket::icq {

void IcqMessenger::connect(std::string_view icqId, std::string_view password)
{
    m_session.connect(icqId, password);
}

void IcqMessenger::onAccountChanged(std::string_view icqId, std::string_view password)
{
    if (m_ui.question(kIcqTitle, messenger_text::kAccountChanged, platform::Buttons::OkCancel) == platform::Answer::Ok)
        connect(icqId, password);
}

void IcqMessenger::logout()
{
    if (m_ui.question(kIcqTitle, messenger_text::kAskLogout, platform::Buttons::OkCancel) == platform::Answer::Ok)
        m_session.reset();
}

void IcqMessenger::redrawStatusLine()
{
    // Signed off, the line names the configured number: the session's own
    // number is the one of its last sign-on, and there is none before it.
    const auto uin = m_session.ownUin();
    const bool signedOn = m_session.state() != SessionState::Idle && uin != 0;
    const std::string number = signedOn || m_accountNumber.empty() ? (uin == 0 ? std::string() : std::to_string(uin))
                                                                   : m_accountNumber;
    if (number.empty())
        m_page.setStatusLine(messenger_text::kRegisterUser);
    else
        m_page.setStatusLine(number + " (" + std::string(statusText(m_session.ownStatus())) + ")");
    if (auto bitmap = ownStatusBitmap(m_session.ownStatus()))
        m_page.setOwnStatusBitmap(*bitmap);
}

void IcqMessenger::setOwnStatus(std::uint32_t status)
{
    if (!m_session.sendFrame(buildSetStatus(m_session.sequence(), status)))
        return;
    m_session.setOwnStatus(status);
    redrawStatusLine();
}

void IcqMessenger::addContact(std::string_view number)
{
    // A sender's number from the network goes into the local file only as
    // digits, so it can never break the file's "number/" layout.
    if (!isIcqNumber(number)) {
        m_ui.messageBox(kIcqTitle, add_text::kWrongNumber, platform::Icon::Warning);
        return;
    }
    if (m_contacts.find(number)) {
        m_ui.messageBox(kIcqTitle, messenger_text::kAlreadyListed, platform::Icon::Information);
        return;
    }
    IcqContact* contact = m_contacts.add(number);
    if (!contact) {
        m_ui.messageBox(kIcqTitle, messenger_text::kListFull, platform::Icon::Warning);
        return;
    }
    (void)appendContactNumber(m_session.contactFile(), number);
    m_tree.redraw(*contact);
    if (!m_session.isBosReady())
        return;
    if (m_session.sendFrame(buildServerListItem(m_session.sequence(), kServerListAdd, number))
        && m_session.sendFrame(buildAddBuddy(m_session.sequence(), number)))
        requestInfo(number, true);
}

void IcqMessenger::addFromDialog(std::string_view entry)
{
    if (auto problem = checkAddEntry(entry)) {
        m_ui.messageBox(kIcqTitle, *problem, platform::Icon::Warning);
        return;
    }
    addContact(entry);
}

void IcqMessenger::deleteContact(std::string_view number)
{
    const IcqContact* contact = m_contacts.find(number);
    if (!contact)
        return;
    const auto question = withText(messenger_text::kConfirmDelete, contact->displayName());
    if (m_ui.question(kIcqTitle, question, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    removeContact(number);
}

void IcqMessenger::removeContact(std::string_view number)
{
    const std::string removed(number);
    if (IcqContact* contact = m_contacts.find(removed))
        m_tree.remove(*contact);
    m_contacts.remove(removed);
    (void)rewriteContactFile(m_session.contactFile(), m_contacts.numbers());
    (void)m_session.sendFrame(buildServerListItem(m_session.sequence(), kServerListDelete, removed));
}

void IcqMessenger::openMessageWindow(std::string_view number)
{
    auto slot = m_windows.find(number);
    if (!slot) {
        const bool unknown = m_contacts.find(number) == nullptr;
        slot = m_windows.open(number, unknown);
        if (!slot)
            return;
        m_windows.view(*slot)->setTitle(windowTitle(number, unknown));
    }
    m_windows.view(*slot)->bringUp();
}

void IcqMessenger::emailContact(std::string_view number)
{
    const IcqContact* contact = m_contacts.find(number);
    if (!contact || contact->email.empty()) {
        m_ui.messageBox(kIcqTitle, messenger_text::kNoEmail, platform::Icon::Warning);
        return;
    }
    m_mail.compose(contact->email);
}

void IcqMessenger::penToContact(std::string_view number)
{
    const IcqContact* contact = m_contacts.find(number);
    if (!contact || !m_pen)
        return;
    if (contact->isOffline()) {
        m_ui.messageBox("Quillon", pen_text::kOfflinePeer, platform::Icon::Warning);
        return;
    }
    m_pen->openEditor(number, std::to_string(m_session.ownUin()));
}

void IcqMessenger::copy(const IcqContact& contact)
{
    DeviceContact values;
    values.email = contact.email;
    values.network = std::string(kIcqTitle);
    values.firstName = contact.firstName;
    values.lastName = contact.lastName;
    // Without names (a server that never answered the look-up) the contact
    // is named by its nick, or its number.
    if (values.firstName.empty() && values.lastName.empty())
        values.firstName = contact.displayName();
    values.displayFirst = values.firstName;
    values.displayLast = contact.lastName;
    (void)m_deviceContacts.addContact(values);
}

void IcqMessenger::copyAllToDevice()
{
    for (const auto& contact : m_contacts)
        copy(contact);
    m_ui.messageBox(kIcqTitle, messenger_text::kCopiedToDevice, platform::Icon::Information);
}

void IcqMessenger::copyToDevice(std::string_view number)
{
    const IcqContact* contact = m_contacts.find(number);
    if (!contact)
        return;
    copy(*contact);
    m_ui.messageBox(kIcqTitle, messenger_text::kCopiedToDevice, platform::Icon::Information);
}

void IcqMessenger::broadcast(const std::vector<std::string>& numbers, std::string_view text)
{
    if (numbers.empty()) {
        m_ui.messageBox(kIcqTitle, messenger_text::kChooseRecipients, platform::Icon::Warning);
        return;
    }
    if (text.empty()) {
        m_ui.messageBox(kIcqTitle, messenger_text::kEnterMessage, platform::Icon::Warning);
        return;
    }
    const auto wire = toWire(platform::cutCodePoints(text, kMaxBroadcastChars));
    const auto cut = wire.substr(0, kMaxBroadcastBytes);
    for (const auto& number : numbers) {
        if (!sendText(number, cut))
            return; // The session was reset.
    }
}

std::optional<ContactInfo> IcqMessenger::contactInfo(std::string_view number) const
{
    const IcqContact* contact = m_contacts.find(number);
    if (!contact)
        return std::nullopt;
    return ContactInfo { "ICQ - " + contact->number, "Nick : " + contact->displayName(), contact->email,
        std::string(statusText(contact->status)), contact->firstName, contact->lastName };
}

std::string IcqMessenger::ownName() const
{
    return m_ownNick.empty() ? std::to_string(m_session.ownUin()) : m_ownNick;
}

void IcqMessenger::onWindowSend(int slot, std::string_view input)
{
    MessageWindowView* view = m_windows.view(slot);
    if (!view)
        return;
    const std::string text(platform::cutCodePoints(input, kMaxInputChars));
    if (text.empty()) {
        view->focusInput();
        return;
    }
    view->appendLog("\r\n" + ownName() + " : " + text);
    const std::string number = m_windows.number(slot);
    const IcqContact* contact = m_contacts.find(number);
    if (!contact) {
        view->appendLog(messenger_text::kCannotFindUser);
        return;
    }
    if (contact->isOffline())
        view->appendLog(messenger_text::kOfflineNotice);
    if (sendText(number, toWire(text)))
        view->clearInput();
}

void IcqMessenger::onWindowAdd(int slot)
{
    if (!m_windows.view(slot))
        return;
    const std::string number = m_windows.number(slot);
    if (m_contacts.find(number)) {
        m_ui.messageBox(kIcqTitle, messenger_text::kListedUser, platform::Icon::Information);
        return;
    }
    if (m_ui.question(kIcqTitle, withText(messenger_text::kAskAdd, number), platform::Buttons::OkCancel)
        != platform::Answer::Ok)
        return;
    addContact(number);
    if (m_contacts.find(number)) {
        m_windows.setUnknownSender(slot, false);
        m_windows.view(slot)->setTitle(windowTitle(number, false));
    }
}

void IcqMessenger::onWindowLogFull(int slot)
{
    MessageWindowView* view = m_windows.view(slot);
    if (view && m_ui.question(kIcqTitle, messenger_text::kLogFull, platform::Buttons::OkCancel) == platform::Answer::Ok)
        view->clearLog();
}

void IcqMessenger::onWindowPen(int slot)
{
    MessageWindowView* view = m_windows.view(slot);
    if (!view || !m_pen)
        return;
    if (m_pen->isEditorOpen()) {
        m_ui.messageBox(kIcqTitle, pen_text::kAlreadyWriting, platform::Icon::Warning);
        return;
    }
    const std::string number = m_windows.number(slot);
    const IcqContact* contact = m_contacts.find(number);
    if (!contact || contact->isOffline())
        view->appendLog(messenger_text::kOfflineNotice);
    m_pen->openEditor(number, std::to_string(m_session.ownUin()));
}

void IcqMessenger::onWindowClosed(int slot)
{
    m_windows.closed(slot);
}

} // namespace pocket::icq
