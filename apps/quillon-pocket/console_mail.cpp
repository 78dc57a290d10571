#include "apps/quillon-pocket/console_mail.h"

#include "apps/quillon-pocket/console_input.h"
#include "platform/event_loop.h"
#include "pocket/device/device_root.h"
#include "pocket/link/pc_link.h"
#include "pocket/mail/mail_box.h"
#include "pocket/mail/mail_composer.h"
#include "pocket/mail/mail_reader.h"
#include "pocket/mail/mail_sender.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/viewer/viewer_page_loader.h"
#include "pocket/viewer/viewer_transfer.h"
#include "pocket/viewer/web_viewer.h"

#include <ostream>

namespace apps::pocket {

using namespace ::pocket::device;
using namespace ::pocket::link;
using namespace ::pocket::mail;
using namespace ::pocket::settings;
using namespace ::pocket::viewer;

namespace {

class LineHtmlView final : public HtmlView {
public:
    LineHtmlView(std::ostream& out, std::string name)
        : m_out(out)
        , m_name(std::move(name))
    {
    }
    void navigate(const std::string& url) override
    {
        m_address = url;
        ++navigations;
        m_out << "navigate\t" << m_name << "\t" << url << std::endl;
    }
    void refresh() override { }
    void stop() override { }
    std::string currentAddress() const override { return m_address; }
    int navigations = 0;

private:
    std::ostream& m_out;
    std::string m_name;
    std::string m_address;
};

class LineViews final : public MailView, public WebTabView {
public:
    explicit LineViews(std::ostream& out)
        : m_out(out)
    {
    }
    void clearList() override { }
    void insertRow(const MailListEntry&, bool) override { }
    void setRowRead(const std::string&) override { }
    void removeRow(const std::string& name) override { m_out << "removed\t" << name << std::endl; }
    void showMail(const std::string& header, bool hasAttachments, const std::string& title) override
    {
        m_out << "title\t" << title << "\n" << header << (hasAttachments ? "첨부파일이 있습니다\n" : "") << std::flush;
        ++shown;
    }
    void addAddress(const std::string& address) override { m_out << "address\t" << address << std::endl; }
    void setAddressText(const std::string& address) override { m_text = address; }
    std::string addressText() const override { return m_text; }
    void focusAddress() override { }
    void showWebTab() override { }
    void setWaitCursor(bool) override { }
    int shown = 0;

private:
    std::ostream& m_out;
    std::string m_text;
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

struct ConsoleMail::Parts {
    Parts(platform::EventLoop& loop_, ConsoleLineUi& ui, PcLink& link, PdaSettings& settings, const DeviceRoot& device,
        platform::HttpFetch& fetch, std::ostream& out, std::ostream& err, WaitFor waitFor)
        : loop(loop_)
        , ui(ui)
        , link(link)
        , settings(settings)
        , device(device)
        , out(out)
        , err(err)
        , waitFor(std::move(waitFor))
        , views(out)
        , web(out, "web")
        , mailBody(out, "mail")
        , download(loop_, ui)
        , context { loop_, ui, link, settings, device, download, views, [&err] { err << "mail: log in first" << std::endl; } }
        , viewer(link, settings, device, ui, download, views, web, mailBody)
        , box(context, fetch)
        , reader(context, viewer)
        , sender(context)
        , composer(ui, settings, device, link.codePage())
    {
        link.addResetListener([this] {
            box.reset();
            reader.reset();
            sender.reset();
        });
    }

    // Waits for `done`, a message box or the end of the connection.
    void waitForAnswer(const std::function<bool()>& done)
    {
        std::size_t before = ui.messageCount();
        waitFor([&] { return done() || ui.messageCount() > before || !link.isConnected(); });
    }

    const MailListEntry* row(const std::string& number)
    {
        std::size_t index = std::strtoul(number.c_str(), nullptr, 10);
        if (index == 0 || index > box.rows().size()) {
            err << "mail: no row " << number << " (try mail list)" << std::endl;
            return nullptr;
        }
        return &box.rows()[index - 1];
    }

    void mail(const std::string& arguments);
    void view(const std::string& arguments);

    platform::EventLoop& loop;
    ConsoleLineUi& ui;
    PcLink& link;
    bool storedLoaded = false;
    PdaSettings& settings;
    const DeviceRoot& device;
    std::ostream& out;
    std::ostream& err;
    WaitFor waitFor;
    LineViews views;
    LineHtmlView web;
    LineHtmlView mailBody;
    ThreadDownload download;
    MailContext context;
    WebViewer viewer;
    MailBox box;
    MailReader reader;
    MailSender sender;
    MailComposer composer;
};

void ConsoleMail::Parts::mail(const std::string& arguments)
{
    auto [verb, rest] = firstWord(arguments);
    // The list starts with the mails stored on the handheld, once the
    // settings (and the login id) are there.
    if (!storedLoaded) {
        storedLoaded = true;
        box.loadStoredMails(platform::toLocalTime(loop.clock().now()));
    }
    if (verb == "check") {
        std::size_t before = ui.messageCount();
        box.check();
        if (box.isChecking())
            waitFor([&] { return !box.isChecking() || ui.messageCount() > before + 1 || !link.isConnected(); });
        if (!box.isChecking() && !box.rows().empty())
            mail("list");
    } else if (verb == "list") {
        std::size_t number = 0;
        for (const auto& entry : box.rows())
            out << ++number << "\t" << entry.subject << "\t" << entry.sender << "\t" << entry.account << "\t"
                << entry.name << "\n";
        out << std::flush;
    } else if (verb == "read") {
        if (const auto* entry = row(rest)) {
            int shown = views.shown;
            reader.read(entry);
            waitForAnswer([&] { return views.shown > shown; });
        }
    } else if (verb == "attachments") {
        for (const auto& name : reader.attachments())
            out << "attachment\t" << name << "\n";
        out << std::flush;
    } else if (verb == "save-attachment") {
        reader.saveAttachment(rest);
        waitForAnswer([&] { return !download.isRunning(); });
    } else if (verb == "open-attachment") {
        int navigations = mailBody.navigations;
        reader.openAttachment(rest);
        waitForAnswer([&] { return mailBody.navigations > navigations; });
    } else if (verb == "store") {
        reader.storeInInbox();
    } else if (verb == "delete") {
        if (const auto* entry = row(rest))
            box.deleteMail(*entry);
    } else if (verb == "send") {
        auto [to, afterTo] = firstWord(rest);
        auto [subject, body] = firstWord(afterTo);
        // "\n" in the body stands for a line break.
        for (std::size_t at; (at = body.find("\\n")) != std::string::npos;)
            body.replace(at, 2, "\n");
        composer.draft() = { to, subject, body };
        std::size_t before = ui.messageCount();
        sender.send(composer);
        if (ui.messageCount() == before)
            waitForAnswer([] { return false; });
    } else {
        err << "mail: usage: mail check|list|read N|attachments|save-attachment NAME|open-attachment NAME|store|"
               "delete N|send TO SUBJECT BODY"
            << std::endl;
    }
}

void ConsoleMail::Parts::view(const std::string& arguments)
{
    auto [verb, rest] = firstWord(arguments);
    int navigations = web.navigations;
    if (verb == "doc") {
        if (viewer.viewPcFile(rest))
            waitForAnswer([&] { return web.navigations > navigations; });
    } else if (verb == "page") {
        if (viewer.viewPage(rest))
            waitForAnswer([&] { return web.navigations > navigations; });
    } else if (verb == "save") {
        viewer.savePage();
        waitForAnswer([&] { return !download.isRunning(); });
    } else if (verb == "home") {
        (void)installStartPage(device);
        viewer.home();
    } else if (!verb.empty()) {
        viewer.show(arguments, true);
    } else {
        err << "view: usage: view URL|doc PCPATH|page URL|save|home" << std::endl;
    }
}

ConsoleMail::ConsoleMail(platform::EventLoop& loop, ConsoleLineUi& ui, PcLink& link, PdaSettings& settings,
    const DeviceRoot& device, platform::HttpFetch& fetch, std::ostream& out, std::ostream& err, WaitFor waitFor)
    : m_parts(std::make_unique<Parts>(loop, ui, link, settings, device, fetch, out, err, std::move(waitFor)))
{
}

ConsoleMail::~ConsoleMail() = default;

bool ConsoleMail::execute(const std::string& command, const std::string& arguments)
{
    if (command == "mail")
        m_parts->mail(arguments);
    else if (command == "view")
        m_parts->view(arguments);
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

} // namespace apps::pocket
