#pragma once

// File: pocket/msn/testing/live_handheld.h
// One handheld's MSN side on real loopback sockets, for tests against the
// ScriptedMsnServer: the session, the page over a FakePageView, the ten chats
// with fake windows and the pen carriage with a real composer, each with its
// own FakeUi and temporary device root. The loop (the window thread) may be
// shared by several handhelds.

#include "platform/testing/fake_ui.h"
#include "pocket/device/contact_store.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/ink/testing/temp_folder.h"
#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_pen_carriage.h"
#include "pocket/msn/socket_msn_link.h"
#include "pocket/msn/testing/fake_chat_hosts.h"
#include "pocket/msn/testing/fake_page_view.h"

namespace pocket::msn::testing {

struct NoMail final : MailLauncher {
    void composeTo(std::string_view) override { }
};

struct LiveHandheld {
    LiveHandheld(platform::EventLoop& loop, std::uint16_t port, std::string loginId, std::string password)
        : id(std::move(loginId))
        , links(loop, ui, [](std::chrono::milliseconds) {})
        , session(loop, ui, links, MsnConfig { "127.0.0.1", port })
        , deviceContacts(root.path(), ui)
        , page(session, pageView, ui, loop, deviceContacts, mail)
        , chats(ChatContext { loop, ui, links, session, windows, nullptr, port })
        , editors(ui, loop)
        , receptions(root.path())
        , viewers(viewerHost, ui)
        , inbox(root.path(), ui, viewers)
        , carriage(chats, session, editors, receptions, inbox, ui, PenSetup { root.path() })
    {
        session.setAccount({ id, std::move(password) });
        session.setPage(&page, &pageView);
        session.setSwitchboardHandler(&chats);
        page.setChatStarter(&chats);
        chats.setPenCarriage(&carriage);
        page.initialise();
    }
    ~LiveHandheld()
    {
        session.setSwitchboardHandler(nullptr);
        chats.setPenCarriage(nullptr);
    }

    int contactIndex(std::string_view email) const { return session.contacts().findByEmail(email); }
    // The text of a contact's tree item, "" when it has none.
    std::string itemOf(std::string_view email) const
    {
        int index = contactIndex(email);
        if (index < 0)
            return {};
        auto item = pageView.items.find(session.contacts().at(index).item);
        return item == pageView.items.end() ? std::string() : item->second.text;
    }
    bool loginEnabled() const { return pageMenuState(session.ownStatus()).loginEnabled; }

    std::string id;
    ink::testing::TempFolder root;
    platform::testing::FakeUi ui;
    SocketMsnLinkFactory links;
    MsnSession session;
    FakePageView pageView;
    device::ContactStore deviceContacts;
    NoMail mail;
    MsnPage page;
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
