#pragma once

// File: platform/process.h
// Running other programs: the office and HWP bridges, pdftoppm, nmcli,
// xdg-open and xdg-email. runProcess() waits for the program and returns what
// it wrote; launchDetached() starts one that lives on by itself (the shell's
// "open" verb). Programs are found on PATH; nothing goes through a shell, so
// arguments need no quoting. Blocking: call runProcess() from a worker thread
// when the program may take long.
//
//     platform::ProcessOptions options;
//     options.timeout = std::chrono::seconds(60);
//     auto result = TRY(platform::runProcess({ "pdftoppm", "-png", pdf, prefix }, options));
//     if (result.exitCode != 0) ...

#include "platform/result.h"

#include <chrono>
#include <filesystem>
#include <string>
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

} // namespace platform
