#pragma once

// File: pocket/msn/testing/handheld_parts.h
// What every test handheld's MSN side is made of, whatever its links: a
// temporary device root and a FakeUi (Basics, built first), and the session,
// the ten chats with fake windows and the pen carriage with a real composer
// (MsnParts), wired as the handheld wires them. Test handhelds derive from a
// Basics that holds their links, then from MsnParts.

#include "platform/testing/fake_ui.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/ink/testing/temp_folder.h"
#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_pen_carriage.h"
#include "pocket/msn/testing/fake_chat_hosts.h"

namespace pocket::msn::testing {

struct Basics {
    explicit Basics(std::string loginId)
        : id(std::move(loginId))
    {
    }
    std::string id;
    ink::testing::TempFolder root;
    platform::testing::FakeUi ui;
};

struct MsnParts {
    MsnParts(platform::EventLoop& loop, Basics& basics, MsnLinkFactory& links, MsnConfig config,
        std::string password, std::string penAddress)
        : session(loop, basics.ui, links, config)
        , chats(ChatContext { loop, basics.ui, links, session, windows, nullptr, config.port })
        , editors(basics.ui, loop)
        , receptions(basics.root.path())
        , viewers(viewerHost, basics.ui)
        , inbox(basics.root.path(), basics.ui, viewers)
        , carriage(chats, session, editors, receptions, inbox, basics.ui,
              PenSetup { basics.root.path(), std::move(penAddress) })
    {
        session.setAccount({ basics.id, std::move(password) });
        session.setSwitchboardHandler(&chats);
        chats.setPenCarriage(&carriage);
    }
    ~MsnParts()
    {
        session.setSwitchboardHandler(nullptr);
        chats.setPenCarriage(nullptr);
    }

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
