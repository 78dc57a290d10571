#include "apps/quillon-pocket/console_mail.h"

#include "apps/quillon-pocket/console_input.h"
#include "apps/quillon-pocket/console_views.h"
#include "platform/clock.h"
#include "pocket/app/frame_layout.h"
#include "pocket/app/handheld.h"
#include "pocket/viewer/viewer_page_loader.h"

#include <ostream>

namespace apps::pocket {

namespace app = ::pocket::app;

namespace {

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
           "  mail send TO SUBJECT BODY             send a mail through the PC (\\n in BODY: a line break)\n"
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
            m_out << ++number << "\t" << entry.subject << "\t" << entry.sender << "\t" << entry.account << "\t"
                  << entry.name << "\n";
        m_out << std::flush;
    } else if (verb == "read") {
        if (select(rest)) {
            int shown = m_views.mailsShown;
            (void)m_handheld.onButton(app::kMailView);
            waitForAnswer([&] { return m_views.mailsShown > shown; });
        }
    } else if (verb == "attachments") {
        for (const auto& name : parts.reader.attachments())
            m_out << "attachment\t" << name << "\n";
        m_out << std::flush;
    } else if (verb == "save-attachment") {
        parts.reader.saveAttachment(rest);
        auto& transfer = m_handheld.web().transfer;
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
        auto [to, afterTo] = firstWord(rest);
        auto [subject, body] = firstWord(afterTo);
        // "\n" in the body stands for a line break.
        for (std::size_t at; (at = body.find("\\n")) != std::string::npos;)
            body.replace(at, 2, "\n");
        parts.composer.draft() = { to, subject, body };
        std::size_t before = m_ui.messageCount();
        parts.sender.send(parts.composer);
        if (m_ui.messageCount() == before)
            waitForAnswer([] { return false; });
    } else {
        m_err << "mail: usage: mail check|list|read N|attachments|save-attachment NAME|open-attachment NAME|store|"
                 "delete N|send TO SUBJECT BODY"
              << std::endl;
    }
}

void ConsoleMail::view(const std::string& arguments)
{
    auto [verb, rest] = firstWord(arguments);
    auto& viewer = m_handheld.web().viewer;
    auto& transfer = m_handheld.web().transfer;
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
