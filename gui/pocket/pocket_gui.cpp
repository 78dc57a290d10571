#include "gui/pocket/pocket_gui.h"

#include "gui/ink/qt_ink_viewer.h"
#include "gui/ink/qt_pen_message_box.h"
#include "gui/pocket/pocket_scaling.h"
#include "gui/pocket/qt_found_pcs.h"
#include "gui/pocket/qt_html_view.h"
#include "gui/pocket/qt_icq_tree.h"
#include "gui/pocket/qt_mail_composer.h"
#include "gui/pocket/qt_mail_view.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/qt_msn_chat_window.h"
#include "gui/pocket/qt_msn_tree.h"
#include "gui/pocket/qt_mypc_view.h"
#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/qt_pen_editors.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/qt_pocket_window.h"
#include "gui/pocket/qt_search_dialog.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/qt_event_loop.h"
#include "gui/qt_string.h"
#include "gui/qt_ui.h"
#include "platform/clock.h"
#include "platform/single_instance.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

namespace gui::handheld {

namespace app = ::pocket::app;

namespace {

// "PC 찾기" on the Connections page: a tapped PC fills the address and the
// command port there; its fingerprint is pinned by the tap.
void addPcFinder(QtOptionsSheet& sheet, app::Handheld& handheld)
{
    auto* found = new QtFoundPcs(handheld.pcFinder(), handheld.pairing());
    found->onPicked = [&sheet](const ::pocket::link::FoundPc& pc) {
        sheet.connections().pcIp->setText(toQString(pc.address));
        sheet.connections().pcPort->setValue(pc.port);
    };
    sheet.addConnectionsRow(found);
}

} // namespace

// The window thread and the message boxes.
struct PocketGui::Platform {
    explicit Platform(const PocketGuiOptions& options)
        : clock(options.clock ? *options.clock : systemClock)
        , loop(clock)
        , ui(options.ui ? *options.ui : qtUi)
    {
        if (options.singleInstance)
            instance = std::make_unique<platform::SingleInstance>(options.home, "quillon-pocket");
    }

    platform::SystemClock systemClock;
    platform::Clock& clock;
    gui::QtEventLoop loop;
    gui::QtUi qtUi;
    platform::Ui& ui;
    std::unique_ptr<platform::SingleInstance> instance;
};

// Every view of the window, made before the core that reports to them.
struct PocketGui::Views {
    Views(Platform& platform, QtPocketWindow& window)
        : dialog(*window.mainDialog())
        , login(window.screen(), &window)
        , myPc(*dialog.pcTree(), *dialog.searchResults())
        , webTab(dialog)
        , webView(*dialog.webView())
        , mailBody(*dialog.mailBody())
        , mail(dialog)
        , msnTree(*dialog.msnTree())
        , msnEditors(platform.loop, platform.clock, platform.ui)
        , icqTree(*dialog.icqTree())
        , icqEditors(platform.clock)
    {
    }

    app::HandheldViews handheldViews(Platform& platform, QtPocketWindow& window, app::FrontEndDialogs& dialogs)
    {
        return app::HandheldViews { platform.ui, dialogs, window, *window.titleBand(), *window.titleBand(), login,
            penBox, viewerHost, myPc, myPc, myPc, myPc, webTab, webView, mailBody, mail, msnTree, chatWindows,
            msnEditors, icqTree, icqTree, icqTree, icqTree, icqEditors, icqTree };
    }

    QtMainDialog& dialog;
    QtPocketLoginDialog login;
    gui::ink::QtPenMessageBox penBox;
    gui::ink::QtInkViewerHost viewerHost;
    QtMyPcView myPc;
    QtWebTab webTab;
    QtHtmlView webView;
    QtHtmlView mailBody;
    QtMailView mail;
    QtMsnTree msnTree;
    QtMsnChatWindows chatWindows;
    QtMsnPenEditors msnEditors;
    QtIcqTree icqTree;
    QtIcqPenEditors icqEditors;
};

PocketGui::PocketGui(PocketGuiOptions options, platform::Registry& registry)
    : m_platform(std::make_unique<Platform>(options))
    , m_window(std::make_unique<QtPocketWindow>(options.screen))
    , m_scaling(std::make_unique<PocketScaling>(*m_window, options.screen))
    , m_views(std::make_unique<Views>(*m_platform, *m_window))
{
    Platform& p = *m_platform;
    Views& v = *m_views;
    p.qtUi.setParent(m_window.get());
    m_handheld = std::make_unique<app::Handheld>(
        app::HandheldSetup { options.home, p.loop, registry, options.dialUp, options.desktopMail }, v.handheldViews(p, *m_window, *this));
    app::Handheld& h = *m_handheld;

    v.login.setLogic(&h.loginDialog());
    v.penBox.setBox(&h.penMessageBox());
    v.viewerHost.setViewers(&h.inkViewers());
    v.myPc.attach(h);
    v.webView.setLoader(&h.web().loader);
    v.mailBody.setLoader(&h.web().loader);
    v.mail.attach(h);
    v.msnTree.attach(h);
    v.chatWindows.setChats(&h.msn().chats);
    v.msnEditors.setCarriage(&h.msn().pen);
    v.icqTree.attach(h);
    m_optionsSheet = std::make_unique<QtOptionsSheet>(
        h.optionsSheet(), h.store(), h.settings(), p.ui, m_window->screen(), m_window.get());
    addPcFinder(*m_optionsSheet, h);
    m_mailComposer = std::make_unique<QtMailComposer>(
        h.mail().composer, h.mail().sender, h.mail().chooser, h.contacts(), p.ui, m_window.get());
    m_mailComposer->onOpenOptions = [this] { showOptions(); };
    // Drawn as parts of the handheld's screen, they follow its scale; other
    // windows take it from the application's font.
    m_window->scaleWithScreen(v.login);
    m_window->scaleWithScreen(*m_optionsSheet);
    m_window->onRescaled = [this] { m_scaling->setScreen(m_window->screen()); };

    m_window->onCommand = [this](int id) { (void)m_handheld->onMenuCommand(id); };
    m_window->isCommandEnabled = [this](int id) { return m_handheld->isMenuCommandEnabled(id); };
    m_window->onButton = [this](int id) { (void)m_handheld->onButton(id); };
    m_window->onCloseRequested = [this] { m_handheld->askExit(); };
    m_window->onPageStep = [this](int step) { m_handheld->frame().stepView(step); };
    // The title band: its start button, and the task bar hidden while the
    // program is in front.
    m_window->onActivated = [this] { m_handheld->titleBand().onActivated(); };
    m_window->titleBand()->onTap = [this](int x, int y) { (void)m_handheld->titleBand().onTap(x, y); };
    QObject::connect(v.dialog.addressBox(), &QComboBox::textActivated, &v.dialog,
        [this](const QString& text) { m_handheld->web().viewer.chooseAddress(toUtf8(text)); });
}

PocketGui::~PocketGui()
{
    // An open MSN pen editor tells its carriage before the core goes.
    m_views->msnEditors.closeEditor();
    m_views->msnEditors.setCarriage(nullptr);
    m_views->chatWindows.setChats(nullptr);
    m_mailComposer.reset();
    m_optionsSheet.reset();
    // Hiding the window moves the focus, and an address box that loses it
    // reports its text: nothing reaches the core once it is gone.
    QObject::disconnect(m_views->dialog.addressBox(), nullptr, &m_views->dialog, nullptr);
    m_window->onCommand = nullptr;
    m_window->isCommandEnabled = nullptr;
    m_window->onButton = nullptr;
    m_window->onCloseRequested = nullptr;
    m_window->onPageStep = nullptr;
    m_window->onActivated = nullptr;
    m_window->onRescaled = nullptr;
    m_window->titleBand()->onTap = nullptr;
    m_handheld.reset();
}

app::StartResult PocketGui::start()
{
    const auto result = m_handheld->start(m_platform->instance.get());
    if (result == app::StartResult::Running)
        m_window->titleBand()->raise();
    return result;
}

platform::EventLoop& PocketGui::loop()
{
    return m_platform->loop;
}

QtPocketLoginDialog& PocketGui::loginDialog()
{
    return m_views->login;
}

gui::ink::QtPenMessageBox& PocketGui::penMessageBox()
{
    return m_views->penBox;
}

QtMsnTree& PocketGui::msnTree()
{
    return m_views->msnTree;
}

QtMsnChatWindows& PocketGui::msnChatWindows()
{
    return m_views->chatWindows;
}

QtIcqTree& PocketGui::icqTree()
{
    return m_views->icqTree;
}

QtMyPcView& PocketGui::myPcView()
{
    return m_views->myPc;
}

QtMailView& PocketGui::mailView()
{
    return m_views->mail;
}

void PocketGui::showLoginDialog()
{
    m_views->login.open();
}

void PocketGui::showOptions()
{
    m_optionsSheet->openSheet();
}

void PocketGui::showPenMessageBox()
{
    m_views->penBox.show();
    m_views->penBox.raise();
}

void PocketGui::showComposer()
{
    m_mailComposer->openComposer();
}

void PocketGui::askSearchWord(const std::string& scope)
{
    QtSearchDialog dialog(
        scope, [this, scope](const std::string& word) { return m_handheld->mypc().search.start(scope, word); },
        m_window.get());
    dialog.exec();
}

void PocketGui::showIcqPenEditor(::pocket::ink::InkComposer& composer)
{
    m_views->icqEditors.showEditor(composer);
}

} // namespace gui::handheld
