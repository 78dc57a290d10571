#include "apps/version/version.h"

#include "git_description.h"

namespace apps {

std::string_view projectVersion()
{
    return QUILLON_VERSION;
}

std::string versionLine(std::string_view program)
{
    std::string line(program);
    line += ' ';
    line += projectVersion();
    std::string_view description = QUILLON_GIT_DESCRIPTION;
    if (!description.empty()) {
        line += " (git ";
        line += description;
        line += ')';
    }
    line += '\n';
    return line;
}

} // namespace apps
