#pragma once

// File: pocket/mypc/mypc_test_peer.h
// Test helpers of the My PC tests: a loopback web server that serves a set
// of files for a given number of requests, and a fixture with a PcLink
// connected to a scripted PC on loopback, in a temporary device root.

#include "platform/http_fetch.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/device/device_root.h"
#include "pocket/link/pc_link.h"
#include "pocket/link/testing/fake_views.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/settings/pda_settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pocket::mypc::testing {

struct ServedFile {
    int status = 200;
    std::string body;
};

class FileWebServer {
public:
    // Serves `requests` requests, one at a time, then stops.
    FileWebServer(std::map<std::string, ServedFile> files, int requests);
    ~FileWebServer();
    std::uint16_t port() const { return m_listener.port(); }
    std::vector<std::string> requestedPaths();

private:
    link::testing::LoopbackListener m_listener;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_paths;
};

class MyPcFixture : public ::testing::Test {
protected:
    MyPcFixture();
    ~MyPcFixture() override;

    // Connects the link to the scripted PC.
    void connect();
    // The next request the handheld sent, as "first code text".
    std::string nextRequest();
    void answer(int first, int code, const std::string& text, const std::string& detail = {});
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    void writeDeviceFile(const std::string& handheldPath, const std::string& content);
    std::string readFile(const std::filesystem::path& path);

    std::filesystem::path m_root;
    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    platform::testing::FakeUi m_ui;
    link::testing::LoopbackListener m_pc;
    link::testing::FakePcLinkView m_linkView;
    device::DeviceRoot m_device;
    settings::PdaSettings m_settings;
    platform::HttpFetch m_fetch;
    link::PcLink m_link { m_loop, m_ui, m_settings, m_linkView };
    int m_peer = -1;
};

} // namespace pocket::mypc::testing
