#pragma once

// File: gui/pocket/qt_mypc_view.h
// The My PC view of the handheld window: the tree of control 1080 drawn from
// the core's MyPcTree (the handheld's "PDA" and the PC's drives), its
// tap-and-hold menus "PCD", "PCF", "PDAD" and "PDAF", the progress dialog of
// the transfers with "취소", and the search result list of the tab (its
// screen, with "P" and "N", is the frame's). Expanding a folder is "열기".
// Every command goes to the Handheld core. GUI thread only.

#include "pocket/link/pc_folder_request.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_tree.h"

#include <QPointer>
#include <QString>

#include <vector>

class QMenu;
class QProgressDialog;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace pocket::app {
class Handheld;
}

namespace gui::handheld {

class QtMyPcView final : public ::pocket::mypc::MyPcTreeView,
                         public ::pocket::mypc::ProgressView,
                         public ::pocket::mypc::SearchView,
                         public ::pocket::link::FolderListView {
public:
    QtMyPcView(QTreeWidget& tree, QTreeWidget& results);
    ~QtMyPcView() override;

    // The core whose tree this draws and whose commands the menus run.
    void attach(::pocket::app::Handheld& handheld);
    // Redraws the widget from the model now instead of after the current event.
    void redraw();

    // MyPcTreeView: the model changes while the widget may be inside one of
    // its own signals; the widget is redrawn after the current event.
    void treeReset() override { scheduleRedraw(); }
    void itemChanged(const ::pocket::mypc::TreeItem&) override { scheduleRedraw(); }

    // ProgressView.
    void openProgress(const std::string& title) override;
    void setTotalLine(const std::string& text) override { m_total = QString::fromStdString(text); }
    void setDoneLine(const std::string& text) override;
    void setResumedLine(const std::string& text) override;
    void setRateLine(const std::string& text) override;
    void setBar(int percent) override;
    void closeProgress() override;

    // SearchView.
    void clearResults() override;
    void showResults(const std::vector<::pocket::mypc::SearchRow>& rows) override;
    // The frame shows the results screen.
    void showResultList() override { }

    // The tap-and-hold menu of a tree item ("PCD", "PCF", "PDAD", "PDAF").
    QMenu* buildMenu(const ::pocket::mypc::TreeItem& item, QWidget* parent);
    // The "PCF" menu of a result row.
    QMenu* buildResultMenu(QTreeWidgetItem* item, QWidget* parent);
    QProgressDialog* progressDialog() const;

    // FolderListView: the tree shows PC folder lists; nothing else to do.
    void showFolder(const std::string&, const std::vector<::pocket::link::FolderEntry>&) override { }
    void restoreFolder(const std::string&) override { }

private:
    void scheduleRedraw();
    void showLines();
    void openMenu(const QPoint& at);
    void openResultMenu(const QPoint& at);
    // Enter: the current item's or result row's first menu entry.
    void openCurrent();
    void openCurrentResult();

    QTreeWidget& m_tree;
    ::pocket::app::Handheld* m_handheld = nullptr;
    bool m_redrawPending = false;
    QPointer<QProgressDialog> m_progress;
    QTreeWidget* m_resultList;
    QString m_total;
    QString m_resumed;
    QString m_done;
    QString m_rate;
    std::vector<::pocket::mypc::SearchRow> m_rows;
};

} // namespace gui::handheld
