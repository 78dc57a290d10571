#include "pc/mail/safe_name.h"

#include "pc/mail/charset.h"
#include "platform/codepage.h"

namespace pc::mail {

std::string safePathComponent(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : platform::cutBytes(name, kMaxComponentBytes)) {
        auto byte = static_cast<unsigned char>(c);
        bool unsafe = c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
        out.push_back(unsafe ? '_' : c);
    }
    if (out.empty() || out == ".")
        return "_";
    if (out == "..")
        return "__";
    return out;
}

std::string safeAttachmentName(std::string_view name)
{
    auto slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    // Trim the blanks a sender may leave around a name.
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    if (name.empty())
        return {};
    return safePathComponent(name);
}

} // namespace pc::mail
