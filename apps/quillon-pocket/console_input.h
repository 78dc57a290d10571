#pragma once

// File: apps/quillon-pocket/console_input.h
// Standard input of the console front end: a thread reads lines into a
// queue and wakes the window thread; commands and the answers to questions
// are taken from the same queue, in the order they were typed. ConsoleLineUi
// prints message boxes as "[title] text" and answers questions from the next
// line ("yes" or "no"; "ok" and "cancel" too).

#include "platform/event_loop.h"
#include "platform/ui.h"

#include <condition_variable>
#include <deque>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace apps::pocket {

class LineQueue {
public:
    // Starts the reading thread. Each line read posts `wakeMessage` to the
    // target so that a loop waiting for input looks again.
    static std::shared_ptr<LineQueue> start(std::istream& in, platform::EventLoop& loop,
        platform::MessageTarget& target, int wakeMessage);

    // A line if one is waiting, without blocking.
    std::optional<std::string> tryTake();
    // Waits for the next line; nothing at the end of input.
    std::optional<std::string> take();
    bool hasLine() const;
    bool atEnd() const; // The input ended and every line was taken.
    // The window thread is going away: the reading thread posts no more.
    void close();

private:
    void push(std::string line);
    void finish();
    void wake();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_lines;
    bool m_ended = false;
    bool m_closed = false;
    platform::EventLoop* m_loop = nullptr;
    platform::MessageTarget* m_target = nullptr;
    int m_wakeMessage = 0;
};

class ConsoleLineUi final : public platform::Ui {
public:
    ConsoleLineUi(LineQueue& lines, std::ostream& out);

    using Ui::question;
    void messageBox(std::string_view title, std::string_view text, platform::Icon icon) override;
    platform::Answer question(std::string_view title, std::string_view text, platform::Buttons buttons,
        platform::Icon icon) override;

    // Message boxes shown so far; commands wait for the next one.
    std::size_t messageCount() const { return m_messages; }

private:
    LineQueue& m_lines;
    std::ostream& m_out;
    std::size_t m_messages = 0;
};

// A typed answer: "yes"/"no" (or y/n) also stand for OK/Cancel.
std::optional<platform::Answer> parseTypedAnswer(std::string_view typed, platform::Buttons buttons);

} // namespace apps::pocket
