#pragma once

// File: pc/web/web_server_fixture.h
// Test fixture: a CHttpServer on 127.0.0.1 with an ephemeral port, serving a
// temporary folder, with a manual clock, a thread-safe access log and a
// loopback client that reads each response until the server closes.

#include "pc/web/http_server.h"
#include "pc/web/my_http_client.h"
#include "platform/net_address.h"
#include "platform/testing/manual_clock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <ostream>
#include <poll.h>
#include <sstream>
#include <streambuf>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::web::testing {

namespace fs = std::filesystem;

// An ostream whose text other threads can wait for.
class WaitableLog : public std::streambuf {
public:
    // Waits until at least `count` lines were written; returns all text.
    std::string waitForLines(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return lineCount() >= count; });
        return m_text;
    }
    std::string text()
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        std::lock_guard lock(m_mutex);
        m_text.append(data, static_cast<std::size_t>(size));
        m_changed.notify_all();
        return size;
    }
    int_type overflow(int_type c) override
    {
        if (c != traits_type::eof()) {
            char ch = static_cast<char>(c);
            xsputn(&ch, 1);
        }
        return c;
    }

private:
    std::size_t lineCount() const { return static_cast<std::size_t>(std::count(m_text.begin(), m_text.end(), '\n')); }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_text;
};

// 2002-01-02 10:00:00 UTC, a Wednesday.
constexpr std::time_t kFixedNow = 1009965600;
constexpr std::string_view kFixedDate = "Wed, 02 Jan 2002 10:00:00 GMT";

class WebServerTest : public ::testing::Test {
protected:
    WebServerTest()
        : m_clock(platform::WallTime(std::chrono::seconds(kFixedNow)))
        , m_mimeTypes(MimeTypesFile::fromText("text/html htm html\napplication/zip zip\ntext/plain txt\n"))
        , m_server(m_clock, m_logon, m_logStream, m_mimeTypes)
    {
        m_base = fs::temp_directory_path() / ("quillon_web_" + std::to_string(::getpid()) + "_" + std::to_string(++s_counter));
        fs::remove_all(m_base);
        fs::create_directories(m_base / "root");
        m_root = (m_base / "root").string();
    }

    ~WebServerTest() override
    {
        m_server.stop();
        fs::remove_all(m_base);
    }

    // Starts with the program's settings on an ephemeral port of 127.0.0.1.
    void startServer(int timeoutMs = 10000, std::int32_t listing = 0,
        std::uint64_t minSendBytesPerSecond = CHttpServerConfig::kDefaultMinSendBytesPerSecond)
    {
        CHttpServerConfig config = CHttpServerConfig::forServiceFolder(m_root, 0);
        config.folders[0].listing = listing;
        config.bindToAddress = true;
        ::inet_pton(AF_INET, "127.0.0.1", &config.bindAddress);
        config.timeoutMs = timeoutMs;
        config.minSendBytesPerSecond = minSendBytesPerSecond;
        ASSERT_TRUE(m_server.start(config));
        ASSERT_NE(m_server.port(), 0);
    }

    void writeFile(const fs::path& relative, const std::string& content, std::time_t modified = kFixedNow - 3600)
    {
        fs::path path = fs::path(m_root) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        timespec times[2] = { { modified, 0 }, { modified, 0 } };
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

    // Connects from a chosen loopback address (127.0.0.x), so that tests can
    // tell clients apart by address.
    int connectClient(const char* from = nullptr)
    {
        auto socket = from ? platform::connectTcpFrom(from, "127.0.0.1", m_server.port())
                           : platform::connectTcp("127.0.0.1", m_server.port());
        EXPECT_TRUE(socket);
        return socket ? socket->release() : -1;
    }

    // Reads until the server closes, or gives up after a generous deadline.
    static std::string readToEnd(int handle)
    {
        std::string response;
        char buffer[65536];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd entry { handle, POLLIN, 0 };
            if (::poll(&entry, 1, 100) <= 0)
                continue;
            ssize_t received = ::recv(handle, buffer, sizeof buffer, 0);
            if (received <= 0)
                return response;
            response.append(buffer, static_cast<std::size_t>(received));
        }
        ADD_FAILURE() << "no end of response";
        return response;
    }

    std::string exchange(std::string_view request)
    {
        int handle = connectClient();
        EXPECT_EQ(::send(handle, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
        std::string response = readToEnd(handle);
        ::close(handle);
        return response;
    }

    static std::string bodyOf(const std::string& response)
    {
        std::size_t end = response.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : response.substr(end + 4);
    }

    static inline int s_counter = 0;
    platform::testing::ManualClock m_clock;
    CredentialsLogonCheck m_logon;
    WaitableLog m_log;
    std::ostream m_logStream { &m_log };
    MimeTypesFile m_mimeTypes;
    CHttpServer m_server;
    fs::path m_base;
    std::string m_root;
};

} // namespace pc::web::testing
