#pragma once

// File: pc/service/testing/service_fixture.h
// A RemoteService on a PollEventLoop with a manual clock, listening on
// 127.0.0.1 with ephemeral ports, with its folders in a temporary home and
// drive C: mapped onto a temporary "disk" folder. Tests drive the loop with
// pumpUntil() while scripted handhelds talk to it.

#include "pc/service/http_web_service.h"
#include "pc/service/remote_service.h"
#include "pc/service/testing/scripted_handheld.h"
#include "platform/codepage.h"
#include "platform/poll_event_loop.h"
#include "platform/temp_folder.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace pc::service::testing {

class RecordingLog final : public ServiceLog {
public:
    void appendLog(std::string_view text) override { entries.emplace_back(text); }
    bool hasText() const override { return !entries.empty(); }
    bool contains(std::string_view text) const
    {
        for (const auto& entry : entries) {
            if (entry == text)
                return true;
        }
        return false;
    }
    std::vector<std::string> entries;
};

class RecordingProgress final : public ProgressView {
public:
    void openProgress() override { ++opened; }
    void setProgress(int percent) override { positions.push_back(percent); }
    void stepProgress() override { ++steps; }
    void closeProgress() override { ++closed; }
    int opened = 0;
    int closed = 0;
    int steps = 0;
    std::vector<int> positions;
};

// Drive C: is one local folder; paths translate both ways.
class FolderDrivePaths final : public PcPaths {
public:
    explicit FolderDrivePaths(std::filesystem::path disk)
        : m_disk(std::move(disk))
    {
    }
    std::optional<std::filesystem::path> toLocal(std::string_view pcPath) const override
    {
        if (pcPath.size() < 2 || (pcPath.substr(0, 2) != "C:" && pcPath.substr(0, 2) != "c:"))
            return std::nullopt;
        std::string rest(pcPath.substr(2));
        for (char& c : rest) {
            if (c == '\\')
                c = '/';
        }
        return (m_disk / std::filesystem::path(rest).relative_path()).lexically_normal();
    }
    std::string toPc(const std::filesystem::path& local) const override
    {
        std::string relative = local.lexically_relative(m_disk).string();
        for (char& c : relative) {
            if (c == '/')
                c = '\\';
        }
        return "C:\\" + relative;
    }
    std::string driveList() const override { return "C:\\\\"; }

private:
    std::filesystem::path m_disk;
};

class ServiceFixture : public ::testing::Test {
protected:
    ServiceFixture()
        : ServiceFixture(std::string(platform::kUtf8))
    {
    }

    // A service that talks to the handheld in `codePage`.
    explicit ServiceFixture(const std::string& codePage)
        : m_folder("quillon-service")
        , m_home(m_folder.path())
        , paths(m_home / "disk")
        , loop(clock)
    {
        std::filesystem::create_directories(m_home / "disk");
        ServiceFolders folders = ServiceFolders::under(m_home);
        folders.create();
        ServiceDependencies deps;
        deps.log = &log;
        deps.progress = &progress;
        deps.paths = &paths;
        deps.folders = folders;
        deps.credentials = [this] { return credentials; };
        deps.mailClientKind = [] { return 1; };
        deps.lookUpPcAddress = [] { return std::string("10.0.0.5"); };
        ServiceConfig config;
        config.bindAddress = "127.0.0.1";
        config.commandPort = 0;
        config.uploadPort = 0;
        config.codePage = codePage;
        service = std::make_unique<RemoteService>(loop, deps, config);
        WebConfig webConfig { folders.root, 0, "127.0.0.1", codePage };
        webConfig.downloads = &service->downloadStage();
        web = std::make_unique<HttpWebService>(clock, service->webAccess(), accessLog, webConfig);
        web->setCredentials(credentials);
        service->setWebService(web.get());
    }

    ~ServiceFixture() override
    {
        service.reset();
        web.reset();
    }

public:
    static std::string readFile(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

protected:
    std::filesystem::path home() const { return m_home; }
    std::filesystem::path disk() const { return m_home / "disk"; }
    std::filesystem::path root() const { return m_home / "Quillon"; }

    void writeFile(const std::filesystem::path& file, std::string_view content)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }

    // Runs the loop until the condition holds (checked after each event).
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        if (done())
            return true;
        return loop.runUntil(done, timeout);
    }

    // Connects a handheld and lets the service accept it.
    std::unique_ptr<ScriptedHandheld> connectHandheld(const std::string& from = "127.0.0.1")
    {
        auto handheld = ScriptedHandheld::connect(service->commandPort(), from);
        EXPECT_TRUE(handheld);
        std::size_t before = service->commandConnectionCount();
        pumpUntil([&] { return service->commandConnectionCount() > before; });
        return handheld;
    }

    // Sends a request and waits for the next answer.
    std::optional<proto::PcAnswer> ask(ScriptedHandheld& handheld, const proto::PcRequest& request)
    {
        handheld.send(request);
        return awaitAnswer(handheld);
    }

    std::optional<proto::PcAnswer> awaitAnswer(ScriptedHandheld& handheld)
    {
        pumpUntil([&] { return handheld.pump(), !handheld.answers().empty(); });
        return handheld.takeAnswer();
    }

    // Connects and logs in with the right credentials; skips the first probe.
    std::unique_ptr<ScriptedHandheld> loggedInHandheld(const std::string& from = "127.0.0.1")
    {
        auto handheld = connectHandheld(from);
        auto answer = ask(*handheld, { 0, 310, credentials.id + "\n" + credentials.password });
        EXPECT_TRUE(answer && answer->text.rfind("YES", 0) == 0);
        auto probe = awaitAnswer(*handheld);
        EXPECT_TRUE(probe && probe->code == 328);
        return handheld;
    }

    Credentials credentials { "owner", "secret" };
    RecordingLog log;
    RecordingProgress progress;

private:
    platform::TempFolder m_folder;
    std::filesystem::path m_home;

protected:
    FolderDrivePaths paths;
    platform::testing::ManualClock clock;
    platform::PollEventLoop loop;
    std::ostringstream accessLog;
    std::unique_ptr<RemoteService> service;
    std::unique_ptr<HttpWebService> web;
};

} // namespace pc::service::testing
