#pragma once

// File: pocket/msn/testing/fake_chat_hosts.h
// Chat windows and pen editors for tests: each records what it was told;
// the pen editor runs a real InkComposer over a recording view.

#include "pocket/ink/ink_composer.h"
#include "pocket/ink/testing/fake_composer_view.h"
#include "pocket/msn/msn_chat.h"
#include "pocket/msn/msn_pen_carriage.h"

#include <deque>
#include <map>
#include <memory>

namespace pocket::msn::testing {

struct ChatWindowState {
    bool shown = false;
    int fronts = 0;
    bool destroyed = false;
    std::string title;
    std::string log;
    std::vector<std::string> participants;
    bool sendEnabled = true;
    bool inviteEnabled = true;
    bool penEnabled = true;
    std::string input;
};

class FakeChatWindowHost final : public ChatWindowHost {
public:
    std::unique_ptr<ChatView> createChatWindow(int slot) override
    {
        auto state = std::make_shared<ChatWindowState>();
        windows[slot] = state;
        ++created;
        return std::make_unique<View>(state);
    }
    std::optional<std::string> chooseContact(std::string_view, const MsnContactTable&) override
    {
        return chosen;
    }

    std::map<int, std::shared_ptr<ChatWindowState>> windows; // The latest window of each slot.
    int created = 0;
    std::optional<std::string> chosen;

private:
    class View final : public ChatView {
    public:
        explicit View(std::shared_ptr<ChatWindowState> s)
            : m_state(std::move(s))
        {
        }
        ~View() override { m_state->destroyed = true; }
        void show() override { m_state->shown = true; }
        void bringToFront() override { ++m_state->fronts; }
        void setTitle(std::string_view t) override { m_state->title = t; }
        void appendLog(std::string_view t) override { m_state->log += t; }
        void clearLog() override { m_state->log.clear(); }
        void setParticipants(const std::vector<std::string>& e) override { m_state->participants = e; }
        void setSendEnabled(bool e) override { m_state->sendEnabled = e; }
        void setInviteEnabled(bool e) override { m_state->inviteEnabled = e; }
        void setPenEnabled(bool e) override { m_state->penEnabled = e; }
        std::string takeInput() override { return std::exchange(m_state->input, {}); }

    private:
        std::shared_ptr<ChatWindowState> m_state;
    };
};

using EditorView = ink::testing::FakeComposerView;

class FakePenEditorHost final : public PenEditorHost {
public:
    FakePenEditorHost(platform::Ui& ui, platform::EventLoop& loop)
        : m_ui(ui)
        , m_loop(loop)
    {
    }
    ink::InkComposer* createPenEditor(const ink::ComposerSetup& setup, ink::PenCarriage& carriage) override
    {
        // The previous editor stays alive: the carriage may still look at it.
        views.push_back(std::make_unique<EditorView>());
        composers.push_back(std::make_unique<ink::InkComposer>(setup, *views.back(), m_ui, carriage, m_loop));
        setups.push_back(setup);
        return composers.back().get();
    }
    ink::InkComposer* latest() { return composers.empty() ? nullptr : composers.back().get(); }
    EditorView* latestView() { return views.empty() ? nullptr : views.back().get(); }

    std::vector<std::unique_ptr<EditorView>> views;
    std::vector<std::unique_ptr<ink::InkComposer>> composers;
    std::vector<ink::ComposerSetup> setups;

private:
    platform::Ui& m_ui;
    platform::EventLoop& m_loop;
};

} // namespace pocket::msn::testing
