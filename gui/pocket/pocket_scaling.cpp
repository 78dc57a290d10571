#include "gui/pocket/pocket_scaling.h"

#include "gui/ink/ink_canvas_widget.h"
#include "pocket/device/screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace gui::handheld {

namespace {

namespace device = ::pocket::device;

// A desktop window frame: borders and a title bar, as most window managers
// draw them.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

// Marks the windows sizeAsDeviceWindow made.
constexpr const char* kDeviceWindow = "pocketDeviceWindow";

device::ScreenRect toScreenRect(const QRect& rect)
{
    return { rect.x(), rect.y(), rect.width(), rect.height() };
}

bool isPlacedWindow(const QWidget& widget)
{
    if (!widget.isWindow())
        return false;
    switch (widget.windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
        return false; // Menus open where they were asked for.
    default:
        return true;
    }
}

} // namespace

int defaultScale(const QScreen* screen)
{
    if (!screen)
        return 1;
    return device::fittingScale(toScreenRect(screen->availableGeometry()), device::kMaxDefaultScale, kFrameWidth, kFrameHeight);
}

void sizeAsDeviceWindow(QWidget& window)
{
    window.setProperty(kDeviceWindow, true);
    window.resize(kScreenWidth, kDialogHeight);
}

PocketScaling::PocketScaling(QWidget& handheld, PocketScreen screen)
    : m_handheld(&handheld)
    , m_screen(screen)
    , m_previousFont(QApplication::font())
{
    QApplication::setFont(screen.font(kTextHeight));
    qApp->installEventFilter(this);
}

PocketScaling::~PocketScaling()
{
    qApp->removeEventFilter(this);
    QApplication::setFont(m_previousFont);
}

void PocketScaling::setScreen(const PocketScreen& screen)
{
    m_screen = screen;
    QApplication::setFont(screen.font(kTextHeight));
    // The windows open now: sized and centred anew, as if opened again.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != m_handheld && window->isVisible() && isPlacedWindow(*window))
            fit(*window);
    }
}

void PocketScaling::fit(QWidget& window)
{
    // Pen canvases are drawn at the screen's scale, like the screen itself.
    // (The canvas has no meta-object of its own, so findChildren cannot
    // tell it from other widgets.)
    for (auto* child : window.findChildren<QWidget*>()) {
        if (auto* canvas = dynamic_cast<gui::ink::InkCanvasWidget*>(child))
            canvas->setScale(m_screen.scale);
    }
    if (window.property(kDeviceWindow).toBool())
        window.resize(m_screen.px(kScreenWidth), m_screen.px(kDialogHeight));
    // Placed once the window has taken its size: a message box sizes itself
    // in its own show handling, after the filter.
    QPointer<const PocketScaling> self(this);
    QTimer::singleShot(0, &window, [self, target = &window] {
        if (self)
            self->place(*target);
    });
}

void PocketScaling::place(QWidget& window) const
{
    if (!m_handheld)
        return;
    const QScreen* screen = m_handheld->screen();
    if (!screen)
        return;
    const QRect frame = window.frameGeometry();
    const QSize border = frame.size() - window.geometry().size();
    const auto placed = device::placeOver(
        toScreenRect(m_handheld->frameGeometry()), frame.width(), frame.height(), toScreenRect(screen->availableGeometry()));
    if (placed.width != frame.width() || placed.height != frame.height())
        window.resize(placed.width - border.width(), placed.height - border.height());
    window.move(placed.x, placed.y);
}

bool PocketScaling::eventFilter(QObject* watched, QEvent* event)
{
    // Shown by the program, not brought back by the desktop: placed anew,
    // as a dialog is centred over its parent each time it opens.
    if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget != m_handheld && isPlacedWindow(*widget))
            fit(*widget);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace gui::handheld
