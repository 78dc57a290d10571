#pragma once

// What the end-to-end tests share: the real programs in child processes with
// pipes on their standard input and output, free loopback ports for the PC
// program, temporary folders, and the start of `quillon --headless` and of
// `quillon-pocket --console`.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tests::e2e {

using namespace std::chrono_literals;

// A new folder below the system's temporary folder, named from `prefix`
// ("name-XXXXXX").
std::filesystem::path makeTemporaryFolder(const std::string& prefix);

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::filesystem::path& file);

// A program in a child process with pipes on standard input and output
// (standard error goes to the output too). Destroying it kills the program.
class ChildProgram {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;

    ChildProgram(const char* binary, std::vector<std::string> words, const Environment& environment);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    void type(const std::string& lines);
    // Closes the program's standard input.
    void endInput();

    // Reads output until it holds `text` after what earlier waitFor calls
    // consumed, or the deadline passes.
    bool waitFor(const std::string& text, std::chrono::milliseconds timeout = 20s);
    // Reads output until it holds `text` anywhere, or the deadline passes.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout = 20s);

    // Waits for the exit and returns the status (-1 when it did not exit
    // normally).
    int wait();
    // Sends SIGTERM, then the same as wait().
    int terminate();

    const std::string& output() const { return m_text; }

private:
    // Reads more output before the deadline; false at its end or the deadline.
    bool readMore(std::chrono::steady_clock::time_point deadline);

    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    std::string m_text;
    std::size_t m_consumed = 0;
};

// The three listening ports of the PC program, each free when chosen.
struct PcPorts {
    PcPorts();

    // "--command-port N --upload-port N --web-port N".
    std::vector<std::string> arguments() const;
    // The handheld console's line that points it at these ports on 127.0.0.1.
    std::string pocketOptionLine() const;

    std::uint16_t command;
    std::uint16_t upload;
    std::uint16_t web;
};

// `quillon --headless --home <home> <arguments>` with QUILLON_PASSWORD and
// XDG_CONFIG_HOME set.
ChildProgram startHeadlessPc(const std::filesystem::path& home, const std::filesystem::path& configHome,
    const std::string& password, const std::vector<std::string>& arguments);

// `quillon-pocket --console` in `pocketHome`, with a PATH where it finds no
// nmcli.
ChildProgram startPocketConsole(const std::filesystem::path& pocketHome);

// "--id owner --start" and the ports: the service starts at once for the
// user "owner".
std::vector<std::string> ownerStartArguments(const PcPorts& ports);

// The handheld in `pocketHome` trusts the PC in `pcHome` at 127.0.0.1, as
// after a first connection answered yes (the PC's key is made if need be).
void pairPocketWithPc(const std::filesystem::path& pocketHome, const std::filesystem::path& pcHome);

// `quillon --headless` in root/pc (settings in root/config) for the user
// "owner" with the password "secret", its service started on `ports`; the
// handheld in root/pocket is paired with it.
ChildProgram startOwnerPc(const std::filesystem::path& root, const PcPorts& ports);

// Points the handheld console at `ports` and logs in as "owner"; true once
// the console says it is logged in.
bool logInOwner(ChildProgram& pocket, const PcPorts& ports);

} // namespace tests::e2e
