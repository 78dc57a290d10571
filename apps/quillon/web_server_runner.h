#pragma once

// File: apps/quillon/web_server_runner.h
// The program's web server with what it needs around it: the system clock,
// content types from /etc/mime.types, the logon check for DELETE and the
// access log on standard output. Serves the service folder with the
// program's start-up settings. Start and stop from one thread.

#include "pc/web/content_type_cache.h"
#include "pc/web/http_server.h"
#include "pc/web/logon_check.h"
#include "platform/clock.h"
#include "platform/ui.h"

#include <cstdint>
#include <filesystem>
#include <ostream>

namespace apps::quillon {

inline constexpr std::string_view kProgramTitle = "Quillon";
inline constexpr std::string_view kWebStartFailed = "Failed to start the web server";

class WebServerRunner {
public:
    // The streams and the Ui outlive the runner.
    WebServerRunner(std::ostream& accessLog, platform::Ui& ui);

    // Starts serving `serviceRoot` on `port`; on failure tells the user
    // "Failed to start the web server" and returns false.
    bool start(const std::filesystem::path& serviceRoot, std::uint16_t port);
    void stop();

    // Until the program's login settings exist, no credentials are given and
    // every DELETE is refused.
    pc::web::CredentialsLogonCheck& logonCheck() { return m_logon; }
    pc::web::CHttpServer& server() { return m_server; }

private:
    platform::Ui& m_ui;
    platform::SystemClock m_clock;
    pc::web::MimeTypesFile m_mimeTypes;
    pc::web::CredentialsLogonCheck m_logon;
    pc::web::CHttpServer m_server;
};

} // namespace apps::quillon
