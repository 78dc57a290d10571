#include "pc/mail/pop3_security.h"

#include <strings.h>

namespace pc::mail {

std::string_view pop3SecurityName(Pop3Security security)
{
    switch (security) {
    case Pop3Security::Pop3s:
        return "pop3s";
    case Pop3Security::Stls:
        return "stls";
    case Pop3Security::Clear:
        break;
    }
    return "";
}

std::optional<Pop3Security> pop3SecurityOf(std::string_view name)
{
    for (auto security : { Pop3Security::Clear, Pop3Security::Pop3s, Pop3Security::Stls }) {
        std::string_view known = pop3SecurityName(security);
        if (known.size() == name.size() && ::strncasecmp(known.data(), name.data(), name.size()) == 0)
            return security;
    }
    return std::nullopt;
}

} // namespace pc::mail
