#include "gui/pocket/qt_pen_editors.h"

#include "gui/ink/qt_ink_composer_window.h"
#include "pocket/ink/ink_composer.h"

#include <QEvent>

namespace gui::handheld {

QtMsnPenEditors::QtMsnPenEditors(platform::EventLoop& loop, platform::Clock& clock, platform::Ui& ui)
    : m_loop(loop)
    , m_clock(clock)
    , m_ui(ui)
{
}

QtMsnPenEditors::~QtMsnPenEditors()
{
    release();
}

::pocket::ink::InkComposer* QtMsnPenEditors::createPenEditor(
    const ::pocket::ink::ComposerSetup& setup, ::pocket::ink::PenCarriage& carriage)
{
    release();
    m_window = std::make_unique<gui::ink::QtInkComposerWindow>(m_clock);
    m_composer = std::make_unique<::pocket::ink::InkComposer>(setup, *m_window, m_ui, carriage, m_loop);
    m_window->setComposer(m_composer.get());
    m_window->installEventFilter(this);
    m_window->show();
    return m_composer.get();
}

platform::LResult QtMsnPenEditors::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg == kMsgEditorClosed && m_window && m_window->isHidden())
        release();
    return 0;
}

bool QtMsnPenEditors::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && m_window && watched == m_window.get())
        m_loop.post(this, kMsgEditorClosed);
    return false;
}

void QtMsnPenEditors::release()
{
    if (!m_composer)
        return;
    if (m_carriage)
        m_carriage->onEditorClosed();
    m_window->removeEventFilter(this);
    m_composer.reset();
    m_window.reset();
}

QtIcqPenEditors::QtIcqPenEditors(platform::Clock& clock)
    : m_clock(clock)
{
}

std::unique_ptr<::pocket::ink::InkComposerView> QtIcqPenEditors::createComposerView()
{
    auto window = std::make_unique<gui::ink::QtInkComposerWindow>(m_clock);
    m_last = window.get();
    return window;
}

void QtIcqPenEditors::showEditor(::pocket::ink::InkComposer& composer)
{
    if (!m_last)
        return;
    m_last->setComposer(&composer);
    m_last->show();
    m_last->raise();
}

} // namespace gui::handheld
