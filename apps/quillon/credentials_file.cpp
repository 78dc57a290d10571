#include "apps/quillon/credentials_file.h"

#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace apps::quillon {
namespace {

using platform::unexpected;

constexpr off_t kMaximumSize = 4096;

} // namespace

platform::Result<FileCredentials, std::string> parseCredentials(std::string_view text)
{
    FileCredentials credentials;
    int number = 0;
    while (!text.empty()) {
        ++number;
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#')
            continue;
        std::size_t equals = line.find('=');
        std::string_view key = line.substr(0, equals);
        std::optional<std::string>* slot = key == "id" ? &credentials.id
            : key == "password"                        ? &credentials.password
                                                       : nullptr;
        if (equals == std::string_view::npos || !slot)
            return unexpected("line " + std::to_string(number) + ": expected id=... or password=...");
        *slot = std::string(line.substr(equals + 1));
    }
    return credentials;
}

platform::Result<FileCredentials, std::string> readCredentialsFile(const std::filesystem::path& file)
{
    const std::string name = file.string();
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0)
        return unexpected("cannot read " + name + ": " + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return unexpected(name + " is not a regular file");
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return unexpected(name + " may be read or changed by others; make it private: chmod 600 " + name);
    if (status.st_size > kMaximumSize)
        return unexpected(name + " is too large for a credentials file");
    auto text = platform::readWholeFile(file);
    if (!text)
        return unexpected("cannot read " + name + ": " + platform::describe(text.error()));
    auto parsed = parseCredentials(*text);
    if (!parsed)
        return unexpected(name + ", " + parsed.error());
    return parsed;
}

} // namespace apps::quillon
