#include "pc/service/http_web_service.h"

#include <arpa/inet.h>

namespace pc::service {

HttpWebService::HttpWebService(platform::Clock& clock, const WebAccessGate& gate, std::ostream& accessLog,
    WebConfig config)
    : m_gate(gate)
    , m_config(std::move(config))
    , m_types(std::string(web::MimeTypesFile::kSystemPath))
    , m_server(clock, m_logon, accessLog, m_types)
{
    m_server.setClientFilter([this](const in_addr& address) { return m_gate.allows(address.s_addr); });
}

HttpWebService::~HttpWebService()
{
    m_server.stop();
}

void HttpWebService::setCredentials(const Credentials& credentials)
{
    m_logon.setCredentials(credentials.id, credentials.password);
}

bool HttpWebService::startWeb()
{
    web::CHttpServerConfig config = web::CHttpServerConfig::forServiceFolder(m_config.root.string(), m_config.port);
    if (!m_config.bindAddress.empty()) {
        config.bindToAddress = ::inet_pton(AF_INET, m_config.bindAddress.c_str(), &config.bindAddress) == 1;
    }
    return m_server.start(config);
}

void HttpWebService::stopWeb()
{
    m_server.stop();
}

std::uint16_t HttpWebService::webPort() const
{
    return m_server.isRunning() ? m_server.port() : 0;
}

} // namespace pc::service
