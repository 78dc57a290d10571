#include "apps/quillon-pocket/console_input.h"

#include "platform/terminal_text.h"

#include "platform/console_ui.h"

#include <istream>
#include <ostream>
#include <thread>

namespace apps::pocket {

std::shared_ptr<LineQueue> LineQueue::start(std::istream& in, platform::EventLoop& loop,
    platform::MessageTarget& target, int wakeMessage)
{
    auto queue = std::make_shared<LineQueue>();
    queue->m_loop = &loop;
    queue->m_target = &target;
    queue->m_wakeMessage = wakeMessage;
    // The thread may still wait for input when the program ends; it holds
    // the queue itself and posts to the loop only until close().
    std::thread([queue, &in] {
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            queue->push(line);
        }
        queue->finish();
    }).detach();
    return queue;
}

void LineQueue::close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
}

void LineQueue::wake()
{
    // Called with the mutex held, so close() cannot slip in between.
    if (!m_closed)
        m_loop->post(m_target, m_wakeMessage);
}

void LineQueue::push(std::string line)
{
    {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(line));
        wake();
    }
    m_changed.notify_all();
}

void LineQueue::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        wake();
    }
    m_changed.notify_all();
}

std::optional<std::string> LineQueue::tryTake()
{
    std::lock_guard lock(m_mutex);
    if (m_lines.empty())
        return std::nullopt;
    std::string line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

std::optional<std::string> LineQueue::take()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_lines.empty() || m_ended; });
    if (m_lines.empty())
        return std::nullopt;
    std::string line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

bool LineQueue::hasLine() const
{
    std::lock_guard lock(m_mutex);
    return !m_lines.empty();
}

bool LineQueue::atEnd() const
{
    std::lock_guard lock(m_mutex);
    return m_ended && m_lines.empty();
}

std::optional<platform::Answer> parseTypedAnswer(std::string_view typed, platform::Buttons buttons)
{
    if (auto answer = platform::parseAnswer(typed, buttons))
        return answer;
    if (buttons != platform::Buttons::OkCancel)
        return std::nullopt;
    auto yesNo = platform::parseAnswer(typed, platform::Buttons::YesNo);
    if (!yesNo)
        return std::nullopt;
    return *yesNo == platform::Answer::Yes ? platform::Answer::Ok : platform::Answer::Cancel;
}

ConsoleLineUi::ConsoleLineUi(LineQueue& lines, std::ostream& out)
    : m_lines(lines)
    , m_out(out)
{
}

void ConsoleLineUi::messageBox(std::string_view title, std::string_view text, platform::Icon)
{
    m_out << '[' << title << "] " << platform::terminalSafe(text, true) << std::endl;
    ++m_messages;
}

platform::Answer ConsoleLineUi::question(std::string_view title, std::string_view text, platform::Buttons buttons,
    platform::Icon)
{
    m_out << '[' << title << "] " << platform::terminalSafe(text, true) << std::endl;
    for (;;) {
        m_out << "? yes/no" << std::endl;
        auto line = m_lines.take();
        if (!line)
            return platform::dismissAnswer(buttons);
        if (auto answer = parseTypedAnswer(*line, buttons))
            return *answer;
    }
}

} // namespace apps::pocket
