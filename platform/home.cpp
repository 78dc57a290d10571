#include "platform/home.h"

#include "platform/files.h"

#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

std::string_view nonEmpty(const char* value)
{
    return value ? std::string_view(value) : std::string_view();
}

} // namespace

EnvironmentReader processEnvironment()
{
    return [](const char* name) -> const char* { return std::getenv(name); };
}

IoResult<std::filesystem::path> resolveHome(Program program, std::string_view homeOption,
    const EnvironmentReader& environment)
{
    if (!homeOption.empty())
        return std::filesystem::path(homeOption);
    const char* variable = program == Program::Pc ? "QUILLON_HOME" : "QUILLON_POCKET_HOME";
    const char* folderName = program == Program::Pc ? "quillon" : "quillon-pocket";
    if (auto home = nonEmpty(environment(variable)); !home.empty())
        return std::filesystem::path(home);
    // The XDG base-directory rules ignore a relative XDG_DATA_HOME.
    if (auto data = nonEmpty(environment("XDG_DATA_HOME")); !data.empty() && data.front() == '/')
        return std::filesystem::path(data) / folderName;
    if (auto user = nonEmpty(environment("HOME")); !user.empty())
        return std::filesystem::path(user) / ".local" / "share" / folderName;
    return Error { ErrorCode::NotFound, "no home folder: neither --home, " + std::string(variable) + " nor HOME is set", 0 };
}

IoResult<std::filesystem::path> prepareHome(Program program, std::string_view homeOption,
    const EnvironmentReader& environment)
{
    auto home = TRY(resolveHome(program, homeOption, environment));
    TRY(createFolders(home, kPrivateFolderMode));
    return home;
}

std::string_view findHomeOption(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "--home" && i + 1 < argc)
            return argv[i + 1];
        if (argument.starts_with("--home="))
            return argument.substr(7);
    }
    return {};
}

} // namespace platform
