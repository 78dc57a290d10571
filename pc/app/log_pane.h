#pragma once

// File: pc/app/log_pane.h
// The main window's log pane without its widget: formats entries, keeps the
// text for saving (bounded, repeats folded: log_history.h) and hands the
// styled runs to a LogView, which appends them at the end, scrolls to them
// and keeps no more than LogHistory::kMaxLines lines. Entries may come from any thread (mail
// checks run on workers); the view is only called on the window thread, the
// thread that built the pane.

#include "pc/app/log_entry.h"
#include "pc/app/log_history.h"
#include "pc/app/log_sink.h"
#include "platform/event_loop.h"

#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace pc::app {

// What the pane's widget does.
class LogView {
public:
    virtual ~LogView() = default;
    // Appends one entry's runs at the end and scrolls to it.
    virtual void appendRuns(const std::vector<LogRun>& runs) = 0;
    virtual void clearLog() = 0;
};

class LogPane final : public LogSink, private platform::MessageTarget {
public:
    LogPane(platform::EventLoop& loop, LogView& view);

    bool hasText() const override;
    void append(std::string_view text, int kind) override;
    std::string text() const override;
    void clear() override;

private:
    static constexpr int kFlush = 1;

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;
    void flush();

    platform::EventLoop& m_loop;
    LogView& m_view;
    std::thread::id m_windowThread;
    mutable std::mutex m_mutex;
    LogHistory m_history;
    std::deque<std::vector<LogRun>> m_waiting; // Entries from other threads.
};

} // namespace pc::app
