#include "pc/app/desktop_launcher.h"

#include "platform/process.h"
#include "platform/trace.h"

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pc::app {

namespace {

struct DateTimePanel {
    const char* program;
    const char* arguments;
};

// Desktop panels in the order they are tried.
const DateTimePanel kDateTimePanels[] = {
    { "gnome-control-center", "datetime" },
    { "kcmshell6", "kcm_clock" },
    { "kcmshell5", "clock" },
    { "mate-time-admin", "" },
    { "cinnamon-settings", "calendar" },
};

} // namespace

std::string shellQuote(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted.push_back(c);
    }
    quoted.push_back('\'');
    return quoted;
}

std::string findOnPath(const std::vector<std::string>& names)
{
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    for (const auto& name : names) {
        std::size_t start = 0;
        while (start <= folders.size()) {
            std::size_t end = folders.find(':', start);
            if (end == std::string_view::npos)
                end = folders.size();
            std::string folder(folders.substr(start, end - start));
            std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
            start = end + 1;
        }
    }
    return {};
}

bool XdgLauncher::runCommand(const std::string& commandLine)
{
    // The shell puts the program in the background and ends at once, so the
    // program is nobody's child to wait for.
    std::string script = "(" + commandLine + ") </dev/null >/dev/null 2>&1 &";
    char sh[] = "/bin/sh";
    char dashC[] = "-c";
    char* argv[] = { sh, dashC, script.data(), nullptr };
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) {
        platform::trace("launcher: cannot start /bin/sh");
        return false;
    }
    int status = 0;
    pid_t waited = 0;
    do
        waited = ::waitpid(pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    return waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool XdgLauncher::openFile(const std::filesystem::path& file)
{
    auto opened = platform::openWithDesktop(file.string());
    if (!opened)
        platform::trace("launcher: " + platform::describe(opened.error()));
    return static_cast<bool>(opened);
}

bool XdgLauncher::openDateTimeSettings()
{
    for (const auto& panel : kDateTimePanels) {
        std::string program = findOnPath({ panel.program });
        if (program.empty())
            continue;
        std::vector<std::string> argv { program };
        if (*panel.arguments)
            argv.push_back(panel.arguments);
        return static_cast<bool>(platform::launchDetached(argv));
    }
    platform::trace("launcher: no date and time settings panel found");
    return false;
}

} // namespace pc::app
