#pragma once

// File: platform/process.h
// Running other programs: the office and HWP bridges, pdftoppm, nmcli,
// xdg-open and xdg-email. runProcess() waits for the program and returns what
// it wrote; launchDetached() starts one that lives on by itself (the shell's
// "open" verb), ChildProcess one that talks with us over pipes. Programs are
// found on PATH; nothing goes through a shell, so arguments need no quoting.
// Those of runProcess() and ChildProcess inherit no descriptor of ours but
// their standard ones. Blocking: call runProcess() from a worker thread when
// the program may take long.
//
//     platform::ProcessOptions options;
//     options.timeout = std::chrono::seconds(60);
//     auto result = TRY(platform::runProcess({ "pdftoppm", "-png", pdf, prefix }, options));
//     if (result.exitCode != 0) ...

#include "platform/result.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ProcessOptions {
    // Kills the program (SIGKILL) when it runs longer; zero waits forever.
    std::chrono::milliseconds timeout { 0 };
    std::string input; // Written to its standard input, which is then closed.
    std::filesystem::path workingFolder; // Empty: this process's folder.
    bool captureErrors = false; // Standard error into `output` too; else discarded.
};

struct ProcessResult {
    int exitCode = 0; // 128 + the signal number when a signal ended it.
    bool timedOut = false;
    std::string output;
};

// NotFound when the program does not exist.
IoResult<ProcessResult> runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// Starts a program without waiting for it; it is reaped when it ends.
IoResult<void> launchDetached(const std::vector<std::string>& argv);

// Opens a file, folder or URL with the desktop's program for it (xdg-open).
IoResult<void> openWithDesktop(const std::string& target);

// A program that runs beside this one and exchanges lines over its standard
// input and output (the office bridge). It leads a process group of its own,
// so that kill() also ends the programs it started; it inherits no
// descriptor of this process but the two pipes (standard error goes to
// /dev/null). The object ends the group when it goes. Use from one thread at
// a time.
class ChildProcess {
public:
    static IoResult<ChildProcess> start(const std::vector<std::string>& argv);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    int pid() const { return m_pid; }
    // Writes all of `text` to its standard input; Closed when it has gone.
    IoResult<void> write(std::string_view text);
    // The next line of its output, without the "\n"; Timeout when none has
    // come by the deadline, Closed when the program closed its output.
    IoResult<std::string> readLine(std::chrono::steady_clock::time_point deadline);
    // Whether the program has ended (it is then reaped).
    bool hasEnded();
    // SIGKILL to the whole group; the program is reaped.
    void kill();

private:
    ChildProcess(int pid, int input, int output);
    void closePipes();

    int m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    bool m_reaped = false;
    std::string m_buffer; // Output read past the last line handed out.
};

} // namespace platform
