#pragma once

// File: pc/web/http_client.h
// Serves one connection of the web server at a time: reads and parses the
// head, maps the URL onto the folder table, and answers with a file, a folder
// listing, a deletion or one of the fixed pages; then closes the connection.
// One object serves every connection of a server run, on its listener thread.
// The server it points to outlives it.

#include "pc/web/http_request_info.h"
#include "pc/web/http_response.h"
#include "pc/web/raw_socket.h"

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

    // Takes over the accepted socket and serves its one request to the end.
    void handleConnection(CRawSocket connection, const sockaddr_in& peer);

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
    CRawSocket m_socket;
    CHttpRequestInfo m_request;

private:
    void serveRequest();
    void serveGetOrHead();
    void serveDelete();
    void logOn();
    // Sends a fixed page; `extra` adds the headers that belong between Allow
    // and Content-Length.
    void sendPage(int status, const std::string& body, bool alwaysHeaders,
        const std::function<void(HeaderBlock&)>& extra = {});
    void send(std::string_view bytes, bool more = false);
    HeaderBlock startHeaders(int status, std::time_t now) const;
    std::time_t now() const;
    bool sendsBody() const;

    bool m_loggedOn = false;
};

} // namespace pc::web
