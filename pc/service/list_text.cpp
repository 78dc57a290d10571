#include "pc/service/list_text.h"

#include "platform/files.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace pc::service {

void ListText::add(std::string_view entry)
{
    m_content.append(entry);
    m_content.push_back('\n');
}

std::string inlineOrFileName(const std::string& content, std::string_view fileName, std::string_view codePage)
{
    if (platform::encodedSize(content, codePage) < kInlineListLimit)
        return "." + content;
    return std::string(fileName);
}

bool writeListFile(const std::filesystem::path& file, std::string_view text, std::string_view codePage,
    std::string_view trailer)
{
    std::string content = platform::fromUtf8(text, codePage);
    content.append(trailer);
    std::filesystem::path temporary = file;
    temporary += ".part";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = static_cast<bool>(platform::writeAll(fd, content, temporary.string()));
    ok = (::close(fd) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace pc::service
