#pragma once

// File: apps/quillon-pocket/console_mail.h
// The console's "mail ..." and "view ..." commands: the handheld's mail
// client and web view driven from standard input, their views drawn as
// lines ("row", "header", "navigate"). Commands that wait for the PC return
// once its answer has been handled (or a message was shown).

#include <functional>
#include <iosfwd>
#include <string>

namespace pocket::app {
class Handheld;
}

namespace pocket::mail {
struct MailListEntry;
}

namespace apps::pocket {

class ConsoleLineUi;
class ConsoleHtmlView;
class ConsolePcViews;

class ConsoleMail {
public:
    using WaitFor = std::function<void(const std::function<bool()>&)>;

    ConsoleMail(::pocket::app::Handheld& handheld, ConsoleLineUi& ui, ConsolePcViews& views,
        ConsoleHtmlView& webView, ConsoleHtmlView& mailBody, std::ostream& out, std::ostream& err, WaitFor waitFor);

    // Runs "mail ARGS" or "view ARGS"; false for other commands.
    bool execute(const std::string& command, const std::string& arguments);

    static const char* help();

private:
    void mail(const std::string& arguments);
    void send(const std::string& arguments);
    void addRecipient(const std::string& nameOrAddress);
    void saveDraft(const std::string& name);
    void loadDraft(const std::string& number);
    void view(const std::string& arguments);
    // Selects row N ("1" is the top row) for the next command; false with a
    // message when there is no such row.
    bool select(const std::string& number);
    // Waits for `done`, a message box or the end of the connection.
    void waitForAnswer(const std::function<bool()>& done);

    ::pocket::app::Handheld& m_handheld;
    ConsoleLineUi& m_ui;
    ConsolePcViews& m_views;
    ConsoleHtmlView& m_webView;
    ConsoleHtmlView& m_mailBody;
    std::ostream& m_out;
    std::ostream& m_err;
    WaitFor m_waitFor;
    bool m_storedLoaded = false;
};

} // namespace apps::pocket
