#pragma once

// File: gui/pocket/qt_pen_editors.h
// The pen editor windows (dialog 147) of the two messengers, over the
// composer window of gui/ink. MSN: one editor at a time, owned here while it
// is open; when its window hides, the carriage hears of it and both go after
// the call that closed it has returned. ICQ: the carriage owns the composer;
// the window made last is shown once the core says the editor opened.
// GUI thread only.

#include "platform/event_loop.h"
#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/msn/msn_pen_carriage.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace platform {
class Clock;
class Ui;
}

namespace gui::ink {
class QtInkComposerWindow;
}

namespace gui::handheld {

class QtMsnPenEditors final : public QObject,
                              public ::pocket::msn::PenEditorHost,
                              public platform::MessageTarget {
public:
    QtMsnPenEditors(platform::EventLoop& loop, platform::Clock& clock, platform::Ui& ui);
    ~QtMsnPenEditors() override;
    // The carriage that hears when an editor closes.
    void setCarriage(::pocket::msn::MsnPenCarriage* carriage) { m_carriage = carriage; }
    // Closes an open editor, while its carriage is still there.
    void closeEditor() { release(); }

    ::pocket::ink::InkComposer* createPenEditor(
        const ::pocket::ink::ComposerSetup& setup, ::pocket::ink::PenCarriage& carriage) override;
    platform::LResult onMessage(int msg, platform::WParam, platform::LParam) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kMsgEditorClosed = 1;
    void release();

    platform::EventLoop& m_loop;
    platform::Clock& m_clock;
    platform::Ui& m_ui;
    ::pocket::msn::MsnPenCarriage* m_carriage = nullptr;
    std::unique_ptr<gui::ink::QtInkComposerWindow> m_window;
    std::unique_ptr<::pocket::ink::InkComposer> m_composer;
};

class QtIcqPenEditors final : public ::pocket::icq::PenEditorHost {
public:
    explicit QtIcqPenEditors(platform::Clock& clock);
    std::unique_ptr<::pocket::ink::InkComposerView> createComposerView() override;
    // The carriage opened its editor over `composer`.
    void showEditor(::pocket::ink::InkComposer& composer);

private:
    platform::Clock& m_clock;
    QPointer<gui::ink::QtInkComposerWindow> m_last;
};

} // namespace gui::handheld
