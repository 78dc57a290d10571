#include "platform/testing/fake_ui.h"

namespace platform::testing {

void FakeUi::messageBox(std::string_view title, std::string_view text, Icon icon)
{
    std::lock_guard lock(m_mutex);
    m_calls.push_back(Call { false, std::string(title), std::string(text), icon, Buttons::Ok, Answer::Ok, std::nullopt });
}

Answer FakeUi::question(std::string_view title, std::string_view text, Buttons buttons, Icon icon)
{
    return ask(title, text, buttons, icon, std::nullopt);
}

Answer FakeUi::question(std::string_view title, std::string_view text, Buttons buttons, Icon icon,
    Answer defaultAnswer)
{
    return ask(title, text, buttons, icon, defaultAnswer);
}

Answer FakeUi::ask(std::string_view title, std::string_view text, Buttons buttons, Icon icon,
    std::optional<Answer> defaultAnswer)
{
    std::lock_guard lock(m_mutex);
    Answer answer = dismissAnswer(buttons);
    if (m_script.empty()) {
        ++m_unscripted;
    } else {
        answer = m_script.front();
        m_script.pop_front();
    }
    m_calls.push_back(Call { true, std::string(title), std::string(text), icon, buttons, answer, defaultAnswer });
    return answer;
}

void FakeUi::pushAnswer(Answer answer)
{
    std::lock_guard lock(m_mutex);
    m_script.push_back(answer);
}

std::vector<FakeUi::Call> FakeUi::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::size_t FakeUi::callCount() const
{
    std::lock_guard lock(m_mutex);
    return m_calls.size();
}

std::string FakeUi::lastText() const
{
    std::lock_guard lock(m_mutex);
    return m_calls.empty() ? std::string() : m_calls.back().text;
}

std::size_t FakeUi::unscriptedQuestions() const
{
    std::lock_guard lock(m_mutex);
    return m_unscripted;
}

void FakeUi::clear()
{
    std::lock_guard lock(m_mutex);
    m_calls.clear();
    m_script.clear();
    m_unscripted = 0;
}

} // namespace platform::testing
