#pragma once

// File: pocket/msn/testing/handheld.h
// One handheld's MSN side for chat tests: a session, the ten chats and the
// pen carriage over fake links, fake windows and a temporary device root.
// Chat links are links 1..10 of the factory (slot order); link 0 is the
// session's.

#include "platform/testing/fake_ui.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/ink/testing/temp_folder.h"
#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_pen_carriage.h"
#include "pocket/msn/testing/fake_chat_hosts.h"
#include "pocket/msn/testing/fake_msn_link.h"

namespace pocket::msn::testing {

struct Handheld {
    Handheld(platform::EventLoop& loop, std::string loginId, std::string name)
        : id(std::move(loginId))
        , friendlyName(std::move(name))
        , session(loop, ui, links)
        , chats(ChatContext { loop, ui, links, session, windows, nullptr, kMsnPort })
        , editors(ui, loop)
        , receptions(root.path())
        , viewers(viewerHost, ui)
        , inbox(root.path(), ui, viewers)
        , carriage(
              chats, session, editors, receptions, inbox, ui, PenSetup { root.path(), "http://pen.example/" })
    {
        chats.setPenCarriage(&carriage);
        session.setSwitchboardHandler(&chats);
        session.setAccount({ id, "pw" });
    }

    FakeMsnLink& notification() { return *links.links.at(0); }
    FakeMsnLink& chatLink(int slot) { return *links.links.at(static_cast<std::size_t>(slot) + 1); }
    ChatWindowState& window(int slot) { return *windows.windows.at(slot); }

    // Online, with the given contacts listed as online.
    void logIn(const std::vector<std::pair<std::string, std::string>>& friends)
    {
        session.connect();
        std::string lines = "USR 1 OK " + id + " " + friendlyName + "\r\nCHG 2 NLN\r\n";
        for (const auto& [email, name] : friends)
            lines += "ILN 3 NLN " + email + " " + name + "\r\n";
        notification().deliver(lines);
    }

    std::string id;
    std::string friendlyName;
    ink::testing::TempFolder root;
    platform::testing::FakeUi ui;
    FakeMsnLinkFactory links;
    MsnSession session;
    FakeChatWindowHost windows;
    MsnChats chats;
    FakePenEditorHost editors;
    ink::PenReceptions receptions;
    ink::testing::FakeViewerHost viewerHost;
    ink::InkViewers viewers;
    ink::PenInbox inbox;
    MsnPenCarriage carriage;
};

} // namespace pocket::msn::testing
