#include "apps/quillon-pocket/icq_console_views.h"

#include "platform/terminal_text.h"

#include <ostream>

namespace apps::pocket {

namespace icq = ::pocket::icq;
using platform::terminalSafe;

namespace {

    class ConsoleMessageWindow final : public icq::MessageWindowView {
    public:
        explicit ConsoleMessageWindow(std::ostream& out)
            : m_out(out)
        {
        }
        void setTitle(std::string_view) override { }
        void appendLog(std::string_view) override { }
        void clearLog() override { }
        void clearInput() override { }
        void focusInput() override { }
        void bringUp() override { }
        void close() override { }
        void messageReceived(std::string_view number, std::string_view text) override
        {
            m_out << "icq-message\t" << terminalSafe(number) << "\t" << terminalSafe(text) << std::endl;
        }

    private:
        std::ostream& m_out;
    };

} // namespace

std::string_view icqStatusWord(std::uint32_t status)
{
    switch (status) {
    case 0:
        return "online";
    case 1:
        return "away";
    case 2:
        return "offline";
    case 4:
    case 5:
        return "na";
    case 16:
    case 17:
        return "occupied";
    case 18:
    case 19:
        return "dnd";
    case 32:
        return "chat";
    case 256:
        return "invisible";
    default:
        return "unknown";
    }
}

void printIcqContact(std::ostream& out, const icq::IcqContact& contact)
{
    out << "contact\ticq\t" << terminalSafe(contact.number) << "\t" << icqStatusWord(contact.status) << "\t"
        << terminalSafe(contact.displayName()) << std::endl;
}

ConsoleIcqViews::ConsoleIcqViews(std::ostream& out)
    : m_out(out)
{
}

void ConsoleIcqViews::setStatusLine(std::string_view text)
{
    if (text == m_statusLine)
        return;
    m_statusLine = text;
    m_out << "status\ticq\t" << terminalSafe(text) << std::endl;
}

void ConsoleIcqViews::contactChanged(const icq::IcqContact& contact)
{
    printIcqContact(m_out, contact);
}

std::unique_ptr<icq::MessageWindowView> ConsoleIcqViews::createMessageWindow(int)
{
    return std::make_unique<ConsoleMessageWindow>(m_out);
}

std::unique_ptr<::pocket::ink::InkComposerView> ConsoleIcqViews::createComposerView()
{
    return std::make_unique<ConsoleComposerView>();
}

void ConsoleIcqViews::showContactInfo(const icq::ContactInfo& info)
{
    m_out << "info\ticq\t" << terminalSafe(info.title) << "\t" << terminalSafe(info.nickLine) << "\t"
          << terminalSafe(info.email) << "\t" << terminalSafe(info.state) << std::endl;
}

} // namespace apps::pocket
