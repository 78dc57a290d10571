#include "apps/quillon-pocket/icq_console_views.h"

#include <ostream>

namespace apps::pocket {

namespace icq = ::pocket::icq;

namespace {

    class ConsoleMessageWindow final : public icq::MessageWindowView {
    public:
        void setTitle(std::string_view) override { }
        void appendLog(std::string_view) override { }
        void clearLog() override { }
        void clearInput() override { }
        void focusInput() override { }
        void bringUp() override { }
        void close() override { }
    };

} // namespace

ConsoleIcqViews::ConsoleIcqViews(std::ostream& out)
    : m_out(out)
{
}

std::unique_ptr<icq::MessageWindowView> ConsoleIcqViews::createMessageWindow(int)
{
    return std::make_unique<ConsoleMessageWindow>();
}

void ConsoleIcqViews::showContactInfo(const icq::ContactInfo& info)
{
    m_out << "icq-info\t" << info.title << "\t" << info.nickLine << "\t" << info.email << "\t" << info.state
          << std::endl;
}

} // namespace apps::pocket
