#include "gui/pocket/qt_pocket_window.h"

#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/screen_rescaler.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/qt_string.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace gui::handheld {

namespace frame = ::pocket::app;

namespace {

    // The bottom bar of the device: menus on the left, the input panel on the
    // right.
    class MenuBarWidget final : public QWidget {
    public:
        MenuBarWidget(const PocketScreen& screen, QWidget* parent)
            : QWidget(parent)
            , m_screen(screen)
        {
        }

    protected:
        void paintEvent(QPaintEvent*) override
        {
            QPainter painter(this);
            QLinearGradient fill(0, 0, 0, height());
            fill.setColorAt(0, QColor(0xee, 0xee, 0xf2));
            fill.setColorAt(1, QColor(0xc4, 0xc8, 0xd2));
            painter.fillRect(rect(), fill);
            painter.setPen(QColor(0x80, 0x84, 0x90));
            painter.drawLine(0, 0, width(), 0);
            // The input panel's keyboard.
            const QRect key(width() - m_screen.px(28), m_screen.px(7), m_screen.px(20), m_screen.px(12));
            painter.setBrush(Qt::white);
            painter.drawRect(key);
            painter.setPen(QColor(0x40, 0x40, 0x50));
            for (int row = 0; row < 2; ++row) {
                for (int column = 0; column < 5; ++column)
                    painter.drawPoint(
                        key.left() + m_screen.px(3 + column * 3), key.top() + m_screen.px(4 + row * 4));
            }
        }

    private:
        const PocketScreen& m_screen;
    };

    void addItems(QMenu* menu, const std::vector<frame::MenuItem>& items, const std::function<void(int)>& run,
        const std::function<bool(int)>& enabled)
    {
        // Entries that cannot run now are greyed as the menu opens.
        QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, enabled] {
            for (QAction* action : menu->actions()) {
                if (!action->menu() && !action->isSeparator())
                    action->setEnabled(enabled(action->data().toInt()));
            }
        });
        for (const auto& item : items) {
            if (item.command == 0) {
                addItems(menu->addMenu(toQString(item.text)), item.children, run, enabled);
                continue;
            }
            const int command = item.command;
            QAction* action = menu->addAction(toQString(item.text));
            action->setData(command);
            QObject::connect(action, &QAction::triggered, menu, [run, command] { run(command); });
        }
    }

} // namespace

QtPocketWindow::QtPocketWindow(PocketScreen screen, QWidget* parent)
    : QWidget(parent)
    , m_screen(screen)
{
    setWindowTitle(QStringLiteral("Quillon"));
    setObjectName(QStringLiteral("Quillon"));
    // Never smaller than the device's own screen.
    setMinimumSize(kScreenWidth, kScreenHeight);
    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("screenArea"));
    m_area->setGeometry(m_screen.rect(0, 0, kScreenWidth, kScreenHeight));
    resize(m_area->size());
    m_band = new QtTitleBand(m_screen, m_area);
    // Made at once, so that the core can be built over its controls; the
    // frame places and shows it.
    m_dialog = new QtMainDialog(m_screen, m_area);
    m_dialog->hide();
    m_dialog->onButton = [this](int id) {
        if (onButton)
            onButton(id);
    };
    addShortcuts();
}

bool QtPocketWindow::createMenuBar(int resource, const std::vector<frame::Menu>& menus)
{
    if (menus.empty())
        return false;
    auto* bar = new MenuBarWidget(m_screen, m_area);
    bar->setObjectName(QStringLiteral("menuBar%1").arg(resource));
    bar->setGeometry(m_screen.rect(0, kScreenHeight - kMenuBarHeight, kScreenWidth, kMenuBarHeight));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(m_screen.px(2), m_screen.px(2), m_screen.px(34), m_screen.px(2));
    layout->setSpacing(m_screen.px(2));
    for (const auto& menu : menus) {
        auto* button = new QToolButton(bar);
        button->setText(toQString(menu.title));
        button->setFont(m_screen.font(12, true));
        button->setAutoRaise(true);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
        auto* popup = new QMenu(button);
        popup->setFont(m_screen.font(12));
        addItems(
            popup, menu.items,
            [this](int command) {
                if (onCommand)
                    onCommand(command);
            },
            [this](int command) { return !isCommandEnabled || isCommandEnabled(command); });
        button->setMenu(popup);
        layout->addWidget(button);
    }
    layout->addStretch();
    bar->hide();
    m_menuBars.insert(resource, bar);
    return true;
}

void QtPocketWindow::showMenuBar(int resource)
{
    for (auto it = m_menuBars.begin(); it != m_menuBars.end(); ++it)
        it.value()->setVisible(it.key() == resource);
    m_shownMenuBar = resource;
}

void QtPocketWindow::sizeToScreen()
{
    resize(m_screen.px(kScreenWidth), m_screen.px(kScreenHeight));
}

void QtPocketWindow::scaleWithScreen(QWidget& window)
{
    m_scaledWindows << &window;
}

void QtPocketWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const double fit = std::min(double(width()) / kScreenWidth, double(height()) / kScreenHeight);
    const double scale = std::max(1.0, fit);
    if (std::abs(scale - m_screen.scale) > 1e-9)
        setScale(scale);
    const QSize area(m_screen.px(kScreenWidth), m_screen.px(kScreenHeight));
    m_area->setGeometry(QRect(QPoint((width() - area.width()) / 2, (height() - area.height()) / 2), area));
}

void QtPocketWindow::setScale(double scale)
{
    const PocketScreen from = m_screen;
    m_screen.scale = scale;
    rescaleScreen(*m_area, from, m_screen);
    for (const QPointer<QWidget>& window : std::as_const(m_scaledWindows)) {
        if (window)
            rescaleScreen(*window, from, m_screen);
    }
    if (onRescaled)
        onRescaled();
}

void QtPocketWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x20, 0x22, 0x28));
}

void QtPocketWindow::createMainDialog(int top)
{
    m_dialog->move(0, m_screen.px(top));
    m_dialog->show();
}

void QtPocketWindow::createTitleBand()
{
    m_band->raise();
    m_band->show();
}

void QtPocketWindow::layOut(int messengerLayoutCode)
{
    if (m_dialog)
        m_dialog->layOut(messengerLayoutCode);
}

void QtPocketWindow::drawViewButtons(int currentView)
{
    if (m_dialog)
        m_dialog->drawViewButtons(currentView);
}

void QtPocketWindow::setControlVisible(int id, bool visible)
{
    if (m_dialog)
        m_dialog->setControlVisible(id, visible);
}

void QtPocketWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    QWidget::show();
    raise();
    activateWindow();
}

void QtPocketWindow::destroyMainDialog()
{
    if (m_dialog)
        m_dialog->hide();
}

void QtPocketWindow::destroyFrame()
{
    m_destroying = true;
    QWidget::close();
    // The quit message: the loop ends whatever other windows are open. (A
    // quit request would first ask every window to close, and an MSN chat
    // window that asks its chat first refuses.)
    QCoreApplication::exit(0);
}

void QtPocketWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && onActivated)
        onActivated();
}

void QtPocketWindow::closeEvent(QCloseEvent* event)
{
    if (m_destroying || !onCloseRequested) {
        event->accept();
        return;
    }
    event->ignore();
    onCloseRequested();
}

void QtPocketWindow::addShortcuts()
{
    const struct {
        QKeySequence keys;
        std::function<void()> run;
    } shortcuts[] = {
        // Ctrl+Q asks as "끝내기" does.
        { QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { if (onCloseRequested) onCloseRequested(); } },
        { QKeySequence(Qt::Key_F10), [this] { openFirstMenu(); } },
    };
    for (const auto& shortcut : shortcuts)
        connect(new QShortcut(shortcut.keys, this), &QShortcut::activated, this, shortcut.run);
}

void QtPocketWindow::openFirstMenu()
{
    QWidget* bar = m_menuBars.value(m_shownMenuBar);
    auto* first = bar ? bar->findChild<QToolButton*>() : nullptr;
    if (first)
        first->showMenu();
}

void QtPocketWindow::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Tab and Ctrl+Shift+Tab (Backtab with Shift) that no page control
    // took step through the pages.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && (event->modifiers() & Qt::ControlModifier) && onPageStep) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        onPageStep(back ? -1 : 1);
        return;
    }
    // An open menu or dialog has its own Escape; what reaches the window
    // puts it away, as the device's close button does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        showMinimized();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace gui::handheld
