#include "pc/service/http_web_service.h"

#include "pc/web/my_http_client.h"
#include "platform/codepage.h"

#include <arpa/inet.h>

namespace pc::service {

namespace {

// The program's handler, reading the decoded URL in the handheld's code page
// before it is mapped onto the service folder, and telling the download
// stage which files it has answered a GET with.
class ServiceHttpClient final : public web::CMyHttpClient {
public:
    ServiceHttpClient(web::CHttpServer& server, std::string codePage, DownloadStage* downloads)
        : CMyHttpClient(server)
        , m_codePage(std::move(codePage))
        , m_downloads(downloads)
    {
    }

protected:
    std::optional<web::MappedPath> mapUrlToLocalPath() override
    {
        if (!platform::isUtf8CodePage(m_codePage))
            m_request.url = platform::toUtf8(m_request.url, m_codePage);
        return CMyHttpClient::mapUrlToLocalPath();
    }

    void transmitFile(const std::string& localPath) override
    {
        if (!m_downloads) {
            CMyHttpClient::transmitFile(localPath);
            return;
        }
        m_downloads->serve(localPath, [&] {
            m_lastStatus = 0;
            CMyHttpClient::transmitFile(localPath);
            // The rest of a cut download (206) is the file's last answer too.
            return (m_lastStatus == 200 || m_lastStatus == 206) && m_request.verb == web::HttpVerb::Get;
        });
    }

    void postLog(int status, std::uint64_t bodyLength) override
    {
        m_lastStatus = status;
        CMyHttpClient::postLog(status, bodyLength);
    }

private:
    std::string m_codePage;
    DownloadStage* m_downloads;
    int m_lastStatus = 0;
};

std::vector<const web::ContentTypeSource*> contentTypeSources(const web::MimeTypesFile& mimeTypes,
    const web::RegistryContentTypes* registryTypes)
{
    std::vector<const web::ContentTypeSource*> sources { &mimeTypes };
    if (registryTypes)
        sources.push_back(registryTypes);
    return sources;
}

} // namespace

HttpWebService::HttpWebService(platform::Clock& clock, const WebAccessGate& gate, std::ostream& accessLog,
    WebConfig config)
    : m_gate(gate)
    , m_config(std::move(config))
    , m_mimeTypes(m_config.mimeTypesFile)
    , m_registryTypes(
          m_config.registry ? std::make_unique<web::RegistryContentTypes>(*m_config.registry) : nullptr)
    , m_types(contentTypeSources(m_mimeTypes, m_registryTypes.get()))
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
    config.handlerFactory = [codePage = m_config.codePage, downloads = m_config.downloads](web::CHttpServer& server) {
        return std::make_unique<ServiceHttpClient>(server, codePage, downloads);
    };
    config.secureLink = m_config.secureLink;
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
