#include "gui/pc/qt_main_window.h"

#include "gui/pc/pc_icons.h"
#include "gui/qt_string.h"
#include "pc/app/log_history.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace gui::pc {

namespace command = ::pc::app::command;

namespace {

struct ButtonSpec {
    int id;
    ButtonPicture picture;
    const char* tip;
};

// The seven picture buttons; the tool tip is the button's label.
const ButtonSpec kButtons[] = {
    { command::kStartServer, ButtonPicture::StartServer, "서버시작" },
    { command::kStopServer, ButtonPicture::StopServer, "서버중지" },
    { command::kViewLog, ButtonPicture::ViewLog, "로그파일 보기" },
    { command::kSaveLog, ButtonPicture::SaveLog, "로그파일 저장" },
    { command::kClearLog, ButtonPicture::ClearLog, "로그 지우기" },
    { command::kShowAddress, ButtonPicture::ShowAddress, "내 컴퓨터 IP보기" },
    { command::kDateTime, ButtonPicture::Calendar, "달력보기" },
};

QTextCharFormat formatFor(::pc::app::LogStyle style)
{
    QTextCharFormat format;
    switch (style) {
    case ::pc::app::LogStyle::Stamp:
        format.setFontWeight(QFont::Bold);
        format.setForeground(QColor(0, 0, 255));
        break;
    case ::pc::app::LogStyle::Alert:
        format.setFontWeight(QFont::Bold);
        format.setForeground(QColor(255, 0, 0));
        break;
    case ::pc::app::LogStyle::Text:
        format.setFontWeight(QFont::Normal);
        format.setForeground(Qt::black);
        break;
    }
    return format;
}

} // namespace

QtMainWindow::QtMainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle("Quillon");
    setWindowIcon(programIcon());
    buildMenus();

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(buildButtonRow());
    m_log = new QTextEdit(body);
    m_log->setReadOnly(true);
    m_log->setAcceptRichText(true);
    m_log->setLineWrapMode(QTextEdit::WidgetWidth);
    m_log->document()->setDocumentMargin(6);
    // The pane keeps the newest lines only; peers cannot grow it without end.
    m_log->document()->setMaximumBlockCount(static_cast<int>(::pc::app::LogHistory::kMaxLines));
    QPalette palette = m_log->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    m_log->setPalette(palette);
    layout->addWidget(m_log, 1);
    setCentralWidget(body);
    body->installEventFilter(this);

    buildTray();
    resize(620, 440);
}

QtMainWindow::~QtMainWindow() = default;

QAction* QtMainWindow::addCommand(QMenu* menu, const char* text, int id)
{
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { command(id); });
    m_actions[id] = action;
    return action;
}

void QtMainWindow::buildMenus()
{
    // Korean labels take their access keys in brackets, as Korean desktops
    // write them.
    QMenu* connection = menuBar()->addMenu("연결(&C)");
    addCommand(connection, "서버시작(&S)", command::kStartServer);
    addCommand(connection, "서버중지(&T)", command::kStopServer);
    connection->addSeparator();
    addCommand(connection, "종      료(&X)", command::kExit)->setShortcut(QKeySequence::Quit);

    QMenu* tools = menuBar()->addMenu("도구(&T)");
    addCommand(tools, "환경설정(&O)", command::kSettings);
    addCommand(tools, "로그 보기(&V)", command::kViewLog);
    addCommand(tools, "로그 저장(&S)", command::kSaveLog);
    addCommand(tools, "로그 지우기(&L)", command::kClearLog);

    QMenu* help = menuBar()->addMenu("도움말(&H)");
    addCommand(help, "Quillon 정보(&A)", command::kAbout);

    // F10 goes to the menu bar, opening its first menu.
    auto* toMenuBar = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(toMenuBar, &QShortcut::activated, this, [this] {
        if (!menuBar()->actions().isEmpty())
            menuBar()->setActiveAction(menuBar()->actions().first());
    });
}

QWidget* QtMainWindow::buildButtonRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (const auto& entry : kButtons) {
        auto* button = new QToolButton(row);
        button->setIcon(buttonIcon(entry.picture));
        button->setIconSize(QSize(32, 32));
        button->setToolTip(QString::fromUtf8(entry.tip));
        button->setAutoRaise(true);
        button->setFixedSize(44, 44);
        int id = entry.id;
        connect(button, &QToolButton::clicked, this, [this, id] { command(id); });
        m_buttons[id] = button;
        layout->addWidget(button);
    }
    layout->addStretch(1);

    auto* info = new QVBoxLayout();
    info->setSpacing(2);
    m_date = new QLabel(row);
    m_date->setCursor(Qt::PointingHandCursor);
    m_date->setToolTip("달력보기");
    m_date->installEventFilter(this);
    m_date->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_status = new QLabel(row);
    m_status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = m_status->font();
    bold.setBold(true);
    m_status->setFont(bold);
    info->addWidget(m_date);
    info->addWidget(m_status);
    layout->addLayout(info);
    return row;
}

void QtMainWindow::buildTray()
{
    m_trayMenu = new QMenu(this);
    addCommand(m_trayMenu, "서버시작", command::kTrayStartServer);
    addCommand(m_trayMenu, "서버중지", command::kTrayStopServer);
    m_trayMenu->addSeparator();
    addCommand(m_trayMenu, "환경설정", command::kTraySettings);
    addCommand(m_trayMenu, "활성화 시키기", command::kTrayActivate);
    m_trayMenu->addSeparator();
    addCommand(m_trayMenu, "종료", command::kTrayExit);

    m_tray = new QSystemTrayIcon(stoppedProgramIcon(), this);
    m_tray->setToolTip("Quillon");
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick && m_controller)
            m_controller->onTrayDoubleClick();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_tray->show();
}

void QtMainWindow::command(int id)
{
    if (m_controller)
        m_controller->onCommand(id);
}

void QtMainWindow::showServerState(const ::pc::app::ServerState& state)
{
    setWindowTitle(toQString(state.title));
    m_tray->setToolTip(toQString(state.trayTip));
    m_tray->setIcon(state.running ? programIcon() : stoppedProgramIcon());
    m_status->setText(toQString(state.status));
    m_status->setStyleSheet(state.running ? "color: #1e7b34;" : "color: #a12a25;");
    for (int id : { command::kStartServer, command::kTrayStartServer })
        m_actions.at(id)->setEnabled(state.startEnabled);
    for (int id : { command::kStopServer, command::kTrayStopServer })
        m_actions.at(id)->setEnabled(state.stopEnabled);
    m_buttons.at(command::kStartServer)->setEnabled(state.startEnabled);
    m_buttons.at(command::kStopServer)->setEnabled(state.stopEnabled);
}

void QtMainWindow::setDateLabel(const std::string& text)
{
    m_date->setText(toQString(text));
}

void QtMainWindow::hideWindow()
{
    hide();
}

void QtMainWindow::showWindow()
{
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void QtMainWindow::closeWindow()
{
    m_closing = true;
    m_tray->hide();
    close();
    if (m_onClosed)
        m_onClosed();
}

void QtMainWindow::appendRuns(const std::vector<::pc::app::LogRun>& runs)
{
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    for (const auto& run : runs)
        cursor.insertText(toQString(run.text), formatFor(run.style));
    m_log->setTextCursor(cursor);
    m_log->ensureCursorVisible();
}

void QtMainWindow::clearLog()
{
    m_log->clear();
}

QAction* QtMainWindow::action(int id) const
{
    auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

QToolButton* QtMainWindow::button(int id) const
{
    auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second;
}

void QtMainWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape leaves an active menu bar first; only then does it hide.
    if (event->key() == Qt::Key_Escape && menuBar()->activeAction()) {
        menuBar()->setActiveAction(nullptr);
        return;
    }
    if ((event->key() == Qt::Key_Escape || event->key() == Qt::Key_F4) && m_controller) {
        m_controller->onHideKey();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void QtMainWindow::mousePressEvent(QMouseEvent* event)
{
    // A press on the window's body drags the window.
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        return;
    }
    QMainWindow::mousePressEvent(event);
}

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (watched == m_date && press->button() == Qt::LeftButton && m_controller) {
            m_controller->onDateLabelClicked();
            return true;
        }
        if (watched == centralWidget() && press->button() == Qt::LeftButton && windowHandle()) {
            windowHandle()->startSystemMove();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void QtMainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing || !m_controller) {
        event->accept();
        return;
    }
    // The close button asks first; closeWindow() runs when the user agrees.
    m_controller->requestClose();
    if (m_closing)
        event->accept();
    else
        event->ignore();
}

} // namespace gui::pc
