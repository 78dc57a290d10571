#include "pocket/app/handheld.h"

#include "platform/clock.h"
#include "platform/discovery/avahi_discovery.h"
#include "platform/trace.h"
#include "platform/ui.h"
#include "pocket/app/frame_router.h"
#include "pocket/link/link_messages.h"

#include <system_error>

namespace pocket::app {

namespace {

    constexpr const char* kAboutText = "Quillon for Pocket PC\n내 PC와 메신저를 손안에서.";
    constexpr const char* kPropertiesTitle = "등록정보";

    // The private link's client side; without it the link stays clear.
    std::unique_ptr<platform::TlsRelay> clientRelay()
    {
        auto relay = platform::TlsRelay::forClient();
        if (!relay) {
            platform::trace("private link: " + platform::describe(relay.error()));
            return nullptr;
        }
        return std::move(*relay);
    }

} // namespace

Handheld::Handheld(HandheldSetup setup, HandheldViews views)
    : m_loop(setup.loop)
    , m_registry(setup.registry)
    , m_views(views)
    , m_device(setup.home / "device")
    , m_store(setup.registry, m_device)
    , m_ownDialUp(setup.dialUp ? nullptr : std::make_unique<settings::NmcliDialUp>())
    , m_dialUp(setup.dialUp ? *setup.dialUp : *m_ownDialUp)
    , m_pairing(setup.registry, views.ui, clientRelay())
    , m_pcFinder(platform::makeAvahiBrowser())
    , m_link(m_loop, views.ui, m_settings, *this)
    , m_loginDialog(m_link, m_store, m_settings, views.ui, views.login)
    , m_optionsSheet(m_store, m_settings, views.ui, m_dialUp, *this)
    , m_contacts(m_device.root(), views.ui)
    , m_titleBand(views.titleBand, views.taskBar, m_loop, m_loop.clock())
    , m_inkViewers(views.inkViewers, views.ui)
    , m_penReceptions(m_device.root())
    , m_penInbox(m_device.root(), views.ui, m_inkViewers)
    , m_penMessageBox(m_device.root(), views.penMessageBox, views.ui, m_inkViewers)
    , m_context { m_loop, views.ui, m_registry, m_settings, m_device, m_link, m_fetch, setup.desktopMail }
    , m_mailScreen(*this)
    , m_webScreen(*this)
    , m_searchScreen(*this)
{
    m_link.setPairing(&m_pairing);
    auto pins = [this](const std::string& host, long port) { return m_link.webPin(host, port); };
    m_fetch.setPinLookup(pins);
    m_mypc = std::make_unique<MyPcParts>(m_context, m_views, m_searchScreen, myPcHooks());
    m_mypc->runner.setPinLookup(pins);
    m_web = std::make_unique<WebParts>(m_context, m_webScreen, m_views, m_mypc->runner);
    m_mail = std::make_unique<MailParts>(m_context, m_mailScreen, *m_web, *m_mypc, [this] { openLoginDialog(); });
    // One reset for every front end: a lost connection ends any mail check,
    // fetch or send that waited for the PC.
    m_link.addResetListener([this] { m_mail->reset(); });
    m_frame = std::make_unique<HandheldFrame>(
        FrameParts { m_loop, views.ui, m_registry, m_store, m_settings, m_link, m_dialUp }, views.frame,
        static_cast<FrameServices&>(*this));
    m_msn = std::make_unique<MsnParts>(m_context, m_views, m_contacts, m_penReceptions, m_penInbox);
    // The ICQ link reports to the main dialog, which hands 5025 and 5026 on.
    m_icq = std::make_unique<IcqParts>(
        m_context, m_views, m_frame->router(), m_contacts, m_penReceptions, m_penInbox);
}

Handheld::~Handheld()
{
    // The sessions first: their links' readers post to the frame's router.
    m_icq.reset();
    m_msn.reset();
    m_frame.reset();
    m_mail.reset();
    m_web.reset();
    m_mypc.reset();
}

StartResult Handheld::start(platform::SingleInstance* instance)
{
    const auto result = m_frame->start(instance);
    if (result == StartResult::Running) {
        m_titleBand.create();
        m_titleBand.updateClock();
    }
    return result;
}

mypc::MyPcHooks Handheld::myPcHooks()
{
    mypc::MyPcHooks hooks;
    hooks.openLoginDialog = [this] { openLoginDialog(); };
    hooks.openSearchDialog = [this](const std::string& scope) { m_views.dialogs.askSearchWord(scope); };
    hooks.viewPcFile = [this](const std::string& path) { (void)m_web->viewer.viewPcFile(path); };
    hooks.viewHandheldFile = [this](const std::string& path) { m_web->viewer.viewHandheldFile(path); };
    hooks.attachToMail = [this](const std::string& path, bool) { composeWithAttachment(path); };
    hooks.showProperties = [this](const std::string& path) {
        m_views.ui.messageBox(kPropertiesTitle, path, platform::Icon::Information);
    };
    return hooks;
}

void Handheld::composeWithAttachment(const std::string& path)
{
    if (m_mail->composer.canAddAttachment())
        (void)m_mail->composer.addAttachment(path);
    m_views.dialogs.showComposer();
}

// The mail list as the front end draws it; a mail shown switches the e-mail
// view to its content screen.
void Handheld::MailScreen::showMail(const std::string& header, bool hasAttachments, const std::string& title)
{
    m_handheld.m_views.mail.showMail(header, hasAttachments, title);
    m_handheld.showMailScreen(true);
}

void Handheld::MailScreen::clearList()
{
    m_handheld.m_views.mail.clearList();
}

void Handheld::MailScreen::insertRow(const mail::MailListEntry& entry, bool read)
{
    m_handheld.m_views.mail.insertRow(entry, read);
}

void Handheld::MailScreen::setRowRead(const std::string& name)
{
    m_handheld.m_views.mail.setRowRead(name);
}

void Handheld::MailScreen::removeRow(const std::string& name)
{
    m_handheld.m_views.mail.removeRow(name);
}

std::string Handheld::MailScreen::selectedMail() const
{
    return m_handheld.m_views.mail.selectedMail();
}

void Handheld::MailScreen::setFetchProgress(int percent)
{
    m_handheld.m_views.mail.setFetchProgress(percent);
}

void Handheld::SearchScreen::clearResults()
{
    m_handheld.m_views.searchResults.clearResults();
}

void Handheld::SearchScreen::showResults(const std::vector<mypc::SearchRow>& rows)
{
    m_handheld.m_views.searchResults.showResults(rows);
}

void Handheld::SearchScreen::showResultList()
{
    m_handheld.m_frame->showScreen(kViewMyPc, Screen::Results);
    m_handheld.m_views.searchResults.showResultList();
}

void Handheld::WebScreen::addAddress(const std::string& address)
{
    m_handheld.m_views.webTab.addAddress(address);
}

void Handheld::WebScreen::setAddressText(const std::string& address)
{
    m_handheld.m_views.webTab.setAddressText(address);
}

std::string Handheld::WebScreen::addressText() const
{
    return m_handheld.m_views.webTab.addressText();
}

void Handheld::WebScreen::focusAddress()
{
    m_handheld.m_views.webTab.focusAddress();
}

void Handheld::WebScreen::showWebTab()
{
    m_handheld.m_frame->showWebScreen();
    m_handheld.m_views.webTab.showWebTab();
}

void Handheld::WebScreen::setWaitCursor(bool waiting)
{
    m_handheld.m_views.webTab.setWaitCursor(waiting);
}

bool Handheld::registerContactStore()
{
    // The contact store lives in the device root; without a device root
    // there is no store to register.
    m_device.prepare();
    std::error_code error;
    return std::filesystem::is_directory(m_device.root(), error);
}

void Handheld::createHtmlViews()
{
    // The start page comes with the program, as installing it puts it on the device.
    (void)viewer::installStartPage(m_device);
}

void Handheld::releaseHtmlViews()
{
    // The views stop loading; the parts stay until the object graph goes,
    // because events may still arrive before the front end's loop ends.
    m_web->viewer.stop();
    m_views.mailBody.stop();
}

void Handheld::prepareMessengers(FrameRouter& router)
{
    // The MSN session tells its page what changed through the main dialog.
    m_msn->session.setAccount({ m_settings.msnId, m_settings.msnPassword });
    m_msn->session.setPage(&router, &m_views.msnPage);
    router.forward(msn::msg::kRedraw, msn::msg::kRedraw, m_msn->page);
    router.forward(msn::msg::kDeleteContact, msn::msg::kCopyToContacts, m_msn->page);
    m_msn->page.initialise();

    router.forward(link::kMsgIcqReadable, link::kMsgIcqClosed, m_icq->session);
    m_views.icqTree.resetRoots();
    m_icq->messenger.setAccountNumber(m_settings.icqId);
    m_icq->messenger.redrawStatusLine();
}

void Handheld::closeMessengers()
{
    if (m_msn->session.isOnline())
        m_msn->session.logout();
    m_icq->session.reset();
}

void Handheld::setCodePage(const std::string& codePage)
{
    m_penInbox.setCodePage(codePage);
    m_penMessageBox.setCodePage(codePage);
    m_mail->composer.setCodePage(codePage);
    m_icq->messenger.setCodePage(codePage);
}

void Handheld::openStartPage(const std::string& page)
{
    m_webScreen.setAddressText(page);
    m_web->viewer.openStartPage();
}

void Handheld::listStoredMail()
{
    m_mail->box.loadStoredMails(platform::toLocalTime(m_loop.clock().now()));
}

void Handheld::showWebPage(const std::string& url)
{
    m_web->viewer.show(url, true);
}

void Handheld::showAbout()
{
    m_views.ui.messageBox(text::kTitle, kAboutText, platform::Icon::Information);
}

void Handheld::openPenMessageBox()
{
    m_penMessageBox.open();
    m_views.dialogs.showPenMessageBox();
}

void Handheld::openLoginDialog()
{
    m_loginDialog.show();
    m_views.dialogs.showLoginDialog();
}

void Handheld::openOptions()
{
    m_views.dialogs.showOptions();
}

void Handheld::setConnectedMenu(bool connected)
{
    m_frame->setConnected(connected);
}

void Handheld::resetPcTree()
{
    m_mypc->tree.reset();
}

void Handheld::addDriveItems(const std::vector<std::string>& drives)
{
    m_mypc->tree.addDrives(drives);
}

void Handheld::showLinkState(link::LinkState state)
{
    m_views.titleBand.drawLinkState(link::linkStateText(state));
}

void Handheld::setMsnStatusLine(const std::string& text)
{
    m_views.msnPage.setStatusLine(text);
}

void Handheld::signOutMsn()
{
    if (m_msn->session.isOnline())
        m_msn->session.logout();
}

void Handheld::resetIcq(const std::string& number)
{
    // The messenger reads the new number from the settings at its next
    // log-in; the page names it now and asks (5033) whether to log in.
    m_icq->session.reset();
    m_icq->messenger.setAccountNumber(number);
    m_icq->messenger.redrawStatusLine();
    m_loop.post(&m_icq->page, icq::IcqPage::kMsgAccountChanged, 0, 0);
}

void Handheld::closeIcq()
{
    m_icq->session.reset();
}

void Handheld::rebuildMessengerTabs()
{
    m_frame->relayOut();
}

} // namespace pocket::app
