#pragma once

// File: gui/ink/qt_pen_message_box.h
// The box of received pen messages: "MSN" and "ICQ" buttons over one list
// per network (받은시간, 보낸사람, 경로), and "보기", "삭제", "종료". Shows
// the rows pocket::ink::PenMessageBox gives it and passes the buttons on.
// GUI thread only.

#include "pocket/ink/pen_message_box.h"

#include <QWidget>

class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace gui::ink {

class QtPenMessageBox final : public QWidget, public pocket::ink::PenMessageBoxView {
public:
    explicit QtPenMessageBox(QWidget* parent = nullptr);

    void setBox(pocket::ink::PenMessageBox* box) { m_box = box; }

    void setRows(pocket::ink::Network network, const std::vector<pocket::ink::PenMessageRow>& newestFirst) override;
    void showNetwork(pocket::ink::Network network) override;
    void close() override;

    QTreeWidget* list(pocket::ink::Network network) const;
    QPushButton* viewButton() const { return m_viewButton; }
    QPushButton* deleteButton() const { return m_deleteButton; }

private:
    QTreeWidget* makeList();
    // The shown network and its selected row, if any.
    bool selection(pocket::ink::Network& network, std::size_t& row) const;

    pocket::ink::PenMessageBox* m_box = nullptr;
    QStackedWidget* m_lists = nullptr;
    QTreeWidget* m_msn = nullptr;
    QTreeWidget* m_icq = nullptr;
    QPushButton* m_viewButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
};

} // namespace gui::ink
