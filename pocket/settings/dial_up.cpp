#include "pocket/settings/dial_up.h"

#include "platform/ui.h"
#include "pocket/settings/pda_settings.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

extern char** environ;

namespace pocket::settings {

namespace {

constexpr const char* kTitle = "Quillon";

struct RunResult {
    int exitCode = -1;
    std::string output;
};

// Runs the program with its standard output captured; nothing when it could
// not be started.
std::optional<RunResult> runProgram(const std::vector<std::string>& arguments, bool wait)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // A dialler left running writes into nothing rather than into a pipe
    // whose reader is gone (which would end it by SIGPIPE).
    if (wait)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return std::nullopt;
    }
    RunResult result;
    if (!wait) {
        // The dialler runs on; a thread of its own reaps it.
        ::close(pipeFds[0]);
        std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
        result.exitCode = 0;
        return result;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace

std::vector<std::string> parseTerseNames(const std::string& output)
{
    std::vector<std::string> names;
    std::string name;
    bool escaped = false;
    for (char c : output) {
        if (escaped) {
            name.push_back(c);
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == '\n') {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        } else {
            name.push_back(c);
        }
    }
    if (!name.empty())
        names.push_back(name);
    return names;
}

NmcliDialUp::NmcliDialUp(std::string program)
    : m_program(std::move(program))
{
}

std::vector<std::string> NmcliDialUp::phonebookEntries()
{
    auto result = runProgram({ m_program, "-t", "-f", "NAME", "connection", "show" }, true);
    if (!result || result->exitCode != 0)
        return {};
    auto names = parseTerseNames(result->output);
    if (names.size() > kMaxPhonebookEntries)
        names.resize(kMaxPhonebookEntries);
    return names;
}

std::optional<std::vector<std::string>> NmcliDialUp::activeConnections()
{
    auto result = runProgram({ m_program, "-t", "-f", "NAME", "connection", "show", "--active" }, true);
    if (!result || result->exitCode != 0)
        return std::nullopt;
    return parseTerseNames(result->output);
}

bool NmcliDialUp::startDial(const std::string& entry)
{
    return runProgram({ m_program, "connection", "up", "id", entry }, false).has_value();
}

bool NmcliDialUp::hangUp(const std::string& entry)
{
    auto result = runProgram({ m_program, "connection", "down", "id", entry }, true);
    return result && result->exitCode == 0;
}

void dial(DialUp& dialUp, const PdaSettings& settings, platform::Ui& ui)
{
    if (settings.myConnection.empty()) {
        ui.messageBox(kTitle, "환경설정의 연결정보에\n 대한 정보가 없습니다. 설정해주세요.", platform::Icon::Information);
        return;
    }
    auto active = dialUp.activeConnections();
    if (active && !active->empty()) {
        if (std::find(active->begin(), active->end(), settings.myConnection) == active->end())
            ui.messageBox(kTitle, "이미 다른 연결이 존재합니다. \n해당 연결을 먼저 해제해주세요.", platform::Icon::Information);
        return;
    }
    if (!dialUp.startDial(settings.myConnection))
        ui.messageBox(kTitle, "연결 실패. 연결정보가 정확한지 확인해 주십시오.", platform::Icon::Warning);
}

void hangUp(DialUp& dialUp, const PdaSettings& settings)
{
    auto active = dialUp.activeConnections();
    if (!active)
        return;
    for (const auto& name : *active) {
        if (name == settings.myConnection && !dialUp.hangUp(name))
            return;
    }
}

} // namespace pocket::settings
