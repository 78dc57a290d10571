#pragma once

// File: pocket/ink/ink_viewer.h
// Windows that show a received pen message: InkViewer is one window's
// logic, InkViewers the set of open ones (at most kMaxViewers). The Qt layer
// implements InkViewerView and InkViewerHost. Window thread only.

#include "platform/ui.h"
#include "pocket/ink/ink_canvas.h"
#include "pocket/ink/ink_message.h"
#include "pocket/ink/ink_paths.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::ink {

// "From : MSN - <sender>" (likewise ICQ, YAHOO).
std::string viewerTitle(Network network, std::string_view sender);

// A message box shown after the drawer's own when a viewer's message cannot
// be drawn; the viewer then closes. Viewers of messages received over MSN
// have one (receivedNotice()).
struct DamageNotice {
    std::string title;
    std::string text;
};

// "네트웍 상의 오류로 펜메세지(From:<sender>)를 받지 못했습니다." titled "MSN"
// for MSN; nothing for the other networks.
std::optional<DamageNotice> receivedNotice(Network network, std::string_view sender);

class InkViewerView {
public:
    virtual ~InkViewerView() = default;
    virtual InkCanvas& canvas() = 0;
    virtual void setTitle(std::string_view title) = 0;
    virtual void show() = 0;
    virtual void close() = 0;
};

class InkViewer {
public:
    InkViewer(InkViewerView& view, platform::Ui& ui, std::string title, InkMessage message,
        std::optional<DamageNotice> notice = std::nullopt);

    // Shows the window and draws the message.
    void show();
    // Paints the canvas and draws the message again. A damaged message is
    // reported once, freed, and leaves the canvas white; with a damage
    // notice, the notice follows and the viewer closes.
    void paint();
    // "OK": frees the message and closes the window.
    void onOk();

    bool isOpen() const { return m_open; }
    const InkMessage& message() const { return m_message; }

private:
    InkViewerView& m_view;
    platform::Ui& m_ui;
    std::string m_title;
    InkMessage m_message;
    std::optional<DamageNotice> m_notice;
    bool m_open = false;
};

// Creates the window of viewer slot `slot`; the window reports its paint
// and "OK" to InkViewers with that slot.
class InkViewerHost {
public:
    virtual ~InkViewerHost() = default;
    virtual std::unique_ptr<InkViewerView> createViewerView(int slot) = 0;
};

class InkViewers {
public:
    static constexpr int kMaxViewers = 21;

    InkViewers(InkViewerHost& host, platform::Ui& ui);

    // Opens a viewer; nothing when all slots are taken, or when the message
    // could not be drawn and its damage notice closed the viewer again.
    std::optional<int> open(std::string title, InkMessage message,
        std::optional<DamageNotice> notice = std::nullopt);
    void paint(int slot);
    void onOk(int slot);

    int openCount() const;
    InkViewer* viewer(int slot);

private:
    struct Slot {
        std::unique_ptr<InkViewerView> view;
        std::unique_ptr<InkViewer> viewer;
    };

    // Frees the slot of a viewer that closed itself.
    void dropIfClosed(int slot);

    InkViewerHost& m_host;
    platform::Ui& m_ui;
    std::array<Slot, kMaxViewers> m_slots;
};

} // namespace pocket::ink
