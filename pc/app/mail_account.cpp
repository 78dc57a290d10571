#include "pc/app/mail_account.h"

#include <algorithm>

namespace pc::app {

namespace {

constexpr char kSeparator = '`';

// The text up to the next backquote; drops it and the backquote from `rest`.
std::string takeField(std::string_view& rest)
{
    std::size_t end = rest.find(kSeparator);
    std::string field(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return field;
}

} // namespace

std::string encodeMailAccounts(const std::vector<MailAccount>& accounts)
{
    std::string info;
    for (const auto& account : accounts) {
        for (const auto* field : { &account.server, &account.user, &account.password }) {
            info += *field;
            info += kSeparator;
        }
    }
    return info;
}

std::vector<MailAccount> decodeMailAccounts(std::string_view info, int count)
{
    std::vector<MailAccount> accounts;
    int wanted = std::clamp(count, 0, static_cast<int>(kMaxMailAccounts));
    for (int i = 0; i < wanted; ++i) {
        MailAccount account;
        account.server = takeField(info);
        account.user = takeField(info);
        account.password = takeField(info);
        accounts.push_back(std::move(account));
    }
    return accounts;
}

std::string encodeMailSecurity(const std::vector<MailAccount>& accounts)
{
    std::string text;
    for (const auto& account : accounts) {
        text += mail::pop3SecurityName(account.security);
        text += kSeparator;
    }
    return text;
}

void decodeMailSecurity(std::string_view text, std::vector<MailAccount>& accounts)
{
    for (auto& account : accounts)
        account.security = mail::pop3SecurityOf(takeField(text)).value_or(mail::Pop3Security::Clear);
}

} // namespace pc::app
