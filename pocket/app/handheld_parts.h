#pragma once

// File: pocket/app/handheld_parts.h
// The parts of the handheld's object graph, grouped by the page they serve.
// Handheld builds one of each and wires them; views and tests reach the
// models through them (read a tree, pass a typed word on). Window thread
// only; each part borrows what it is given from the Handheld that owns it.

#include "platform/http_fetch.h"
#include "pocket/device/contact_store.h"
#include "pocket/icq/desktop_mail_composer.h"
#include "pocket/icq/icq_link.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_page.h"
#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/icq/icq_session.h"
#include "pocket/link/pc_folder_request.h"
#include "pocket/link/socket_client.h"
#include "pocket/mail/mail_attachment_chooser.h"
#include "pocket/mail/mail_box.h"
#include "pocket/mail/mail_composer.h"
#include "pocket/mail/mail_reader.h"
#include "pocket/mail/mail_sender.h"
#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_pen_carriage.h"
#include "pocket/msn/msn_session.h"
#include "pocket/msn/socket_msn_link.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_download.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_tab.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_tree.h"
#include "pocket/mypc/mypc_upload.h"
#include "pocket/viewer/viewer_page_loader.h"
#include "pocket/viewer/web_viewer.h"

#include <random>

namespace platform {
class Registry;
}

namespace pocket::ink {
class PenInbox;
class PenReceptions;
}

namespace pocket::app {

struct HandheldViews;

// The desktop's mail program, which the messengers' "메일 보내기" starts;
// the real one (xdg-email) when not given.
struct DesktopMail {
    msn::MailLauncher* msn = nullptr;
    icq::MailComposer* icq = nullptr;
};

// What every part may borrow: the window thread's loop, the user's answers,
// the settings and the PC link.
struct PartContext {
    platform::EventLoop& loop;
    platform::Ui& ui;
    platform::Registry& registry;
    settings::PdaSettings& settings;
    const device::DeviceRoot& device;
    link::PcLink& link;
    platform::HttpFetch& fetch;
    DesktopMail desktopMail {};
};

// The web tab: the page loader of the HTML views and the viewer that drives
// both HTML views; pages are saved by My PC's transfer worker.
struct WebParts {
    WebParts(PartContext& context, viewer::WebTabView& tab, HandheldViews& views, mypc::TransferRunner& transfer);

    viewer::PageLoader loader;
    viewer::WebViewer viewer;
};

// My PC: the tree, folder lists, search, downloads, uploads and the tab's
// menu commands.
struct MyPcParts {
    // The search results go to `results`.
    MyPcParts(PartContext& context, HandheldViews& views, mypc::SearchView& results, mypc::MyPcHooks hooks);

    // A PC folder's list goes to the tree and to the front end's listing.
    class FolderLists final : public link::FolderListView {
    public:
        FolderLists(mypc::MyPcTree& tree, link::FolderListView& listing)
            : m_tree(tree)
            , m_listing(listing)
        {
        }
        void showFolder(const std::string& path, const std::vector<link::FolderEntry>& entries) override;
        void restoreFolder(const std::string& path) override;

    private:
        mypc::MyPcTree& m_tree;
        link::FolderListView& m_listing;
    };

    mypc::MyPcBusy busy;
    mypc::TransferRunner runner;
    mypc::MyPcDownload download;
    mypc::MyPcUpload upload;
    mypc::MyPcSearch search;
    mypc::MyPcTree tree;
    FolderLists folderLists;
    link::PcFolderRequest folders;
    mypc::MyPcTab tab;
};

// The e-mail tab: the list, reading, the composer and sending.
struct MailParts {
    MailParts(PartContext& context, mail::MailView& view, WebParts& web, MyPcParts& mypc,
        std::function<void()> openLogin);
    ~MailParts();

    // The connection-lost reset of the mail client: no check, fetch or send
    // waits any more.
    void reset();

    mail::MailContext context;
    mail::MailBox box;
    mail::MailReader reader;
    mail::MailComposer composer;
    mail::AttachmentChooser chooser;
    mail::MyPcMailUpload attachmentUpload;
    mail::MailSender sender;
};

// MSN: the notification session, its page, the chats and the pen carriage.
struct MsnParts {
    MsnParts(PartContext& context, HandheldViews& views, device::ContactStore& contacts, ink::PenReceptions& receptions,
        ink::PenInbox& inbox);
    ~MsnParts();

    msn::SocketMsnLinkFactory links;
    msn::XdgMailLauncher mailLauncher;
    std::uint16_t port;
    msn::MsnSession session;
    msn::MsnPage page;
    msn::MsnChats chats;
    msn::MsnPenCarriage pen;
};

// ICQ: the connection, the session, the messenger with its page commands and
// the pen carriage. The link reports through `window` (the main dialog).
struct IcqParts {
    IcqParts(PartContext& context, HandheldViews& views, platform::MessageTarget& window,
        device::ContactStore& contacts, ink::PenReceptions& receptions, ink::PenInbox& inbox);
    ~IcqParts();

    // The device's contact store as the messenger sees it.
    class DeviceContacts final : public icq::DeviceContacts {
    public:
        explicit DeviceContacts(device::ContactStore& store)
            : m_store(store)
        {
        }
        bool addContact(const icq::DeviceContact& contact) override;

    private:
        device::ContactStore& m_store;
    };

    std::mt19937 random { std::random_device {}() };
    DeviceContacts deviceContacts;
    icq::DesktopMailComposer mailComposer;
    link::SocketClient client;
    icq::SocketIcqLink link;
    icq::IcqSession session;
    icq::IcqMessenger messenger;
    icq::IcqPenCarriage pen;
    icq::IcqPage page;
};

} // namespace pocket::app
