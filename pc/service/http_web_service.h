#pragma once

// File: pc/service/http_web_service.h
// The web server of the service: serves the service root on the web port,
// only to loopback and the logged-in handheld (others are refused before
// their request is handled), and checks DELETE credentials against the PC
// login id and password. Content types come from /etc/mime.types, then the
// registry store. URLs arrive in the handheld's code page and name
// files by their UTF-8 names. Started and stopped by RemoteService.

#include "pc/service/download_stage.h"
#include "pc/service/session.h"
#include "pc/service/web_access.h"
#include "pc/web/content_type_cache.h"
#include "pc/web/http_server.h"
#include "pc/web/logon_check.h"
#include "pc/web/registry_content_types.h"
#include "platform/registry.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

namespace pc::service {

struct WebConfig {
    std::filesystem::path root;
    std::uint16_t port = 91;
    std::string bindAddress; // Empty: all addresses.
    // The handheld names files in its code page; their names on disk are
    // UTF-8, so request URLs are read in this code page.
    std::string codePage = "UTF-8";
    // Content types: the system's table first, then the registry store's
    // value "Content Type" of the extension's key (when a store is given; it
    // outlives the service), else "text/plain".
    std::string mimeTypesFile = std::string(web::MimeTypesFile::kSystemPath);
    const platform::Registry* registry = nullptr;
    // Private connections on the web port (outlives the service); null: clear only.
    platform::SecureLinkServer* secureLink = nullptr;
    // Told of each file the server answers a GET with (optional; outlives
    // the service).
    DownloadStage* downloads = nullptr;
};

class HttpWebService final : public WebService {
public:
    // The gate and the streams outlive this object.
    HttpWebService(platform::Clock& clock, const WebAccessGate& gate, std::ostream& accessLog, WebConfig config);
    ~HttpWebService() override;

    // The credentials a DELETE must present (the PC login id and password).
    void setCredentials(const Credentials& credentials);

    bool startWeb() override;
    void stopWeb() override;
    std::uint16_t webPort() const override;
    // The port the next start listens on.
    void setListenPort(std::uint16_t port) { m_config.port = port; }

private:
    const WebAccessGate& m_gate;
    WebConfig m_config;
    web::MimeTypesFile m_mimeTypes;
    std::unique_ptr<web::RegistryContentTypes> m_registryTypes;
    web::FirstFoundContentTypes m_types;
    web::CredentialsLogonCheck m_logon;
    web::CHttpServer m_server;
};

} // namespace pc::service
