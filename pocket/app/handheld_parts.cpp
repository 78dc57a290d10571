#include "pocket/app/handheld_parts.h"

#include "pocket/app/handheld_views.h"
#include "pocket/app/server_address.h"
#include "pocket/device/device_root.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/pda_settings.h"

namespace pocket::app {

namespace {

    msn::MsnConfig msnConfig(platform::Registry& registry)
    {
        msn::MsnConfig config;
        const auto address = serverAddress(registry, kMsnServerValue);
        config.dispatchHost = address.host;
        config.port = address.port.value_or(config.port);
        return config;
    }

    icq::SessionSetup icqSetup(PartContext& context, std::mt19937& random)
    {
        icq::SessionSetup setup;
        const auto address = serverAddress(context.registry, kIcqServerValue);
        setup.loginHost = address.host;
        setup.loginPort = address.port.value_or(setup.loginPort);
        setup.deviceRoot = context.device.root();
        setup.random = [&random] { return static_cast<std::uint16_t>(random() & 0xffff); };
        return setup;
    }

} // namespace

WebParts::WebParts(
    PartContext& context, viewer::WebTabView& tab, HandheldViews& views, mypc::TransferRunner& transfer)
    : loader(context.fetch, context.device)
    , viewer(context.link, context.settings, context.device, context.ui, transfer, tab, views.webView,
          views.mailBody, context.fetch)
{
}

void MyPcParts::FolderLists::showFolder(const std::string& path, const std::vector<link::FolderEntry>& entries)
{
    m_tree.showFolder(path, entries);
    m_listing.showFolder(path, entries);
}

void MyPcParts::FolderLists::restoreFolder(const std::string& path)
{
    m_tree.restoreFolder(path);
    m_listing.restoreFolder(path);
}

MyPcParts::MyPcParts(PartContext& context, HandheldViews& views, mypc::SearchView& results, mypc::MyPcHooks hooks)
    : busy(context.ui)
    , runner(context.loop, context.ui, context.settings, context.device, views.progress)
    , download(context.link, context.settings, context.ui, busy, runner)
    , upload(context.loop, context.ui, context.link, context.settings, context.device, busy, views.progress)
    , search(context.link, context.settings, context.device, context.fetch, context.ui, busy, results)
    , tree(context.device, views.myPcTree)
    , folderLists(tree, views.folderLists)
    , folders(context.link, context.settings, context.device, context.fetch, context.ui, folderLists)
    , tab(context.link, tree, folders, download, upload, runner, context.ui, std::move(hooks))
{
}

MailParts::MailParts(PartContext& context, mail::MailView& view, WebParts& web, MyPcParts& mypc,
    std::function<void()> openLogin)
    : context { context.loop, context.ui, context.link, context.settings, context.device, mypc.runner, view,
        std::move(openLogin) }
    , box(this->context, context.fetch)
    , reader(this->context, web.viewer)
    , composer(context.ui, context.settings, context.device, context.link.codePage())
    , chooser(this->context, context.fetch)
    , attachmentUpload(mypc.upload)
    , sender(this->context, &attachmentUpload)
{
}

MailParts::~MailParts() = default;

void MailParts::reset()
{
    box.reset();
    reader.reset();
    sender.reset();
}

MsnParts::MsnParts(PartContext& context, HandheldViews& views, device::ContactStore& contacts,
    ink::PenReceptions& receptions, ink::PenInbox& inbox)
    : links(context.loop, context.ui)
    , port(msnConfig(context.registry).port)
    , session(context.loop, context.ui, links, msnConfig(context.registry))
    , page(session, views.msnPage, context.ui, context.loop, contacts,
          context.desktopMail.msn ? *context.desktopMail.msn : mailLauncher)
    , chats(msn::ChatContext { context.loop, context.ui, links, session, views.msnChats, nullptr, port })
    , pen(chats, session, views.msnPenEditors, receptions, inbox, context.ui,
          msn::PenSetup { context.device.root(), penAddress(context.registry) })
{
    session.setSwitchboardHandler(&chats);
    page.setChatStarter(&chats);
    chats.setPenCarriage(&pen);
}

MsnParts::~MsnParts()
{
    // The session and the page point at the chats, the chats at the carriage.
    session.setSwitchboardHandler(nullptr);
    page.setChatStarter(nullptr);
    chats.setPenCarriage(nullptr);
}

bool IcqParts::DeviceContacts::addContact(const icq::DeviceContact& contact)
{
    return m_store.addContact(
        { contact.email, contact.firstName, contact.lastName, contact.displayFirst, contact.displayLast },
        contact.network);
}

IcqParts::IcqParts(PartContext& context, HandheldViews& views, platform::MessageTarget& window,
    device::ContactStore& contacts, ink::PenReceptions& receptions, ink::PenInbox& inbox)
    : deviceContacts(contacts)
    , client(context.loop, context.ui)
    , link(client, window)
    , session(icqSetup(context, random), link, context.ui, views.icqStatus, context.loop)
    , messenger(session,
          icq::MessengerPorts {
              context.ui, views.icqPage, views.icqTree, views.icqWindows, deviceContacts,
              context.desktopMail.icq ? *context.desktopMail.icq : mailComposer, context.loop })
    , pen(icq::PenCarriageSetup { context.device.root(), penAddress(context.registry) }, messenger,
          views.icqPenEditors, receptions, inbox, context.ui, context.loop)
    , page(messenger, context.settings, &views.icqDialogs)
{
    session.setListener(&messenger);
    messenger.setPenCarriage(&pen);
}

IcqParts::~IcqParts()
{
    // The session tells the messenger, the messenger the carriage.
    session.setListener(nullptr);
    messenger.setPenCarriage(nullptr);
}

} // namespace pocket::app
