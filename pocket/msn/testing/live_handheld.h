#pragma once

// File: pocket/msn/testing/live_handheld.h
// One handheld's MSN side on real loopback sockets, for tests against the
// ScriptedMsnServer: the session, the page over a FakePageView, the ten chats
// with fake windows and the pen carriage with a real composer, each with its
// own FakeUi and temporary device root. The loop (the window thread) may be
// shared by several handhelds.

#include "pocket/device/contact_store.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/socket_msn_link.h"
#include "pocket/msn/testing/fake_page_view.h"
#include "pocket/msn/testing/handheld_parts.h"

namespace pocket::msn::testing {

struct NoMail final : MailLauncher {
    void composeTo(std::string_view) override { }
};

struct SocketLinked : Basics {
    SocketLinked(platform::EventLoop& loop, std::string loginId)
        : Basics(std::move(loginId))
        , links(loop, ui, [](std::chrono::milliseconds) {})
    {
    }
    SocketMsnLinkFactory links;
};

struct LiveHandheld : SocketLinked, MsnParts {
    LiveHandheld(platform::EventLoop& loop, std::uint16_t port, std::string loginId, std::string password)
        : SocketLinked(loop, std::move(loginId))
        , MsnParts(loop, *this, links, MsnConfig { "127.0.0.1", port }, std::move(password), "")
        , deviceContacts(root.path(), ui)
        , page(session, pageView, ui, loop, deviceContacts, mail)
    {
        session.setPage(&page, &pageView);
        page.setChatStarter(&chats);
        page.initialise();
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

    FakePageView pageView;
    device::ContactStore deviceContacts;
    NoMail mail;
    MsnPage page;
};

} // namespace pocket::msn::testing
