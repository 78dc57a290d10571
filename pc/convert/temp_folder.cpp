#include "pc/convert/temp_folder.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace pc::convert {

platform::IoResult<TempFolder> TempFolder::create(std::string_view prefix)
{
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        return platform::errorFromErrno("mkdtemp " + pattern, errno);
    return TempFolder(std::filesystem::path(buffer.data()));
}

TempFolder::TempFolder(TempFolder&& other) noexcept
    : m_path(std::move(other.m_path))
{
    other.m_path.clear();
}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept
{
    if (this != &other) {
        remove();
        m_path = std::move(other.m_path);
        other.m_path.clear();
    }
    return *this;
}

TempFolder::~TempFolder()
{
    remove();
}

void TempFolder::remove()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
    m_path.clear();
}

} // namespace pc::convert
