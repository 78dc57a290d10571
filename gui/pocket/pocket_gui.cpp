#include "gui/pocket/pocket_gui.h"

#include "gui/ink/qt_ink_viewer.h"
#include "gui/ink/qt_pen_message_box.h"
#include "gui/pocket/pocket_mail.h"
#include "gui/pocket/pocket_messengers.h"
#include "gui/pocket/pocket_mypc.h"
#include "gui/pocket/qt_html_view.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/qt_pocket_window.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/qt_event_loop.h"
#include "gui/qt_string.h"
#include "gui/qt_ui.h"
#include "platform/clock.h"
#include "platform/http_fetch.h"
#include "platform/registry.h"
#include "platform/single_instance.h"
#include "pocket/device/device_root.h"
#include "pocket/device/title_band.h"
#include "pocket/ink/ink_viewer.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/ink/pen_message_box.h"
#include "pocket/link/login_dialog.h"
#include "pocket/mail/mail_sender.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/settings_store.h"
#include "pocket/viewer/viewer_page_loader.h"
#include "pocket/viewer/viewer_transfer.h"
#include "pocket/viewer/web_viewer.h"

#include <QApplication>
#include <QComboBox>
#include <QTextBrowser>
#include <QUrl>

namespace gui::handheld {

namespace frame = ::pocket::app;
namespace device = ::pocket::device;
namespace link = ::pocket::link;
namespace mail = ::pocket::mail;
namespace settings = ::pocket::settings;
namespace viewer = ::pocket::viewer;

namespace {

    constexpr const char* kAboutText = "Quillon for Pocket PC\n내 PC와 메신저를 손안에서.";

    // Shown when the device has no start page of its own.
    constexpr const char* kWelcomePage = "<html><body style='font-family: NanumGothic'>"
                                         "<h3 style='color:#1c4aa8'>Quillon</h3>"
                                         "<p>PC에 접속하려면 <b>Tools → 접속하기</b>를 누르세요.</p>"
                                         "<p>메신저 계정과 PC IP는 <b>Tools → 환경설정</b>에서 "
                                         "등록합니다.</p></body></html>";

} // namespace

// Everything that is not a widget, in the order it is built.
struct PocketGui::Parts {
    Parts(const PocketGuiOptions& options, platform::Registry& registry)
        : clock(options.clock ? *options.clock : systemClock)
        , loop(clock)
        , ui(options.ui ? *options.ui : qtUi)
        , registry(registry)
        , device(options.home / "device")
        , store(registry, device)
        , dialUp(options.dialUp ? *options.dialUp : nmcli)
    {
        if (options.singleInstance)
            instance = std::make_unique<platform::SingleInstance>(options.home, "quillon-pocket");
    }

    platform::SystemClock systemClock;
    platform::Clock& clock;
    gui::QtEventLoop loop;
    gui::QtUi qtUi;
    platform::Ui& ui;
    platform::Registry& registry;
    device::DeviceRoot device;
    settings::SettingsStore store;
    settings::PdaSettings settings;
    settings::NmcliDialUp nmcli;
    settings::DialUp& dialUp;
    gui::ink::QtInkViewerHost viewerHost;
    std::unique_ptr<::pocket::ink::InkViewers> viewers;
    std::unique_ptr<::pocket::ink::PenInbox> inbox;
    std::unique_ptr<::pocket::ink::PenMessageBox> penBox;
    std::unique_ptr<link::PcLink> link;
    std::unique_ptr<link::LoginDialog> login;
    std::unique_ptr<settings::OptionsSheet> sheet;
    std::unique_ptr<::pocket::device::TitleBand> titleBand;
    std::unique_ptr<platform::SingleInstance> instance;
};

// The web tab: the HTML views over the main dialog's web view and mail body,
// and the viewer logic that drives them.
struct PocketGui::Web {
    Web(Parts& parts, QtMainDialog& dialog)
        : loader(fetch, parts.device)
        , transfer(parts.loop, parts.ui)
        , tab(dialog)
        , web(*dialog.webView(), loader)
        , mail(*dialog.mailBody(), loader)
        , viewer(*parts.link, parts.settings, parts.device, parts.ui, transfer, tab, web, mail)
    {
    }

    platform::HttpFetch fetch;
    viewer::PageLoader loader;
    viewer::ThreadDownload transfer;
    QtWebTab tab;
    QtHtmlView web;
    QtHtmlView mail;
    viewer::WebViewer viewer;
};

PocketGui::PocketGui(PocketGuiOptions options, platform::Registry& registry)
    : m_parts(std::make_unique<Parts>(options, registry))
{
    Parts& p = *m_parts;
    m_window = std::make_unique<QtPocketWindow>(options.screen);
    p.qtUi.setParent(m_window.get());
    m_settings = &p.settings;

    p.viewers = std::make_unique<::pocket::ink::InkViewers>(p.viewerHost, p.ui);
    p.viewerHost.setViewers(p.viewers.get());
    p.inbox = std::make_unique<::pocket::ink::PenInbox>(p.device.root(), p.ui, *p.viewers);
    m_penBoxView = std::make_unique<gui::ink::QtPenMessageBox>();
    p.penBox
        = std::make_unique<::pocket::ink::PenMessageBox>(p.device.root(), *m_penBoxView, p.ui, *p.viewers);
    m_penBoxView->setBox(p.penBox.get());

    p.link = std::make_unique<link::PcLink>(p.loop, p.ui, p.settings, *this);
    m_link = p.link.get();
    m_loginView = std::make_unique<QtPocketLoginDialog>(options.screen, m_window.get());
    p.login = std::make_unique<link::LoginDialog>(*p.link, p.store, p.settings, p.ui, *m_loginView);
    m_loginView->setLogic(p.login.get());
    p.sheet = std::make_unique<settings::OptionsSheet>(p.store, p.settings, p.ui, p.dialUp, *this);
    m_sheetView = std::make_unique<QtOptionsSheet>(
        *p.sheet, p.store, p.settings, p.ui, options.screen, m_window.get());

    p.titleBand = std::make_unique<::pocket::device::TitleBand>(
        *m_window->titleBand(), *m_window->titleBand(), p.loop, p.clock);
    m_frame = std::make_unique<frame::HandheldFrame>(
        frame::FrameParts { p.loop, p.ui, p.registry, p.store, p.settings, *p.link, p.dialUp }, *m_window,
        *this);

    m_window->onCommand = [this](int id) { (void)m_frame->onCommand(id); };
    m_window->onButton = [this](int id) { onButton(id); };
    m_window->onCloseRequested = [this] { m_frame->askExit(); };
}

PocketGui::~PocketGui()
{
    m_frame.reset();
    m_messengers.reset();
    m_mail.reset();
    m_mailUpload.reset();
    m_mypc.reset();
    m_web.reset();
    m_parts->titleBand.reset();
}

frame::StartResult PocketGui::start()
{
    const auto result = m_frame->start(m_parts->instance.get());
    if (result == frame::StartResult::Running) {
        m_parts->titleBand->create();
        m_parts->titleBand->updateClock();
        m_window->titleBand()->raise();
    }
    return result;
}

platform::EventLoop& PocketGui::loop()
{
    return m_parts->loop;
}

::pocket::ink::PenInbox& PocketGui::penInbox()
{
    return *m_parts->inbox;
}

void PocketGui::onButton(int id)
{
    if (frame::viewOfButton(id) != 0) {
        m_frame->onViewButton(id);
        return;
    }
    if (auto handler = m_buttonHandlers.find(id); handler != m_buttonHandlers.end()) {
        // A copy: the handler may replace itself.
        auto run = handler->second;
        run();
        return;
    }
    switch (id) {
    case frame::kScreenChangePc:
    case frame::kScreenChangeMail:
        m_frame->toggleScreen();
        break;
    default:
        if (onWebButton(id) || (m_mail && m_mail->onButton(id)))
            break;
        // FIXME: "View", "Doc" and the page buttons P and N of the main dialog
        // do nothing yet (the search results page with the buttons of their
        // own window); a view that gives them work registers through
        // setButtonHandler().
        break;
    }
}

bool PocketGui::onWebButton(int id)
{
    if (!m_web)
        return false;
    auto& viewer = m_web->viewer;
    switch (id) {
    case frame::kGoButton:
        viewer.go();
        return true;
    case frame::kStopButton:
        viewer.stop();
        return true;
    case frame::kRefreshButton:
        viewer.refresh();
        return true;
    case frame::kHomeButton:
        viewer.home();
        return true;
    case frame::kSaveButton:
        viewer.savePage();
        return true;
    default:
        return false;
    }
}

void PocketGui::createHtmlViews()
{
    QtMainDialog* dialog = m_window->mainDialog();
    if (m_web || !dialog)
        return;
    // The start page comes with the program, as installing it puts it on the device.
    (void)viewer::installStartPage(m_parts->device);
    m_web = std::make_unique<Web>(*m_parts, *dialog);
    m_web->tab.onShowWebTab = [this] { m_frame->showWebScreen(); };
    QObject::connect(dialog->addressBox(), &QComboBox::textActivated, dialog, [this](const QString& text) {
        if (m_web)
            m_web->viewer.chooseAddress(toUtf8(text));
    });

    // The My PC view views PC documents and handheld files in the web view.
    MyPcViewHooks hooks;
    hooks.openLogin = [this] { openLoginDialog(); };
    hooks.viewPcFile = [this](const std::string& path) {
        if (m_web)
            (void)m_web->viewer.viewPcFile(path);
    };
    hooks.viewHandheldFile = [this](const std::string& path) {
        if (m_web)
            m_web->viewer.viewHandheldFile(path);
    };
    hooks.attachToMail = [this](const std::string& path) {
        if (m_mail)
            m_mail->composeWithAttachment(path);
    };
    m_mypc = std::make_unique<PocketMyPc>(m_parts->loop, m_parts->ui, *m_parts->link, m_parts->settings,
        m_parts->device, m_web->fetch, *dialog->pcTree(), std::move(hooks));

    MailViewHooks mailHooks;
    mailHooks.openLogin = [this] { openLoginDialog(); };
    mailHooks.showScreen = [this](bool content) {
        m_frame->showScreen(frame::kViewMail, content ? frame::Screen::Alternate : frame::Screen::Main);
    };
    mailHooks.openOptions = [this] { openOptions(); };
    m_mailUpload = std::make_unique<mail::MyPcMailUpload>(m_mypc->upload());
    m_mail = std::make_unique<PocketMail>(m_parts->loop, m_parts->ui, *m_parts->link, m_parts->settings,
        m_parts->device, m_web->transfer, m_web->fetch, m_web->viewer, m_mailUpload.get(), *dialog,
        std::move(mailHooks));
}

void PocketGui::listStoredMail()
{
    if (m_mail)
        m_mail->loadStoredMails(platform::toLocalTime(m_parts->clock.now()));
}

void PocketGui::releaseHtmlViews()
{
    // The views stop loading; the objects stay until the program's object
    // graph goes, because the PC link keeps answer handlers and reset
    // listeners that point into them and events may still arrive before the
    // message loop ends.
    if (m_web) {
        m_web->viewer.stop();
        m_web->mail.stop();
    }
}

bool PocketGui::registerContactStore()
{
    // The contact store lives in the device root; without a device root
    // there is no store to register.
    m_parts->device.prepare();
    std::error_code error;
    return std::filesystem::is_directory(m_parts->device.root(), error);
}

void PocketGui::prepareMessengers(frame::FrameRouter& router)
{
    if (m_messengers || !m_window->mainDialog())
        return;
    m_messengers
        = std::make_unique<PocketMessengers>(m_parts->loop, m_parts->clock, m_parts->ui, m_parts->registry,
            m_parts->settings, m_parts->device.root(), *m_window->mainDialog(), *m_parts->inbox);
    m_messengers->prepare(router);
    m_messengers->setCodePage(m_codePage);
}

void PocketGui::closeMessengers()
{
    if (m_messengers)
        m_messengers->close();
}

void PocketGui::setCodePage(const std::string& codePage)
{
    m_codePage = codePage;
    m_parts->inbox->setCodePage(codePage);
    m_parts->penBox->setCodePage(codePage);
    if (m_messengers)
        m_messengers->setCodePage(codePage);
}

void PocketGui::openStartPage(const std::string& page)
{
    QtMainDialog* dialog = m_window->mainDialog();
    if (!dialog)
        return;
    if (m_web) {
        m_web->tab.setAddressText(page);
        m_web->viewer.openStartPage();
        return;
    }
    dialog->showAddress(page);
    const auto local = m_parts->device.toLocal(page);
    std::error_code error;
    if (std::filesystem::is_regular_file(local, error))
        dialog->webView()->setSource(QUrl::fromLocalFile(QString::fromStdString(local.string())));
    else
        dialog->webView()->setHtml(QString::fromUtf8(kWelcomePage));
}

void PocketGui::showWebPage(const std::string& url)
{
    QtMainDialog* dialog = m_window->mainDialog();
    if (!dialog)
        return;
    if (m_web) {
        m_web->viewer.show(url, true);
        return;
    }
    dialog->showAddress(url);
    dialog->webView()->setHtml(
        QStringLiteral("<p><a href='%1'>%1</a></p>").arg(toQString(url).toHtmlEscaped()));
}

void PocketGui::showAbout()
{
    m_parts->ui.messageBox(frame::text::kTitle, kAboutText, platform::Icon::Information);
}

void PocketGui::openPenMessageBox()
{
    m_parts->penBox->open();
    m_penBoxView->show();
    m_penBoxView->raise();
}

void PocketGui::openLoginDialog()
{
    m_parts->login->show();
    m_loginView->open();
}

void PocketGui::openOptions()
{
    m_sheetView->openSheet();
}

void PocketGui::setConnectedMenu(bool connected)
{
    m_frame->setConnected(connected);
}

void PocketGui::resetPcTree()
{
    if (m_mypc)
        m_mypc->resetTree();
    else if (QtMainDialog* dialog = m_window->mainDialog())
        dialog->resetPcTree();
}

void PocketGui::addDriveItems(const std::vector<std::string>& drives)
{
    if (m_mypc)
        m_mypc->addDrives(drives);
    else if (QtMainDialog* dialog = m_window->mainDialog())
        dialog->addDriveItems(drives);
}

void PocketGui::setMsnStatusLine(const std::string& text)
{
    if (m_messengers)
        m_messengers->setMsnStatusLine(text);
    else if (QtMainDialog* dialog = m_window->mainDialog())
        dialog->setMsnStatusLine(text);
}

void PocketGui::signOutMsn()
{
    if (m_messengers)
        m_messengers->signOutMsn();
}

void PocketGui::resetIcq(const std::string&)
{
    // The messenger reads the new number from the settings at its next log-in.
    if (m_messengers)
        m_messengers->resetIcq();
}

void PocketGui::closeIcq()
{
    if (m_messengers)
        m_messengers->resetIcq();
}

void PocketGui::rebuildMessengerTabs()
{
    m_frame->relayOut();
}

} // namespace gui::handheld
