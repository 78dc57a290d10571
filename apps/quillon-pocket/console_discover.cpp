#include "apps/quillon-pocket/console_discover.h"

#include "apps/quillon-pocket/console_option_command.h"
#include "platform/console_words.h"
#include "pocket/app/handheld.h"

#include <cstdlib>
#include <ostream>

namespace apps::pocket {

namespace link = ::pocket::link;

ConsoleDiscover::ConsoleDiscover(::pocket::app::Handheld& handheld, platform::Ui& ui, std::ostream& out,
    std::ostream& err)
    : m_handheld(handheld)
    , m_ui(ui)
    , m_out(out)
    , m_err(err)
{
}

void ConsoleDiscover::execute(const std::string& arguments)
{
    auto words = platform::splitBlankWords(arguments);
    if (words.empty())
        return list();
    char* end = nullptr;
    unsigned long number = std::strtoul(words[0].c_str(), &end, 10);
    if (words.size() != 1 || *end != '\0' || number == 0) {
        m_err << "discover: usage: discover [N]" << std::endl;
        return;
    }
    pick(number);
}

void ConsoleDiscover::list()
{
    auto found = m_handheld.pcFinder().find();
    m_last = found.pcs;
    if (!found.problem.empty()) {
        m_out << "discover: " << found.problem << std::endl;
        return;
    }
    if (m_last.empty())
        m_out << "discover: no PC found" << std::endl;
    for (std::size_t i = 0; i < m_last.size(); ++i)
        m_out << (i + 1) << ". " << link::foundPcLine(m_last[i]) << "\n";
    m_out << std::flush;
}

void ConsoleDiscover::pick(std::size_t number)
{
    if (number > m_last.size()) {
        m_err << "discover: no PC " << number << " in the last list (run discover first)" << std::endl;
        return;
    }
    const link::FoundPc& pc = m_last[number - 1];
    if (!runOptionCommand({ { "SEVER_IP", pc.address }, { "PC_PORT", std::to_string(pc.port) } },
            m_handheld.optionsSheet(), m_handheld.store(), m_handheld.settings(), m_ui, m_err))
        return;
    auto outcome = link::pinPickedPc(m_handheld.pairing(), pc);
    m_out << "SEVER_IP\t" << pc.address << "\nPC_PORT\t" << pc.port << "\n"
          << link::pickOutcomeText(outcome, pc) << std::endl;
}

} // namespace apps::pocket
