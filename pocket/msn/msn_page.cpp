#include "pocket/msn/msn_page.h"

#include "platform/process.h"

#include <optional>
#include <utility>

namespace pocket::msn {

namespace {

    constexpr std::string_view kTitle = "MSN";

    // A line break typed into an entry would end the command early and start
    // another one of the user's making.
    std::string oneLine(std::string text)
    {
        std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
        return text;
    }

    TreeRoot rootFor(MsnStatusCode code)
    {
        return code > 0 ? TreeRoot::Online : TreeRoot::Offline;
    }

    // The status menu's commands and the status each one takes.
    std::optional<MsnStatusCode> statusOfCommand(int commandId)
    {
        static constexpr std::pair<int, MsnStatusCode> kCommands[] = { { command::kOnline, status::kOnline },
            { command::kBusy, status::kBusy }, { command::kBeRightBack, status::kBeRightBack },
            { command::kAway, status::kAway }, { command::kOnPhone, status::kOnPhone },
            { command::kAtLunch, status::kAtLunch }, { command::kAppearOffline, status::kHidden } };
        for (const auto& [id, code] : kCommands)
            if (id == commandId)
                return code;
        return std::nullopt;
    }

} // namespace

void XdgMailLauncher::composeTo(std::string_view email)
{
    (void)platform::launchDetached({ "xdg-email", std::string(email) });
}

PageMenuState pageMenuState(MsnStatusCode ownStatus)
{
    PageMenuState state;
    if (ownStatus < 0)
        return state;
    state.loginEnabled = false;
    state.logoutEnabled = state.addEnabled = state.renameEnabled = true;
    state.copyAllEnabled = state.statusMenuEnabled = true;
    switch (ownStatus) {
    case status::kHidden:
        state.checkedStatusCommand = command::kAppearOffline;
        break;
    case status::kOnline:
        state.checkedStatusCommand = command::kOnline;
        break;
    case status::kBeRightBack:
        state.checkedStatusCommand = command::kBeRightBack;
        break;
    case status::kBusy:
        state.checkedStatusCommand = command::kBusy;
        break;
    case status::kAway:
    case status::kIdle:
        state.checkedStatusCommand = command::kAway;
        break;
    case status::kOnPhone:
        state.checkedStatusCommand = command::kOnPhone;
        break;
    case status::kAtLunch:
        state.checkedStatusCommand = command::kAtLunch;
        break;
    default:
        break;
    }
    return state;
}

bool canChatWith(MsnStatusCode code)
{
    return code != status::kHidden && code != status::kOffline && code != status::kBlocked
        && code != status::kUnknown;
}

std::string itemText(const MsnContact& contact, bool inserted)
{
    if (contact.status <= 0)
        return contact.name;
    return contact.name + (inserted ? " (" : "(") + std::string(treeStatusText(contact.status)) + ")";
}

std::string initialStatusLine(std::string_view loginId)
{
    if (loginId.empty())
        return std::string(page_text::kNoAccount);
    return std::string(loginId) + " (오프라인)";
}

MsnPage::MsnPage(MsnSession& session, MsnPageView& view, platform::Ui& ui, platform::EventLoop& loop,
    device::ContactStore& contacts, MailLauncher& mail)
    : m_session(session)
    , m_view(view)
    , m_ui(ui)
    , m_loop(loop)
    , m_store(contacts)
    , m_mail(mail)
{
}

void MsnPage::initialise()
{
    m_view.resetTree();
    m_roots.clear();
    m_view.setStatusLine(initialStatusLine(m_session.account().loginId));
    m_view.setStatusBitmap(statusBitmap(status::kOffline));
}

platform::LResult MsnPage::onMessage(int message, platform::WParam wParam, platform::LParam lParam)
{
    switch (message) {
    case msg::kRedraw:
        if (lParam == msg::kReset)
            reset();
        else if (wParam == msg::kRedrawStatusLine)
            redrawStatusLine();
        else
            redrawContact(static_cast<int>(wParam));
        return 0;
    case msg::kDeleteContact:
        deleteContact(static_cast<int>(wParam));
        return 0;
    case msg::kCopyToContacts:
        copyContact(static_cast<int>(lParam));
        return 0;
    default:
        return 0;
    }
}

void MsnPage::redrawContact(int index)
{
    auto& table = m_session.contacts();
    if (!table.isValid(index))
        return;
    auto& contact = table.at(index);
    int image = treeImageIndex(contact.status);
    TreeRoot wanted = rootFor(contact.status);
    if (contact.item != 0) {
        auto found = m_roots.find(contact.item);
        if (found != m_roots.end() && found->second == wanted) {
            m_view.updateItem(contact.item, itemText(contact, false), image);
            m_view.contactChanged(contact);
            return;
        }
        m_view.deleteItem(contact.item);
        m_roots.erase(contact.item);
    }
    contact.item = m_view.insertItem(wanted, itemText(contact, true), image);
    m_roots[contact.item] = wanted;
    m_view.contactChanged(contact);
}

void MsnPage::redrawStatusLine()
{
    MsnStatusCode own = m_session.ownStatus();
    m_view.setStatusLine(m_session.ownName() + " (" + std::string(treeStatusText(own)) + ")");
    m_view.setStatusBitmap(statusBitmap(own));
}

void MsnPage::reset()
{
    m_view.resetTree();
    m_roots.clear();
    m_view.setStatusLine(m_session.account().loginId + " (오프라인)");
    m_view.setStatusBitmap(statusBitmap(status::kOffline));
}

void MsnPage::deleteContact(int index)
{
    auto& table = m_session.contacts();
    if (!table.isValid(index))
        return;
    if (TreeItem item = table.at(index).item) {
        m_view.deleteItem(item);
        m_roots.erase(item);
    }
    table.clearRecord(index);
}

void MsnPage::copyContact(int index)
{
    const auto& table = m_session.contacts();
    if (!table.isValid(index))
        return;
    const auto& contact = table.at(index);
    if (!m_store.addContacts({ { contact.email, contact.name, "", contact.name, "" } }, kTitle))
        return;
    m_ui.messageBox(kTitle, page_text::kCopied, platform::Icon::Information);
}

int MsnPage::selectedContact() const
{
    return m_session.contacts().findByItem(m_view.selectedItem());
}

void MsnPage::sendStatus(MsnStatusCode code)
{
    m_session.sendCommand(
        "CHG " + std::to_string(m_session.transactionId()) + " " + std::string(wordForStatus(code)) + "\r\n");
}

void MsnPage::copyAllToContacts()
{
    std::vector<device::ContactValues> all;
    const auto& table = m_session.contacts();
    for (int i = 0; i < table.size(); ++i)
        if (!table.at(i).email.empty())
            all.push_back({ table.at(i).email, table.at(i).name, "", table.at(i).name, "" });
    if (m_store.addContacts(all, kTitle))
        m_ui.messageBox(kTitle, page_text::kCopied, platform::Icon::Information);
}

void MsnPage::onCommand(int commandId)
{
    int selected = selectedContact();
    if (auto code = statusOfCommand(commandId)) {
        sendStatus(*code);
        return;
    }
    switch (commandId) {
    case command::kLogin:
        if (m_session.connect())
            m_view.removePlaceholders();
        return;
    case command::kLogout:
        m_session.logout();
        return;
    case command::kAddContact:
        addContact();
        return;
    case command::kRename:
        rename();
        return;
    case command::kCopyAll:
        copyAllToContacts();
        return;
    default:
        break;
    }

    // The contact menu's commands need a selected contact.
    if (selected < 0) {
        if (commandId == command::kChat || commandId == command::kInfo || commandId == command::kPenMessage)
            m_ui.messageBox(kTitle, page_text::kNoItem, platform::Icon::Warning);
        return;
    }
    const auto& contact = m_session.contacts().at(selected);
    switch (commandId) {
    case command::kChat:
        if (m_chats)
            m_chats->openChatWith(selected);
        return;
    case command::kPenMessage:
        if (m_chats)
            m_chats->sendPenMessageTo(selected);
        return;
    case command::kMail:
        if (contact.email.empty())
            m_ui.messageBox(kTitle, page_text::kNoEmail, platform::Icon::Warning);
        else
            m_mail.composeTo(contact.email);
        return;
    case command::kDelete:
        confirmDelete(selected);
        return;
    case command::kInfo:
        m_view.showContactInfo({ contact.name, contact.email, std::string(infoStatusText(contact.status)) });
        return;
    case command::kCopyOne:
        m_loop.post(this, msg::kCopyToContacts, 0, selected);
        return;
    default:
        return;
    }
}

void MsnPage::addContact()
{
    auto entered = m_view.askText({ page_text::kAddCaption, page_text::kAddLabel, "" });
    if (!entered)
        return;
    *entered = oneLine(std::move(*entered));
    if (entered->empty()) {
        m_ui.messageBox(kTitle, page_text::kAddEmpty, platform::Icon::Warning);
        return;
    }
    // The address is also sent as the friendly name.
    m_session.postCommand(msg::kAddCommand,
        "ADD " + std::to_string(m_session.transactionId()) + " FL " + *entered + " " + *entered + "\r\n");
}

void MsnPage::rename()
{
    auto entered
        = m_view.askText({ page_text::kRenameCaption, page_text::kRenameLabel, m_session.ownName() });
    if (!entered)
        return;
    *entered = oneLine(std::move(*entered));
    if (entered->empty()) {
        m_ui.messageBox(kTitle, page_text::kRenameEmpty, platform::Icon::Warning);
        return;
    }
    // The own name changes when the server confirms it (REA).
    m_session.postCommand(msg::kRenameCommand,
        "REA " + std::to_string(m_session.transactionId()) + " " + m_session.account().loginId + " "
            + encodeName(*entered) + "\r\n");
}

void MsnPage::confirmDelete(int index)
{
    const auto& contact = m_session.contacts().at(index);
    std::string text = "\"" + contact.name + "\"\n" + std::string(page_text::kConfirmDelete);
    if (m_ui.question(kTitle, text, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    m_session.sendCommand(
        "REM " + std::to_string(m_session.transactionId()) + " FL " + contact.email + "\r\n");
}

} // namespace pocket::msn
