#include "apps/quillon-pocket/msn_console_views.h"

#include <ostream>

namespace apps::pocket {

using namespace ::pocket::msn;

namespace {

    // One line per log entry: the window's "\r\n" breaks become spaces.
    std::string oneLine(std::string_view text)
    {
        std::string out;
        for (char c : text) {
            if (c == '\r')
                continue;
            out += c == '\n' ? ' ' : c;
        }
        std::size_t start = out.find_first_not_of(' ');
        return start == std::string::npos ? std::string() : out.substr(start);
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
        void setTitle(std::string_view title) override { print("title " + std::string(title)); }
        void appendLog(std::string_view text) override { print(oneLine(text)); }
        void clearLog() override { }
        void setParticipants(const std::vector<std::string>& entries) override
        {
            std::string line = "participants";
            for (const auto& entry : entries)
                line += " " + entry;
            print(line);
        }
        void setSendEnabled(bool) override { }
        void setInviteEnabled(bool) override { }
        void setPenEnabled(bool) override { }
        std::string takeInput() override { return std::exchange(m_inputs[m_slot], {}); }

    private:
        void print(const std::string& text) { m_out << "chat " << m_slot << "\t" << text << std::endl; }

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
        explicit ConsoleViewerView(std::ostream& out)
            : m_out(out)
        {
        }
        ::pocket::ink::InkCanvas& canvas() override { return m_canvas; }
        void setTitle(std::string_view title) override { m_title = title; }
        void show() override { m_out << "pen\t" << m_title << std::endl; }
        void close() override { }

    private:
        std::ostream& m_out;
        std::string m_title;
        NoCanvas m_canvas;
    };

} // namespace

MsnConsolePageView::MsnConsolePageView(std::ostream& out)
    : m_out(out)
{
}

void MsnConsolePageView::setStatusLine(std::string_view text)
{
    m_out << "status\t" << text << std::endl;
}

TreeItem MsnConsolePageView::insertItem(TreeRoot, std::string_view text, int)
{
    m_items[++m_next] = std::string(text);
    m_out << "contact\t" << text << std::endl;
    return m_next;
}

void MsnConsolePageView::updateItem(TreeItem item, std::string_view text, int)
{
    m_items[item] = std::string(text);
    m_out << "contact\t" << text << std::endl;
}

std::optional<std::string> MsnConsolePageView::askText(const TextRequest&)
{
    return std::exchange(nextEntry, std::nullopt);
}

void MsnConsolePageView::showContactInfo(const ContactInfo& info)
{
    m_out << "info\t" << info.name << "\t" << info.email << "\t" << info.state << std::endl;
}

MsnConsoleWindows::MsnConsoleWindows(std::ostream& out)
    : m_out(out)
{
}

std::unique_ptr<ChatView> MsnConsoleWindows::createChatWindow(int slot)
{
    return std::make_unique<ConsoleChatView>(m_out, slot, inputs);
}

std::optional<std::string> MsnConsoleWindows::chooseContact(std::string_view, const MsnContactTable&)
{
    return std::exchange(nextChoice, std::nullopt);
}

std::unique_ptr<::pocket::ink::InkViewerView> MsnConsoleWindows::createViewerView(int)
{
    return std::make_unique<ConsoleViewerView>(m_out);
}

} // namespace apps::pocket
