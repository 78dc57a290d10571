#include "pc/web/logon_check.h"

namespace pc::web {
namespace {

// Compares without stopping at the first difference.
bool sameText(const std::string& a, const std::string& b)
{
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

void CredentialsLogonCheck::setCredentials(std::string user, std::string password)
{
    std::lock_guard lock(m_mutex);
    m_user = std::move(user);
    m_password = std::move(password);
}

void CredentialsLogonCheck::clearCredentials()
{
    std::lock_guard lock(m_mutex);
    m_user.reset();
    m_password.clear();
}

bool CredentialsLogonCheck::logon(const std::string& user, const std::string& password)
{
    std::lock_guard lock(m_mutex);
    if (!m_user || m_user->empty())
        return false;
    return sameText(*m_user, user) & sameText(m_password, password);
}

} // namespace pc::web
