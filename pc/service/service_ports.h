#pragma once

// File: pc/service/service_ports.h
// The small interfaces through which the remote service reaches the rest of
// the program: the log pane, the progress window of searches and uploads, and
// the sender of answers. The shell (pc/app, gui/) implements them; tests use
// recording fakes. All calls arrive on the window thread.

#include "proto/pc_answer.h"

#include <string_view>

namespace pc::service {

// The log pane of the main window. Each call appends one time-stamped entry.
class ServiceLog {
public:
    virtual ~ServiceLog() = default;
    virtual void appendLog(std::string_view text) = 0;
    // Whether the pane already holds text (some entries then start with an
    // empty line).
    virtual bool hasText() const { return false; }
};

// A modeless progress window with a bar from 0 to 100.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void openProgress() = 0;
    virtual void setProgress(int percent) = 0;
    virtual void stepProgress() = 0;
    virtual void closeProgress() = 0;
};

// A progress window that shows nothing, for front ends without one.
class NullProgressView final : public ProgressView {
public:
    void openProgress() override { }
    void setProgress(int) override { }
    void stepProgress() override { }
    void closeProgress() override { }
};

// Sends an answer to every open command connection (the only mode this
// system uses).
class AnswerSink {
public:
    virtual ~AnswerSink() = default;
    virtual void sendAnswer(const proto::PcAnswer& answer) = 0;
};

} // namespace pc::service
