#pragma once

// File: pc/web/http_client.h
// Answers the requests of the web server one at a time: parses a complete
// head, maps the URL onto the folder table, and builds the answer (a file, a
// folder listing, a deletion or one of the fixed pages) for the connection
// to send. One object serves every connection of a server run, on its
// listener thread; the connections send the answers side by side. The
// server it points to outlives it.

#include "pc/web/http_request_info.h"
#include "pc/web/http_response.h"
#include "pc/web/web_response.h"
#include "platform/clock.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace pc::web {

class CHttpServer;

struct MappedPath {
    std::string localPath;
    bool isFolder = false;
};

class CHttpClient {
public:
    explicit CHttpClient(CHttpServer& server);
    virtual ~CHttpClient() = default;
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    // Answers one complete head from `peer` into `out`. When the request
    // carries credentials from an address whose last tries failed, nothing
    // is done and the wait before the next try is returned instead.
    std::optional<platform::Ticks> serve(std::string_view head, const sockaddr_in& peer, WebResponse& out);
    // A head longer than the limit: 400, logged with what arrived.
    void refuseTooLarge(std::string_view held, const sockaddr_in& peer, WebResponse& out);
    // An address the server does not serve: 400, before its request is read.
    void refuseAddress(const sockaddr_in& peer, WebResponse& out);

    // The request last served (for tests and subclasses).
    const CHttpRequestInfo& request() const { return m_request; }

protected:
    // Error page for 400, 404, 500 or 501; headers only above HTTP/0.9.
    virtual void returnError(int status);
    // 301 with a Location header; the request flow never uses it.
    virtual void returnMoved(const std::string& url);
    virtual void returnFileDeleted(const std::string& localPath);
    // 401 with "WWW-Authenticate: Basic realm=<realm>".
    virtual void returnUnauthorized(const std::string& realm);
    virtual void transmitFile(const std::string& localPath);
    virtual void transmitFolder(const std::string& localPath);
    // Finds the local file or folder for m_request.url; a folder's URL gains
    // its trailing "/". Nothing when the URL names nothing servable.
    virtual std::optional<MappedPath> mapUrlToLocalPath();
    // May refuse a parsed request before anything else happens (answered 400).
    virtual bool preHandle() { return true; }
    // Called once per response with its status and body length.
    virtual void postLog(int status, std::uint64_t bodyLength);

    CHttpServer& m_server;
    CHttpRequestInfo m_request;

private:
    void begin(const sockaddr_in& peer, WebResponse& out);
    void serveRequest();
    void serveGetOrHead();
    void serveDelete();
    void logOn();
    // Sends a fixed page; `extra` adds the headers that belong between Allow
    // and Content-Length.
    void sendPage(int status, const std::string& body, bool alwaysHeaders,
        const std::function<void(HeaderBlock&)>& extra = {});
    void send(std::string_view bytes);
    HeaderBlock startHeaders(int status, std::time_t now) const;
    std::time_t now() const;
    bool sendsBody() const;

    bool m_loggedOn = false;
    WebResponse* m_out = nullptr; // The answer being built.
};

} // namespace pc::web
