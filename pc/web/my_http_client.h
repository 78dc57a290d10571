#pragma once

// File: pc/web/my_http_client.h
// The program's handler: CHttpClient plus one access-log line per response
// on the server's access-log stream, and the refusal of client addresses the
// server's filter does not allow. Lives on the listener thread.

#include "pc/web/http_client.h"

namespace pc::web {

class CMyHttpClient : public CHttpClient {
public:
    using CHttpClient::CHttpClient;
    ~CMyHttpClient() override = default;

protected:
    bool preHandle() override;
    void postLog(int status, std::uint64_t bodyLength) override;
};

} // namespace pc::web
