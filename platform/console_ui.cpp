#include "platform/console_ui.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace platform {
namespace {

std::string_view promptFor(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return "? ok";
    case Buttons::OkCancel:
        return "? ok/cancel";
    case Buttons::YesNo:
        return "? yes/no";
    case Buttons::YesNoCancel:
        return "? yes/no/cancel";
    }
    return "? ok";
}

} // namespace

std::optional<Answer> parseAnswer(std::string_view typed, Buttons buttons)
{
    while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t'))
        typed.remove_prefix(1);
    while (!typed.empty() && (typed.back() == ' ' || typed.back() == '\t' || typed.back() == '\r'))
        typed.remove_suffix(1);
    std::string lower(typed);
    for (auto& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    for (Answer answer : { Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No }) {
        auto name = answerName(answer);
        bool matches = lower == name || (lower.size() == 1 && lower[0] == name[0]);
        if (matches && offers(buttons, answer))
            return answer;
    }
    return std::nullopt;
}

ConsoleUi::ConsoleUi(std::istream& in, std::ostream& out)
    : m_in(in)
    , m_out(out)
{
}

void ConsoleUi::messageBox(std::string_view title, std::string_view text, Icon)
{
    std::lock_guard lock(m_mutex);
    m_out << '[' << title << "] " << text << '\n';
    m_out.flush();
}

Answer ConsoleUi::question(std::string_view title, std::string_view text, Buttons buttons, Icon)
{
    std::lock_guard lock(m_mutex);
    m_out << '[' << title << "] " << text << '\n';
    std::string line;
    for (;;) {
        m_out << promptFor(buttons) << '\n';
        m_out.flush();
        if (!std::getline(m_in, line))
            return dismissAnswer(buttons);
        if (auto answer = parseAnswer(line, buttons))
            return *answer;
    }
}

} // namespace platform
