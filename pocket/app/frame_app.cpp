#include "pocket/app/frame_app.h"

#include "platform/single_instance.h"
#include "platform/ui.h"
#include "pocket/app/frame_code_page.h"
#include "pocket/link/link_messages.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/settings_store.h"

#include <algorithm>

namespace pocket::app {

HandheldFrame::HandheldFrame(FrameParts parts, FrameView& view, FrameServices& services)
    : m_parts(parts)
    , m_view(view)
    , m_services(services)
    , m_codePage("UTF-8")
{
}

HandheldFrame::~HandheldFrame()
{
    if (m_startTimer != 0)
        m_parts.loop.cancelOneShot(m_startTimer);
}

StartResult HandheldFrame::start(platform::SingleInstance* instance)
{
    if (instance) {
        // A lock that cannot be taken for another reason (a read-only home)
        // does not keep the program from running.
        auto held = instance->tryAcquire();
        if (held && !*held) {
            (void)instance->requestActivation();
            return StartResult::AlreadyRunning;
        }
    }
    if (!m_services.registerContactStore()) {
        m_parts.ui.messageBox(text::kTitle, text::kPoomFailed, platform::Icon::Warning);
        return StartResult::Failed;
    }
    createFrame();
    if (instance && instance->isHeld())
        (void)instance->listenForActivation(m_parts.loop, [this] { m_view.bringToFront(); });
    m_running = true;
    return StartResult::Running;
}

void HandheldFrame::createFrame()
{
    m_view.loadViewBitmaps();
    m_screens.clear();
    m_currentView = 0;
    const int resources[2] = { kMenuBarDisconnected, kMenuBarConnected };
    for (int i = 0; i < 2; ++i) {
        m_menuBars[i] = m_view.createMenuBar(resources[i], menuBar(resources[i]));
        if (!m_menuBars[i])
            m_parts.ui.messageBox(text::kTitle, text::kMenuBarFailed, platform::Icon::Warning);
    }
    setConnected(false);
    m_view.sizeToScreen();
    m_view.createMainDialog(kTitleBandHeight);
    initMainDialog();
    m_view.createTitleBand();
    m_startTimer = m_parts.loop.setOneShot(this, kStartDelayMs, kMsgStartTimer);
}

void HandheldFrame::initMainDialog()
{
    if (!m_services.startSockets())
        m_parts.ui.messageBox(text::kTitle, text::kSocketFailed, platform::Icon::Warning);
    m_parts.store.device().prepare();
    (void)m_parts.store.createKey();
    m_parts.store.load(m_parts.settings);
    m_parts.store.createFolders(m_parts.settings);

    m_codePage = loadCodePage(m_parts.registry);
    m_parts.link.setCodePage(m_codePage);
    m_services.setCodePage(m_codePage);

    m_services.createHtmlViews();
    // The PC link posts its answers to itself; the main dialog passes on
    // what reaches it with the same number.
    m_router.forward(kMsgPcFirst, kMsgPcLast, m_parts.link);
    m_services.prepareMessengers(m_router);
    m_parts.link.prepare();
    relayOut();
}

void HandheldFrame::onStartTimer()
{
    m_startTimer = 0;
    if (!m_running)
        return;
    m_services.openStartPage(kStartPage);
    // The stored mail is listed only once there is a folder and a login id
    // to find it under.
    if (!m_parts.settings.saveMailPath.empty() && !m_parts.settings.myId.empty())
        m_services.listStoredMail();
}

void HandheldFrame::relayOut()
{
    m_view.layOut(m_parts.settings.messengerLayoutCode);
    const auto buttons = visibleViewButtons(m_parts.settings.messengerLayoutCode);
    if (m_currentView == 0
        || std::find(buttons.begin(), buttons.end(), viewButton(m_currentView)) == buttons.end())
        m_currentView = firstView();
    selectView(m_currentView);
}

int HandheldFrame::firstView() const
{
    const auto buttons = visibleViewButtons(m_parts.settings.messengerLayoutCode);
    return viewOfButton(buttons.front());
}

bool HandheldFrame::onCommand(int id)
{
    switch (id) {
    case kCmdMsnHome:
    case kCmdIcqHome:
        showWebScreen();
        m_services.showWebPage(id == kCmdMsnHome ? kMsnHomePage : kIcqHomePage);
        return true;
    case kCmdDial:
        settings::dial(m_parts.dialUp, m_parts.settings, m_parts.ui);
        return true;
    case kCmdOptions:
        m_services.openOptions();
        return true;
    case kCmdExit:
        askExit();
        return true;
    case kCmdAbout:
        m_services.showAbout();
        return true;
    case kCmdPenMessages:
        m_services.openPenMessageBox();
        return true;
    case kCmdConnect:
        m_services.openLoginDialog();
        return true;
    case kCmdDisconnect:
        m_parts.link.logout();
        return true;
    default:
        return onMessengerCommand(id);
    }
}

namespace {

    struct MessengerCommand {
        int id;
        int view;
        bool signOn;
    };
    constexpr MessengerCommand kMessengerCommands[] = {
        { kCmdMsnLogin, kViewMsn, true },
        { kCmdMsnLogout, kViewMsn, false },
        { kCmdIcqLogin, kViewIcq, true },
        { kCmdIcqLogout, kViewIcq, false },
    };

    const MessengerCommand* messengerCommand(int id)
    {
        for (const auto& command : kMessengerCommands) {
            if (command.id == id)
                return &command;
        }
        return nullptr;
    }

} // namespace

bool HandheldFrame::onMessengerCommand(int id)
{
    const auto* command = messengerCommand(id);
    if (!command)
        return false;
    if (!isCommandEnabled(id))
        return true;
    // The page comes to the front, so that its status line shows the
    // log-in as it goes.
    if (command->signOn)
        selectView(command->view);
    m_services.signOnMessenger(command->view, command->signOn);
    return true;
}

bool HandheldFrame::isCommandEnabled(int id) const
{
    const auto* command = messengerCommand(id);
    if (!command)
        return true;
    const bool offline = m_services.messengerState(command->view) == MessengerState::Offline;
    return command->signOn ? offline && isViewShown(command->view) : !offline;
}

bool HandheldFrame::isViewShown(int view) const
{
    const auto buttons = visibleViewButtons(m_parts.settings.messengerLayoutCode);
    return std::find(buttons.begin(), buttons.end(), viewButton(view)) != buttons.end();
}

void HandheldFrame::onViewButton(int buttonId)
{
    int view = viewOfButton(buttonId);
    if (view != 0 && view != kViewYahoo)
        selectView(view);
}

void HandheldFrame::selectView(int view)
{
    if (view == kViewYahoo || viewButton(view) == 0)
        return;
    m_currentView = view;
    m_view.drawViewButtons(view);
    showControls();
}

void HandheldFrame::stepView(int step)
{
    const auto buttons = visibleViewButtons(m_parts.settings.messengerLayoutCode);
    const int count = static_cast<int>(buttons.size());
    if (count == 0)
        return;
    auto at = std::find(buttons.begin(), buttons.end(), viewButton(m_currentView));
    const int index = at == buttons.end() ? 0 : static_cast<int>(at - buttons.begin());
    selectView(viewOfButton(buttons[static_cast<std::size_t>(((index + step) % count + count) % count)]));
}

Screen HandheldFrame::screen(int view) const
{
    auto found = m_screens.find(view);
    return found == m_screens.end() ? Screen::Main : found->second;
}

void HandheldFrame::toggleScreen()
{
    if (m_currentView != kViewMyPc && m_currentView != kViewMail)
        return;
    // From the search results too, "화면변경" goes to the web view.
    m_screens[m_currentView] = screen(m_currentView) == Screen::Alternate ? Screen::Main : Screen::Alternate;
    showControls();
}

void HandheldFrame::setControlHidden(int id, bool hidden)
{
    if (hidden)
        m_hidden.insert(id);
    else
        m_hidden.erase(id);
    showControls();
}

void HandheldFrame::showWebScreen()
{
    showScreen(kViewMyPc, Screen::Alternate);
}

void HandheldFrame::showScreen(int view, Screen screen)
{
    if (view != kViewMyPc && view != kViewMail)
        return;
    m_screens[view] = screen;
    selectView(view);
}

void HandheldFrame::showControls()
{
    const auto shown = controlsOf(m_currentView, screen(m_currentView));
    // Hide first, so that two views never show at once.
    for (int id : switchableControls()) {
        if (std::find(shown.begin(), shown.end(), id) == shown.end())
            m_view.setControlVisible(id, false);
    }
    for (int id : shown)
        m_view.setControlVisible(id, m_hidden.count(id) == 0);
}

void HandheldFrame::setConnected(bool connected)
{
    const int resource = connected ? kMenuBarConnected : kMenuBarDisconnected;
    // A menu bar that failed to be created is not shown; the program goes on
    // without it.
    if (!m_menuBars[connected ? 1 : 0])
        return;
    m_shownMenuBar = resource;
    m_view.showMenuBar(resource);
}

void HandheldFrame::askExit()
{
    if (m_closed)
        return;
    if (m_parts.ui.question(text::kTitle, text::kAskExit, platform::Buttons::OkCancel)
        != platform::Answer::Ok)
        return;
    close();
}

void HandheldFrame::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_running = false;
    if (m_startTimer != 0) {
        m_parts.loop.cancelOneShot(m_startTimer);
        m_startTimer = 0;
    }
    // The main dialog goes first: the sessions end, the sockets stop, the
    // dial-up line is hung up when asked for, the HTML views go.
    m_services.closeMessengers();
    m_services.stopSockets();
    if (m_parts.settings.autoDisconnection == 1)
        settings::hangUp(m_parts.dialUp, m_parts.settings);
    m_services.releaseHtmlViews();
    m_view.destroyMainDialog();
    // Then the frame frees its bitmaps and ends the message loop.
    m_view.freeViewBitmaps();
    m_view.destroyFrame();
}

platform::LResult HandheldFrame::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg == kMsgAskExit)
        askExit();
    else if (msg == kMsgStartTimer)
        onStartTimer();
    return 0;
}

} // namespace pocket::app
