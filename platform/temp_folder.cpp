#include "platform/temp_folder.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace platform {

IoResult<TempFolder> TempFolder::create(std::string_view prefix)
{
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    return createIn(base, prefix);
}

IoResult<TempFolder> TempFolder::createIn(const std::filesystem::path& parent, std::string_view prefix)
{
    std::string pattern = (parent / (std::string(prefix) + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        return errorFromErrno("mkdtemp " + pattern, errno);
    TempFolder folder;
    folder.m_path = buffer.data();
    return folder;
}

TempFolder::TempFolder(std::string_view prefix)
{
    if (auto created = create(prefix))
        m_path = created->release();
}

TempFolder::TempFolder(TempFolder&& other) noexcept
    : m_path(other.release())
{
}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept
{
    if (this != &other) {
        remove();
        m_path = other.release();
    }
    return *this;
}

TempFolder::~TempFolder()
{
    remove();
}

std::filesystem::path TempFolder::release()
{
    std::filesystem::path path = std::move(m_path);
    m_path.clear();
    return path;
}

void TempFolder::remove()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
    m_path.clear();
}

} // namespace platform
