#pragma once

// File: pc/convert/testing/dde_fixture.h
// DDE tests run with their own service folder: the fixture points
// XDG_RUNTIME_DIR at a fresh temporary folder (and puts the old value back
// afterwards), so that services of parallel tests never meet. ScriptedHwp
// is an in-process "HWP/WIN" server that records the commands it gets and
// answers them from a script.

#include "pc/convert/dde_server.h"
#include "pc/convert/hwp_dde_link.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pc::convert::testing {

class DdeFixture : public ::testing::Test {
protected:
    DdeFixture()
    {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old)
            m_oldRuntime = old;
        auto folder = platform::TempFolder::create("quillon-dde-test");
        EXPECT_TRUE(folder);
        m_folder = std::make_unique<platform::TempFolder>(std::move(*folder));
        ::setenv("XDG_RUNTIME_DIR", m_folder->path().c_str(), 1);
    }
    ~DdeFixture() override
    {
        if (m_oldRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_oldRuntime->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }

    std::filesystem::path folder() const { return m_folder->path(); }

private:
    std::optional<std::string> m_oldRuntime;
    std::unique_ptr<platform::TempFolder> m_folder;
};

// What the scripted server does with one macro: acknowledge it or not, and
// what "ReturnValue" then holds.
struct ScriptedAnswer {
    bool acknowledge = true;
    std::string returnValue;
};

inline std::string statusData(std::int32_t status, std::int32_t value)
{
    std::string data;
    for (std::int32_t number : { status, value }) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<char>((static_cast<std::uint32_t>(number) >> (8 * i)) & 0xFF));
    }
    return data;
}

class ScriptedHwp final : public DdeServerHandler {
public:
    // Answers by the macro's name (the text between "FX" and "("); a macro
    // without an entry is acknowledged with an empty return value.
    std::map<std::string, ScriptedAnswer> script;
    // Called after each command is recorded, on the server thread.
    std::function<void(const std::string& command)> onCommand;

    bool acceptTopic(std::string_view topic) override { return topic == "HWP/WIN"; }

    bool execute(const DdeConversationInfo&, std::string_view command) override
    {
        std::string text(command);
        std::string name = text.substr(0, text.find('('));
        if (name.rfind("FX", 0) == 0)
            name.erase(0, 2);
        ScriptedAnswer answer;
        if (auto it = script.find(name); it != script.end())
            answer = it->second;
        {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(text);
            m_returnValue = answer.returnValue;
        }
        if (onCommand)
            onCommand(text);
        return answer.acknowledge;
    }

    std::optional<std::string> request(
        const DdeConversationInfo&, std::string_view item, std::uint32_t) override
    {
        std::lock_guard lock(m_mutex);
        if (item != "ReturnValue")
            return std::nullopt;
        return m_returnValue;
    }

    void disconnected(const DdeConversationInfo&) override
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_disconnects;
        }
        m_changed.notify_all();
    }

    std::vector<std::string> commands() const
    {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

    // Waits (up to five seconds) until `count` conversations have ended.
    bool waitDisconnects(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_disconnects >= count; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_commands;
    std::string m_returnValue;
    int m_disconnects = 0;
};

// A link that keeps what it reports.
class RecordingHwpLink final : public HwpDdeLink {
public:
    using HwpDdeLink::HwpDdeLink;
    std::vector<std::string> reports;

protected:
    void report(std::string_view message, bool) override { reports.emplace_back(message); }
};

} // namespace pc::convert::testing
