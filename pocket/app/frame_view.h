#pragma once

// File: pocket/app/frame_view.h
// The ports of the handheld's frame: FrameView is the frame window with its
// menu bars, title band and main dialog; FrameServices are the other parts
// the frame starts, stops and opens (sockets, HTML views, messengers, the
// dialogs of its menu commands). Both are called on the window thread.

#include "pocket/app/frame_layout.h"

#include <string>
#include <vector>

namespace pocket::app {

class FrameRouter;

// Where a messenger's session stands.
enum class MessengerState { Offline, SigningOn, Online };

class FrameView {
public:
    virtual ~FrameView() = default;
    virtual void loadViewBitmaps() = 0;
    virtual void freeViewBitmaps() = 0;
    // Creates one menu bar, hidden; false when it cannot be made.
    virtual bool createMenuBar(int resource, const std::vector<Menu>& menus) = 0;
    virtual void showMenuBar(int resource) = 0;
    virtual void sizeToScreen() = 0;
    // The main dialog, `top` pixels below the frame's top edge.
    virtual void createMainDialog(int top) = 0;
    virtual void createTitleBand() = 0;
    // Places the main dialog's controls; the messenger layout code says which
    // view buttons show.
    virtual void layOut(int messengerLayoutCode) = 0;
    virtual void drawViewButtons(int currentView) = 0;
    virtual void setControlVisible(int id, bool visible) = 0;
    virtual void bringToFront() = 0;
    virtual void destroyMainDialog() = 0;
    // Destroys the frame window and ends the message loop.
    virtual void destroyFrame() = 0;
};

// Every hook does nothing by default, so that a front end provides only the
// parts it has.
class FrameServices {
public:
    virtual ~FrameServices() = default;
    // The device's contact store; false ends the program.
    virtual bool registerContactStore() { return true; }
    virtual bool startSockets() { return true; }
    virtual void stopSockets() { }
    virtual void createHtmlViews() { }
    virtual void releaseHtmlViews() { }
    // The MSN and ICQ sessions: prepare them and route their messages
    // through the main dialog.
    virtual void prepareMessengers(FrameRouter&) { }
    // MSN logs out, ICQ is reset.
    virtual void closeMessengers() { }
    // The ANSI code page for the parts that convert text.
    virtual void setCodePage(const std::string&) { }
    virtual void openStartPage(const std::string&) { }
    virtual void listStoredMail() { }
    virtual void showWebPage(const std::string&) { }
    virtual void showAbout() { }
    virtual void openPenMessageBox() { }
    virtual void openLoginDialog() { }
    virtual void openOptions() { }
    // The log-in (true) or log-out of a messenger's page (kViewMsn, kViewIcq).
    virtual void signOnMessenger(int /*view*/, bool /*signOn*/) { }
    virtual MessengerState messengerState(int /*view*/) const { return MessengerState::Offline; }
};

} // namespace pocket::app
