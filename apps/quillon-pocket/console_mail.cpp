#include "apps/quillon-pocket/console_mail.h"

#include "apps/quillon-pocket/console_input.h"
#include "apps/quillon-pocket/console_views.h"
#include "platform/clock.h"
#include "platform/terminal_text.h"
#include "pocket/app/frame_layout.h"
#include "pocket/app/handheld.h"
#include "pocket/viewer/viewer_page_loader.h"

#include <algorithm>
#include <ostream>

namespace apps::pocket {

namespace app = ::pocket::app;
using platform::terminalSafe;

namespace {

// "\n" in a typed text stands for a line break.
std::string withLineBreaks(std::string text)
{
    for (std::size_t at = 0; (at = text.find("\\n", at)) != std::string::npos; ++at)
        text.replace(at, 2, "\n");
    return text;
}

// The file name dialog answers what the command named.
class NamedDraft final : public ::pocket::mail::ComposerDialogs {
public:
    explicit NamedDraft(std::string name)
        : m_name(std::move(name))
    {
    }
    std::optional<std::string> askFileName() override { return std::exchange(m_name, {}); }
    void openOptions() override { }

private:
    std::string m_name;
};

std::pair<std::string, std::string> firstWord(const std::string& text)
{
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return {};
    std::size_t end = text.find_first_of(" \t", start);
    std::string word = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::size_t rest = end == std::string::npos ? std::string::npos : text.find_first_not_of(" \t", end);
    return { word, rest == std::string::npos ? "" : text.substr(rest) };
}

} // namespace

ConsoleMail::ConsoleMail(app::Handheld& handheld, ConsoleLineUi& ui, ConsolePcViews& views, ConsoleHtmlView& webView,
    ConsoleHtmlView& mailBody, std::ostream& out, std::ostream& err, WaitFor waitFor)
    : m_handheld(handheld)
    , m_ui(ui)
    , m_views(views)
    , m_webView(webView)
    , m_mailBody(mailBody)
    , m_out(out)
    , m_err(err)
    , m_waitFor(std::move(waitFor))
{
}

bool ConsoleMail::execute(const std::string& command, const std::string& arguments)
{
    if (command == "mail")
        mail(arguments);
    else if (command == "view")
        view(arguments);
    else
        return false;
    return true;
}

const char* ConsoleMail::help()
{
    return "  mail check | list | read N | attachments | store | delete N\n"
           "  mail save-attachment NAME | open-attachment NAME\n"
           "  mail to NAME-OR-ADDRESS | attach PATH   add a device contact (or address), a PC or handheld file\n"
           "  mail subject TEXT | text TEXT         the composer's subject and text\n"
           "  mail save NAME | drafts | load N      save the composer's mail, list the saved mails, load one\n"
           "  mail send [TO SUBJECT BODY]           send the composer's mail through the PC (\\n in BODY: a line break)\n"
           "  view URL | doc PCPATH | page URL | save | home   the web view\n";
}

void ConsoleMail::waitForAnswer(const std::function<bool()>& done)
{
    std::size_t before = m_ui.messageCount();
    auto& link = m_handheld.link();
    m_waitFor([&] { return done() || m_ui.messageCount() > before || !link.isConnected(); });
}

bool ConsoleMail::select(const std::string& number)
{
    const auto& rows = m_handheld.mail().box.rows();
    std::size_t index = std::strtoul(number.c_str(), nullptr, 10);
    if (index == 0 || index > rows.size()) {
        m_err << "mail: no row " << number << " (try mail list)" << std::endl;
        return false;
    }
    m_views.selectedMailName = rows[index - 1].name;
    return true;
}

void ConsoleMail::mail(const std::string& arguments)
{
    auto [verb, rest] = firstWord(arguments);
    auto& parts = m_handheld.mail();
    auto& link = m_handheld.link();
    // The list starts with the mails stored on the handheld, once the
    // settings (and the login id) are there: options set after the start
    // count too.
    if (!m_storedLoaded) {
        m_storedLoaded = true;
        if (parts.box.rows().empty())
            parts.box.loadStoredMails(platform::toLocalTime(m_handheld.loop().clock().now()));
    }
    if (verb == "check") {
        std::size_t before = m_ui.messageCount();
        (void)m_handheld.onButton(app::kMailRefresh);
        if (parts.box.isChecking())
            m_waitFor([&] { return !parts.box.isChecking() || m_ui.messageCount() > before + 1 || !link.isConnected(); });
        if (!parts.box.isChecking() && !parts.box.rows().empty())
            mail("list");
    } else if (verb == "list") {
        std::size_t number = 0;
        for (const auto& entry : parts.box.rows())
            m_out << ++number << "\t" << terminalSafe(entry.subject) << "\t" << terminalSafe(entry.sender) << "\t"
                  << terminalSafe(entry.account) << "\t" << terminalSafe(entry.name) << "\n";
        m_out << std::flush;
    } else if (verb == "read") {
        if (select(rest)) {
            int shown = m_views.mailsShown;
            (void)m_handheld.onButton(app::kMailView);
            waitForAnswer([&] { return m_views.mailsShown > shown; });
        }
    } else if (verb == "attachments") {
        for (const auto& name : parts.reader.attachments())
            m_out << "attachment\t" << terminalSafe(name) << "\n";
        m_out << std::flush;
    } else if (verb == "save-attachment") {
        parts.reader.saveAttachment(rest);
        auto& transfer = m_handheld.mypc().runner;
        waitForAnswer([&] { return !transfer.isRunning(); });
    } else if (verb == "open-attachment") {
        int navigations = m_mailBody.navigations;
        parts.reader.openAttachment(rest);
        waitForAnswer([&] { return m_mailBody.navigations > navigations; });
    } else if (verb == "store") {
        (void)m_handheld.onButton(app::kMailSave);
    } else if (verb == "delete") {
        if (select(rest))
            (void)m_handheld.onButton(app::kMailDelete);
    } else if (verb == "send") {
        send(rest);
    } else if (verb == "to") {
        addRecipient(rest);
    } else if (verb == "subject") {
        parts.composer.draft().subject = rest;
    } else if (verb == "text") {
        parts.composer.draft().body = withLineBreaks(rest);
    } else if (verb == "save") {
        saveDraft(rest);
    } else if (verb == "attach") {
        // A PC path (C:\docs\a.txt) or a handheld path (\My Documents\a.txt).
        std::string path = rest;
        std::replace(path.begin(), path.end(), '/', '\\');
        if (parts.composer.canAddAttachment())
            (void)parts.composer.addAttachment(path);
    } else if (verb == "drafts") {
        std::size_t number = 0;
        for (const auto& path : ::pocket::mail::savedMails(m_handheld.settings(), m_handheld.device()))
            m_out << "draft\t" << ++number << "\t" << terminalSafe(path) << "\n";
        m_out << std::flush;
    } else if (verb == "load") {
        loadDraft(rest);
    } else {
        m_err << "mail: usage: mail check|list|read N|attachments|save-attachment NAME|open-attachment NAME|store|"
                 "delete N|to NAME-OR-ADDRESS|attach PATH|subject TEXT|text TEXT|save NAME|drafts|load N|"
                 "send [TO SUBJECT BODY]"
              << std::endl;
    }
}

// "mail send [TO SUBJECT BODY]": with words, they replace the composer's
// To, subject and text ("\n" in the text stands for a line break); the
// attachments stay. Without, the composer's mail goes as it is.
void ConsoleMail::send(const std::string& arguments)
{
    auto& parts = m_handheld.mail();
    if (!arguments.empty()) {
        auto [to, afterTo] = firstWord(arguments);
        auto [subject, body] = firstWord(afterTo);
        parts.composer.draft() = { to, subject, withLineBreaks(body) };
    }
    std::size_t before = m_ui.messageCount();
    parts.sender.send(parts.composer);
    if (m_ui.messageCount() == before)
        waitForAnswer([] { return false; });
}

// "mail to NAME-OR-ADDRESS": the address book's "Contact" with one row
// checked, the device contact of that name or address; an address not in
// the contacts is taken as it is.
void ConsoleMail::addRecipient(const std::string& nameOrAddress)
{
    auto& composer = m_handheld.mail().composer;
    if (nameOrAddress.empty()) {
        m_err << "mail to: usage: mail to NAME-OR-ADDRESS" << std::endl;
        return;
    }
    if (!composer.canPickContacts())
        return;
    ::pocket::mail::MailContact chosen { "", nameOrAddress };
    if (auto rows = m_handheld.contacts().listContacts()) {
        for (const auto& row : *rows) {
            if (row.name == nameOrAddress || row.email == nameOrAddress) {
                chosen = { row.name, row.email };
                break;
            }
        }
    }
    if (chosen.email.find('@') == std::string::npos) {
        m_err << "mail to: no contact " << terminalSafe(nameOrAddress) << std::endl;
        return;
    }
    (void)composer.addContacts({ chosen });
}

// "mail save NAME": "저 장" with NAME typed into the file name dialog; the
// questions about empty fields and replacing a file are answered by the
// next lines.
void ConsoleMail::saveDraft(const std::string& name)
{
    if (name.empty()) {
        m_err << "mail save: usage: mail save NAME" << std::endl;
        return;
    }
    NamedDraft dialogs(name);
    (void)m_handheld.mail().composer.save(dialogs);
}

// "mail load N": "불러오기" of the Nth saved mail of "mail drafts".
void ConsoleMail::loadDraft(const std::string& number)
{
    const auto drafts = ::pocket::mail::savedMails(m_handheld.settings(), m_handheld.device());
    std::size_t index = std::strtoul(number.c_str(), nullptr, 10);
    if (index == 0 || index > drafts.size()) {
        m_err << "mail: no draft " << number << " (try mail drafts)" << std::endl;
        return;
    }
    (void)m_handheld.mail().composer.load(drafts[index - 1]);
}

void ConsoleMail::view(const std::string& arguments)
{
    auto [verb, rest] = firstWord(arguments);
    auto& viewer = m_handheld.web().viewer;
    auto& transfer = m_handheld.mypc().runner;
    int navigations = m_webView.navigations;
    if (verb == "doc") {
        if (viewer.viewPcFile(rest))
            waitForAnswer([&] { return m_webView.navigations > navigations; });
    } else if (verb == "page") {
        if (viewer.viewPage(rest))
            waitForAnswer([&] { return m_webView.navigations > navigations; });
    } else if (verb == "save") {
        (void)m_handheld.onButton(app::kSaveButton);
        waitForAnswer([&] { return !transfer.isRunning(); });
    } else if (verb == "home") {
        (void)::pocket::viewer::installStartPage(m_handheld.device());
        (void)m_handheld.onButton(app::kHomeButton);
    } else if (!verb.empty()) {
        viewer.show(arguments, true);
    } else {
        m_err << "view: usage: view URL|doc PCPATH|page URL|save|home" << std::endl;
    }
}

} // namespace apps::pocket
