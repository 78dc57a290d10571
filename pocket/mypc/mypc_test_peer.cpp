#include "pocket/mypc/mypc_test_peer.h"

#include "platform/files.h"
#include "platform/temp_folder.h"
#include "proto/pc_answer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace pocket::mypc::testing {

namespace {

std::string readHead(int peer)
{
    std::string head;
    char byte = 0;
    pollfd entry { peer, POLLIN, 0 };
    while (head.find("\r\n\r\n") == std::string::npos && ::poll(&entry, 1, 5000) == 1 && ::recv(peer, &byte, 1, 0) == 1)
        head.push_back(byte);
    return head;
}

} // namespace

FileWebServer::FileWebServer(std::map<std::string, ServedFile> files, int requests)
{
    m_thread = std::thread([this, files = std::move(files), requests] {
        for (int i = 0; i < requests; ++i) {
            int peer = m_listener.accept();
            if (peer < 0)
                return;
            std::string head = readHead(peer);
            std::size_t start = head.find(' ') + 1;
            std::string path = head.substr(start, head.find(' ', start) - start);
            {
                std::lock_guard lock(m_mutex);
                m_paths.push_back(path);
            }
            auto found = files.find(path);
            ServedFile file = found == files.end() ? ServedFile { 404, "no such file" } : found->second;
            std::string reply = "HTTP/1.0 " + std::to_string(file.status) + (file.status == 200 ? " OK" : " Not Found")
                + "\r\nContent-Length: " + std::to_string(file.body.size()) + "\r\n\r\n" + file.body;
            link::testing::sendAll(peer, reply);
            ::close(peer);
        }
    });
}

FileWebServer::~FileWebServer()
{
    m_thread.join();
}

std::vector<std::string> FileWebServer::requestedPaths()
{
    std::lock_guard lock(m_mutex);
    return m_paths;
}

MyPcFixture::MyPcFixture()
    : m_root(platform::TempFolder("pocket-mypc").release()) // Removed by the destructor.
    , m_device(m_root)
{
    m_device.prepare();
    std::filesystem::create_directories(m_root / "Program Files" / "Quillon");
    m_settings.serverIp = "127.0.0.1";
    m_settings.pcPort = m_pc.port();
    m_settings.myId = "owner";
    m_settings.saveFilePath = "\\Program Files\\Quillon\\받은파일";
    m_settings.webFolderPath = "\\Program Files\\Quillon\\웹저장";
    std::filesystem::create_directories(m_device.toLocal(m_settings.saveFilePath));
    std::filesystem::create_directories(m_device.toLocal(m_settings.webFolderPath));
    m_link.prepare();
}

MyPcFixture::~MyPcFixture()
{
    if (m_peer >= 0)
        ::close(m_peer);
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

void MyPcFixture::connect()
{
    ASSERT_TRUE(m_link.connect());
    m_peer = m_pc.accept();
    ASSERT_GE(m_peer, 0);
}

std::string MyPcFixture::nextRequest()
{
    std::string wire = link::testing::receiveUntilNul(m_peer);
    if (wire.empty() || wire.back() != '\0')
        return "(nothing)";
    wire.pop_back();
    // "0xx0:%d 0xx1:%d 0xx2:%s" → "first code text".
    std::size_t code = wire.find(" 0xx1:");
    std::size_t text = wire.find(" 0xx2:");
    if (wire.rfind("0xx0:", 0) != 0 || code == std::string::npos || text == std::string::npos)
        return "(malformed) " + wire;
    return wire.substr(5, code - 5) + " " + wire.substr(code + 6, text - code - 6) + " " + wire.substr(text + 6);
}

void MyPcFixture::answer(int first, int code, const std::string& text, const std::string& detail)
{
    auto record = proto::encodePcAnswer({ first, code, text, detail });
    ASSERT_TRUE(link::testing::sendAll(m_peer, std::string_view(record.data(), record.size())));
}

bool MyPcFixture::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    return m_loop.runUntil(done, timeout);
}

void MyPcFixture::writeDeviceFile(const std::string& handheldPath, const std::string& content)
{
    auto local = m_device.toLocal(handheldPath);
    std::filesystem::create_directories(local.parent_path());
    ASSERT_TRUE(platform::writeFileAtomically(local, content, 0644));
}

std::string MyPcFixture::readFile(const std::filesystem::path& path)
{
    auto content = platform::readWholeFile(path);
    return content ? *content : std::string("(missing)");
}

} // namespace pocket::mypc::testing
