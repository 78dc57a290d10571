#include "apps/quillon/web_server_runner.h"

namespace apps::quillon {

WebServerRunner::WebServerRunner(std::ostream& accessLog, platform::Ui& ui)
    : m_ui(ui)
    , m_mimeTypes(std::string(pc::web::MimeTypesFile::kSystemPath))
    , m_server(m_clock, m_logon, accessLog, m_mimeTypes)
{
}

bool WebServerRunner::start(const std::filesystem::path& serviceRoot, std::uint16_t port)
{
    auto config = pc::web::CHttpServerConfig::forServiceFolder(serviceRoot.string(), port);
    if (m_server.start(config))
        return true;
    m_ui.messageBox(kProgramTitle, kWebStartFailed, platform::Icon::Warning);
    return false;
}

void WebServerRunner::stop()
{
    m_server.stop();
}

} // namespace apps::quillon
