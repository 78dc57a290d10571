#pragma once

// File: pocket/icq/testing/live_handheld.h
// One handheld's ICQ side on a real loopback socket, for tests against the
// ScriptedOscarServer: the session over a SocketIcqLink wired as the
// handheld wires it (its window hands 5025 and 5026 to the session), the
// messenger over fake views, and the pen carriage with fake editors, each
// handheld with its own FakeUi and temporary device root. The loop (the
// window thread) may be shared by several handhelds.

#include "platform/testing/fake_ui.h"
#include "pocket/icq/contact_file.h"
#include "pocket/icq/icq_link.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/icq/testing/fake_views.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/ink/testing/temp_folder.h"

#include <fstream>
#include <string>
#include <vector>

namespace pocket::icq::testing {

struct LiveHandheld {
    LiveHandheld(platform::EventLoop& loop, std::uint16_t port, std::string ownNumber,
        std::string ownPassword, const std::vector<std::string>& stored = {})
        : number(std::move(ownNumber))
        , password(std::move(ownPassword))
        , client(loop, ui, [](std::chrono::milliseconds) {})
        , link(client, window)
        , session(SessionSetup { "127.0.0.1", port, root.path(), [] { return std::uint16_t(7); } }, link, ui,
              status, loop)
        , messenger(session, MessengerPorts { ui, page, tree, windowHost, device, mail, loop })
        , receptions(root.path())
        , viewers(viewerHost, ui)
        , inbox(root.path(), ui, viewers)
        , carriage(PenCarriageSetup { root.path() }, messenger, editors, receptions, inbox, ui, loop)
    {
        window.session = &session;
        messenger.setPenCarriage(&carriage);
        const auto file = contactFilePath(root.path(), static_cast<std::uint32_t>(std::stoul(number)));
        ensureContactFile(file);
        (void)rewriteContactFile(file, stored);
    }
    ~LiveHandheld() { messenger.setPenCarriage(nullptr); }

    void connect() { messenger.connect(number, password); }
    // The label of a contact's tree item, "" when it has none.
    std::string labelOf(std::string_view contact) const
    {
        const IcqContact* found = messenger.contacts().find(contact);
        if (!found)
            return {};
        auto item = tree.items.find(found->treeItem);
        return item == tree.items.end() ? std::string() : item->second.label;
    }
    std::string fileContent() const
    {
        std::ifstream in(session.contactFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The log of the message window open for a number, "" when none is.
    std::string logWith(std::string_view contact) const
    {
        auto slot = messenger.windows().find(contact);
        return slot ? windowHost.windows.at(*slot)->log : std::string();
    }

    struct Window final : platform::MessageTarget {
        IcqSession* session = nullptr;
        platform::LResult onMessage(int msg, platform::WParam w, platform::LParam l) override
        {
            return session->onMessage(msg, w, l);
        }
    };
    struct StatusLog final : SessionStatusView {
        void setStatusText(std::string_view text) override { last = text; }
        std::string last;
    };

    std::string number;
    std::string password;
    ink::testing::TempFolder root;
    platform::testing::FakeUi ui;
    Window window;
    link::SocketClient client;
    SocketIcqLink link;
    StatusLog status;
    FakePage page;
    FakeTree tree;
    FakeWindowHost windowHost;
    FakeDeviceContacts device;
    FakeMail mail;
    IcqSession session;
    IcqMessenger messenger;
    FakePenEditors editors;
    ink::testing::FakeViewerHost viewerHost;
    ink::PenReceptions receptions;
    ink::InkViewers viewers;
    ink::PenInbox inbox;
    IcqPenCarriage carriage;
};

} // namespace pocket::icq::testing
