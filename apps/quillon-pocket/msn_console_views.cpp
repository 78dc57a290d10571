#include "apps/quillon-pocket/msn_console_views.h"

#include "platform/terminal_text.h"
#include "pocket/msn/msn_status.h"

#include <ostream>

namespace apps::pocket {

using namespace ::pocket::msn;
using platform::terminalSafe;

namespace {

    // The MSNP5 word of a status, for scripts.
    std::string_view statusWord(MsnStatusCode code)
    {
        if (auto word = wordForStatus(code); !word.empty())
            return word;
        switch (code) {
        case status::kOffline:
            return "FLN";
        case status::kBlocked:
            return "BLK";
        case status::kIdle:
            return "IDL";
        default:
            return "UNKNOWN";
        }
    }

    class ConsoleChatView final : public ChatView {
    public:
        ConsoleChatView(std::ostream& out, int slot, std::map<int, std::string>& inputs)
            : m_out(out)
            , m_slot(slot)
            , m_inputs(inputs)
        {
        }
        void show() override { }
        void bringToFront() override { }
        void setTitle(std::string_view) override { }
        void appendLog(std::string_view) override { }
        void clearLog() override { }
        void setParticipants(const std::vector<std::string>&) override { }
        void setSendEnabled(bool) override { }
        void setInviteEnabled(bool) override { }
        void setPenEnabled(bool) override { }
        std::string takeInput() override { return std::exchange(m_inputs[m_slot], {}); }
        void messageReceived(std::string_view email, std::string_view text) override
        {
            m_out << "msn-message\t" << m_slot << "\t" << terminalSafe(email) << "\t" << terminalSafe(text)
                  << std::endl;
        }

    private:
        std::ostream& m_out;
        int m_slot;
        std::map<int, std::string>& m_inputs;
    };

    class NoCanvas final : public ::pocket::ink::InkCanvas {
    public:
        void drawLine(::pocket::ink::InkPoint, ::pocket::ink::InkPoint, int, ::pocket::ink::Rgb) override { }
        void clear() override { }
    };

    class ConsoleViewerView final : public ::pocket::ink::InkViewerView {
    public:
        ::pocket::ink::InkCanvas& canvas() override { return m_canvas; }
        void setTitle(std::string_view) override { }
        void show() override { }
        void close() override { }

    private:
        NoCanvas m_canvas;
    };

} // namespace

MsnConsolePageView::MsnConsolePageView(std::ostream& out)
    : m_out(out)
{
}

void MsnConsolePageView::setStatusLine(std::string_view text)
{
    if (text == m_statusLine)
        return;
    m_statusLine = text;
    m_out << "status\tmsn\t" << terminalSafe(text) << std::endl;
}

std::optional<std::string> MsnConsolePageView::askText(const TextRequest&)
{
    return std::exchange(nextEntry, std::nullopt);
}

void MsnConsolePageView::showContactInfo(const ContactInfo& info)
{
    m_out << "info\tmsn\t" << terminalSafe(info.name) << "\t" << terminalSafe(info.email) << "\t"
          << terminalSafe(info.state) << std::endl;
}

void MsnConsolePageView::contactChanged(const MsnContact& contact)
{
    printMsnContact(m_out, contact);
}

void printMsnContact(std::ostream& out, const MsnContact& contact)
{
    out << "contact\tmsn\t" << terminalSafe(contact.email) << "\t" << statusWord(contact.status) << "\t"
        << terminalSafe(contact.name) << std::endl;
}

MsnConsoleWindows::MsnConsoleWindows(std::ostream& out, platform::EventLoop& loop, platform::Ui& ui)
    : m_out(out)
    , m_loop(loop)
    , m_ui(ui)
{
}

MsnConsoleWindows::~MsnConsoleWindows()
{
    release();
}

std::unique_ptr<ChatView> MsnConsoleWindows::createChatWindow(int slot)
{
    return std::make_unique<ConsoleChatView>(m_out, slot, inputs);
}

std::optional<std::string> MsnConsoleWindows::chooseContact(std::string_view, const MsnContactTable&)
{
    return std::exchange(nextChoice, std::nullopt);
}

::pocket::ink::InkComposer* MsnConsoleWindows::createPenEditor(
    const ::pocket::ink::ComposerSetup& setup, ::pocket::ink::PenCarriage& carriage)
{
    release();
    m_composerView = std::make_unique<ConsoleComposerView>();
    // The editor goes after the call that closed it has returned.
    m_composerView->onClosed = [this] { m_loop.post(this, kMsgEditorClosed); };
    m_composer = std::make_unique<::pocket::ink::InkComposer>(setup, *m_composerView, m_ui, carriage, m_loop);
    return m_composer.get();
}

platform::LResult MsnConsoleWindows::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg == kMsgEditorClosed && m_composer && m_composer->isClosed())
        release();
    return 0;
}

void MsnConsoleWindows::release()
{
    if (!m_composer)
        return;
    if (m_carriage)
        m_carriage->onEditorClosed();
    m_composer.reset();
    m_composerView.reset();
}

std::unique_ptr<::pocket::ink::InkViewerView> MsnConsoleWindows::createViewerView(int)
{
    return std::make_unique<ConsoleViewerView>();
}

} // namespace apps::pocket
