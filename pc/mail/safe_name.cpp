#include "pc/mail/safe_name.h"

namespace pc::mail {

std::string safeAttachmentName(std::string_view name)
{
    name = platform::lastPathComponent(name);
    // Trim the blanks a sender may leave around a name.
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    if (name.empty())
        return {};
    return mailName(name);
}

} // namespace pc::mail
