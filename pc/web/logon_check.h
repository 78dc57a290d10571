#pragma once

// File: pc/web/logon_check.h
// Checks a user name and password before the web server acts on a request's
// credentials (DELETE needs a passing check). The program gives the check its
// own login id and password; without them every logon fails.

#include <mutex>
#include <optional>
#include <string>

namespace pc::web {

class LogonCheck {
public:
    virtual ~LogonCheck() = default;
    virtual bool logon(const std::string& user, const std::string& password) = 0;
};

// Compares against one set of credentials, which may be replaced at run time
// from any thread (the login id becomes known after the server has started).
class CredentialsLogonCheck final : public LogonCheck {
public:
    void setCredentials(std::string user, std::string password);
    void clearCredentials();
    bool logon(const std::string& user, const std::string& password) override;

private:
    std::mutex m_mutex;
    std::optional<std::string> m_user;
    std::string m_password;
};

} // namespace pc::web
