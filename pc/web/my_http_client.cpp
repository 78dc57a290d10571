#include "pc/web/my_http_client.h"

#include "pc/web/access_log.h"
#include "pc/web/http_server.h"

#include <chrono>

namespace pc::web {

bool CMyHttpClient::preHandle()
{
    return m_server.isClientAllowed(m_request.clientAddress.sin_addr);
}

void CMyHttpClient::postLog(int status, std::uint64_t bodyLength)
{
    AccessLogEntry entry;
    entry.client = m_request.clientAddress.sin_addr;
    entry.user = m_request.user;
    entry.moment = std::chrono::system_clock::to_time_t(m_server.clock().now());
    entry.requestLine = m_request.requestLine;
    entry.status = status;
    entry.bodyLength = bodyLength;
    std::ostream& log = m_server.accessLog();
    log << formatAccessLogLine(entry);
    log.flush();
}

} // namespace pc::web
