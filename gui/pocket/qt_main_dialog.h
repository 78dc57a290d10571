#pragma once

// File: gui/pocket/qt_main_dialog.h
// The handheld's main dialog: the view buttons, the messenger trees, the My
// PC tree, the web view with its buttons and the e-mail view, each control
// under its resource id, placed in device pixels. It shows, hides and lays
// out what the frame tells it and reports button taps by id. GUI thread only.

#include "gui/pocket/pocket_screen.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTextBrowser;
class QTreeWidget;

namespace gui::handheld {

class QtMainDialog final : public QWidget {
public:
    QtMainDialog(const PocketScreen& screen, QWidget* parent = nullptr);

    // A tap on a button of the dialog, by its id.
    std::function<void(int)> onButton;

    void layOut(int messengerLayoutCode);
    void drawViewButtons(int currentView);
    void setControlVisible(int id, bool visible);
    QWidget* control(int id) const { return m_controls.value(id); }
    bool isControlShown(int id) const;

    // The My PC tree: its root "PDA" and the PC's drives.
    void resetPcTree();
    void addDriveItems(const std::vector<std::string>& drives);
    QTreeWidget* pcTree() const { return m_pcTree; }
    // The My PC view's search results (control of the program's own).
    QTreeWidget* searchResults() const { return m_results; }
    QTreeWidget* msnTree() const { return m_msnTree; }
    QTreeWidget* icqTree() const { return m_icqTree; }
    void setMsnStatusLine(const std::string& text);
    void setIcqStatusLine(const std::string& text);

    // The web view: the address box and the page.
    QTextBrowser* webView() const { return m_webView; }
    QComboBox* addressBox() const { return m_address; }
    // The e-mail view: the list of mails, and the content screen.
    QTreeWidget* mailList() const;
    QLabel* mailHeader() const { return m_mailHeader; }
    QTextBrowser* mailBody() const { return m_mailBody; }
    // "Text" (0) and "Html" (1).
    QComboBox* mailFormat() const { return m_mailFormat; }
    QPushButton* button(int id) const;
    void showAddress(const std::string& address);

private:
    void add(int id, QWidget* widget, QRect deviceRect);
    QPushButton* button(int id, const QString& text, QRect deviceRect);
    QTreeWidget* tree(int id, QRect deviceRect);
    void buildViewButtons();
    void buildWebControls();
    void buildMailControls();
    void placeMailBody(bool belowHeader);

    // The handheld window's screen: its scale follows the window's size.
    const PocketScreen& m_screen;
    QHash<int, QWidget*> m_controls;
    QHash<int, bool> m_shown;
    QTreeWidget* m_msnTree = nullptr;
    QTreeWidget* m_icqTree = nullptr;
    QTreeWidget* m_pcTree = nullptr;
    QTreeWidget* m_results = nullptr;
    QTextBrowser* m_webView = nullptr;
    QComboBox* m_address = nullptr;
    QLabel* m_mailHeader = nullptr;
    QTextBrowser* m_mailBody = nullptr;
    QComboBox* m_mailFormat = nullptr;
};

} // namespace gui::handheld
