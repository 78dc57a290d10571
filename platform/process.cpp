#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    void closeRead()
    {
        if (read >= 0)
            ::close(read);
        read = -1;
    }
    void closeWrite()
    {
        if (write >= 0)
            ::close(write);
        write = -1;
    }
};

IoResult<void> openPipe(Pipe& pipe)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return errorFromErrno("pipe", errno);
    pipe.read = fds[0];
    pipe.write = fds[1];
    return {};
}

std::vector<char*> argumentPointers(const std::vector<std::string>& argv)
{
    std::vector<char*> pointers;
    for (const auto& argument : argv)
        pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// Feeds the input and collects the output until the program closes its end,
// or the deadline passes. Returns false on a time-out.
bool exchange(Pipe& input, Pipe& output, std::string_view toWrite, std::string& collected,
    std::chrono::steady_clock::time_point deadline, bool hasDeadline)
{
    char buffer[8192];
    while (output.read >= 0) {
        pollfd fds[2] = { { output.read, POLLIN, 0 }, { input.write, POLLOUT, 0 } };
        int count = input.write >= 0 ? 2 : 1;
        int timeoutMs = -1;
        if (hasDeadline) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            timeoutMs = static_cast<int>(left.count());
        }
        int ready = ::poll(fds, static_cast<nfds_t>(count), timeoutMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready == 0)
            continue; // The deadline is checked at the top.
        if (count == 2 && fds[1].revents) {
            ssize_t written = toWrite.empty() ? 0 : ::write(input.write, toWrite.data(), toWrite.size());
            if (written > 0)
                toWrite.remove_prefix(static_cast<std::size_t>(written));
            bool retry = written < 0 && (errno == EAGAIN || errno == EINTR);
            if (toWrite.empty() || (written < 0 && !retry))
                input.closeWrite();
        }
        if (fds[0].revents) {
            ssize_t got = ::read(output.read, buffer, sizeof buffer);
            if (got > 0)
                collected.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || (errno != EINTR && errno != EAGAIN))
                output.closeRead();
        }
    }
    return true;
}

// Writing to a program that has gone raises SIGPIPE; this thread holds it
// back while it feeds the program and drops it afterwards, leaving the
// process-wide disposition alone.
class SigPipeBlocker {
public:
    SigPipeBlocker()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~SigPipeBlocker()
    {
        timespec zero {};
        while (sigtimedwait(&m_pipe, nullptr, &zero) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }

private:
    sigset_t m_pipe;
    sigset_t m_previous;
};

// Waits until the program has ended (without reaping it) or the deadline has
// passed; false on a time-out.
bool waitForExit(pid_t pid, std::chrono::steady_clock::time_point deadline)
{
    int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidFd < 0)
        return true; // No pidfd: waitpid() without the deadline.
    bool ended = false;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd { pidFd, POLLIN, 0 };
        int ready = ::poll(&fd, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready > 0 || (ready < 0 && errno != EINTR)) {
            ended = true;
            break;
        }
        if (ready == 0)
            break;
    }
    ::close(pidFd);
    return ended;
}

IoResult<pid_t> spawn(const std::vector<std::string>& argv, posix_spawn_file_actions_t* actions,
    const posix_spawnattr_t* attributes = nullptr)
{
    if (argv.empty() || argv[0].empty())
        return Error { ErrorCode::InvalidArgument, "no program to run", 0 };
    auto pointers = argumentPointers(argv);
    pid_t pid = 0;
    int failure = ::posix_spawnp(&pid, argv[0].c_str(), actions, attributes, pointers.data(), environ);
    if (failure != 0)
        return errorFromErrno("run " + argv[0], failure);
    return pid;
}

struct PipedSpawn {
    bool errorsToOutput = false;
    std::filesystem::path workingFolder;
    bool ownGroup = false; // Leads a process group of its own.
};

// Starts a program with pipes on its standard input and output; standard
// error goes to the output or to /dev/null. It inherits no other
// descriptor: listening sockets and open files stay with this process.
// Leaves our ends of the pipes open, the program's closed.
IoResult<pid_t> spawnPiped(const std::vector<std::string>& argv, Pipe& input, Pipe& output, const PipedSpawn& how)
{
    TRY(openPipe(input));
    TRY(openPipe(output));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.write, STDOUT_FILENO);
    if (how.errorsToOutput)
        posix_spawn_file_actions_adddup2(&actions, output.write, STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    if (!how.workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, how.workingFolder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (how.ownGroup) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    auto pid = spawn(argv, &actions, &attributes);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    input.closeRead();
    output.closeWrite();
    return pid;
}

} // namespace

IoResult<ProcessResult> runProcess(const std::vector<std::string>& argv, const ProcessOptions& options)
{
    Pipe input, output;
    auto pid = spawnPiped(argv, input, output, { options.captureErrors, options.workingFolder, false });
    if (!pid)
        return pid.error();
    // Our ends never block, so that a program busy writing while we write
    // (cat with a large input) cannot lock both sides.
    ::fcntl(input.write, F_SETFL, O_NONBLOCK);
    ::fcntl(output.read, F_SETFL, O_NONBLOCK);

    ProcessResult result;
    bool hasDeadline = options.timeout.count() > 0;
    auto deadline = std::chrono::steady_clock::now() + options.timeout;
    {
        SigPipeBlocker blocker;
        result.timedOut = !exchange(input, output, options.input, result.output, deadline, hasDeadline);
    }
    input.closeWrite();
    output.closeRead();
    // A program may close its output and still run on: the deadline holds.
    if (!result.timedOut && hasDeadline)
        result.timedOut = !waitForExit(*pid, deadline);
    if (result.timedOut)
        ::kill(*pid, SIGKILL);
    int status = 0;
    while (::waitpid(*pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = exitCodeOf(status);
    return result;
}

IoResult<void> launchDetached(const std::vector<std::string>& argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    auto pid = spawn(argv, &actions);
    posix_spawn_file_actions_destroy(&actions);
    if (!pid)
        return pid.error();
    // Reaped in the background, so that no zombie stays behind.
    std::thread([child = *pid] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return {};
}

IoResult<void> openWithDesktop(const std::string& target)
{
    return launchDetached({ "xdg-open", target });
}

IoResult<ChildProcess> ChildProcess::start(const std::vector<std::string>& argv)
{
    Pipe input, output;
    auto pid = spawnPiped(argv, input, output, { false, {}, true });
    if (!pid)
        return pid.error();
    ChildProcess child(*pid, input.write, output.read);
    input.write = -1;
    output.read = -1;
    return child;
}

ChildProcess::ChildProcess(int pid, int input, int output)
    : m_pid(pid)
    , m_input(input)
    , m_output(output)
{
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1))
    , m_input(std::exchange(other.m_input, -1))
    , m_output(std::exchange(other.m_output, -1))
    , m_reaped(other.m_reaped)
    , m_buffer(std::move(other.m_buffer))
{
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        kill();
        m_pid = std::exchange(other.m_pid, -1);
        m_input = std::exchange(other.m_input, -1);
        m_output = std::exchange(other.m_output, -1);
        m_reaped = other.m_reaped;
        m_buffer = std::move(other.m_buffer);
    }
    return *this;
}

ChildProcess::~ChildProcess()
{
    kill();
}

void ChildProcess::closePipes()
{
    if (m_input >= 0)
        ::close(m_input);
    if (m_output >= 0)
        ::close(m_output);
    m_input = m_output = -1;
}

IoResult<void> ChildProcess::write(std::string_view text)
{
    SigPipeBlocker blocker;
    while (!text.empty()) {
        if (m_input < 0)
            return Error { ErrorCode::Closed, "the program has gone", 0 };
        ssize_t written = ::write(m_input, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Error { ErrorCode::Closed, "the program has gone", errno };
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

IoResult<std::string> ChildProcess::readLine(std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        std::size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        if (m_output < 0)
            return Error { ErrorCode::Closed, "the program closed its output", 0 };
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return Error { ErrorCode::Timeout, "no answer by the deadline", 0 };
        pollfd fd { m_output, POLLIN, 0 };
        int ready = ::poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), 60000)));
        if (ready < 0 && errno != EINTR)
            return errorFromErrno("poll", errno);
        if (ready <= 0)
            continue;
        char buffer[4096];
        ssize_t got = ::read(m_output, buffer, sizeof buffer);
        if (got > 0) {
            m_buffer.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            ::close(m_output);
            m_output = -1;
        }
    }
}

bool ChildProcess::hasEnded()
{
    if (m_pid < 0 || m_reaped)
        return true;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
        m_reaped = true;
    return m_reaped;
}

void ChildProcess::kill()
{
    closePipes();
    if (m_pid < 0)
        return;
    // The group is gone once its last member is; the leader may have ended
    // before the programs it started.
    ::kill(-m_pid, SIGKILL);
    if (!m_reaped) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    m_pid = -1;
    m_reaped = false;
    m_buffer.clear();
}

} // namespace platform
