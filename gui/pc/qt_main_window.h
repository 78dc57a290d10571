#pragma once

// File: gui/pc/qt_main_window.h
// The PC program's main window: the menus with their ids, the row of seven
// picture buttons with the date label and the status text, the read-only
// rich-text log pane and the tray icon with its menu. It draws what the
// toolkit-free pc::app::MainWindow tells it (MainView, LogView) and passes
// every command, key and click back to it. GUI thread only.

#include "pc/app/log_pane.h"
#include "pc/app/main_window.h"

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <functional>
#include <map>

class QAction;
class QLabel;
class QMenu;
class QTextEdit;
class QToolButton;

namespace gui::pc {

class QtMainWindow final : public QMainWindow, public ::pc::app::MainView, public ::pc::app::LogView {
    Q_OBJECT
public:
    explicit QtMainWindow(QWidget* parent = nullptr);
    ~QtMainWindow() override;

    // The logic the window reports to; set before the window is shown.
    void setController(::pc::app::MainWindow* controller) { m_controller = controller; }
    // Runs when the window has closed for good (the program ends).
    void setOnClosed(std::function<void()> onClosed) { m_onClosed = std::move(onClosed); }

    // MainView
    void showServerState(const ::pc::app::ServerState& state) override;
    void setDateLabel(const std::string& text) override;
    void hideWindow() override;
    void showWindow() override;
    void closeWindow() override;

    // LogView
    void appendRuns(const std::vector<::pc::app::LogRun>& runs) override;
    void clearLog() override;

    // For tests and screenshots.
    QAction* action(int id) const;
    QToolButton* button(int id) const;
    QTextEdit* logPane() const { return m_log; }
    QLabel* dateLabel() const { return m_date; }
    QLabel* statusLabel() const { return m_status; }
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    QMenu* trayMenu() const { return m_trayMenu; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildButtonRow();
    void buildTray();
    QAction* addCommand(QMenu* menu, const char* text, int id);
    void command(int id);

    ::pc::app::MainWindow* m_controller = nullptr;
    std::function<void()> m_onClosed;
    std::map<int, QAction*> m_actions;
    std::map<int, QToolButton*> m_buttons;
    QTextEdit* m_log = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_status = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    bool m_closing = false;
};

} // namespace gui::pc
