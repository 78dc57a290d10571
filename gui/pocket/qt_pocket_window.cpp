#include "gui/pocket/qt_pocket_window.h"

#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/qt_string.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

namespace gui::handheld {

namespace frame = ::pocket::app;

namespace {

    // The bottom bar of the device: menus on the left, the input panel on the
    // right.
    class MenuBarWidget final : public QWidget {
    public:
        MenuBarWidget(PocketScreen screen, QWidget* parent)
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
        PocketScreen m_screen;
    };

    void addItems(QMenu* menu, const std::vector<frame::MenuItem>& items, const std::function<void(int)>& run)
    {
        for (const auto& item : items) {
            if (item.command == 0) {
                addItems(menu->addMenu(toQString(item.text)), item.children, run);
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
    m_band = new QtTitleBand(screen, this);
    // Made at once, so that the core can be built over its controls; the
    // frame places and shows it.
    m_dialog = new QtMainDialog(m_screen, this);
    m_dialog->hide();
    m_dialog->onButton = [this](int id) {
        if (onButton)
            onButton(id);
    };
}

bool QtPocketWindow::createMenuBar(int resource, const std::vector<frame::Menu>& menus)
{
    if (menus.empty())
        return false;
    auto* bar = new MenuBarWidget(m_screen, this);
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
        addItems(popup, menu.items, [this](int command) {
            if (onCommand)
                onCommand(command);
        });
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
    setFixedSize(m_screen.px(kScreenWidth), m_screen.px(kScreenHeight));
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

} // namespace gui::handheld
