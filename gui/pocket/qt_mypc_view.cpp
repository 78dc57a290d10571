#include "gui/pocket/qt_mypc_view.h"

#include "gui/pocket/item_view_keys.h"
#include "gui/pocket/mypc_tree_items.h"
#include "gui/qt_string.h"
#include "pocket/app/frame_layout.h"
#include "pocket/app/handheld.h"
#include "pocket/mypc/mypc_tab.h"

#include <QMenu>

#include <memory>
#include <QProgressDialog>
#include <QTimer>
#include <QTreeWidget>

namespace gui::handheld {

namespace mypc = ::pocket::mypc;

QtMyPcView::QtMyPcView(QTreeWidget& tree, QTreeWidget& results)
    : m_tree(tree)
    , m_resultList(&results)
{
    m_tree.setContextMenuPolicy(Qt::CustomContextMenu);
    // Expanding is "열기": PC folders are asked of the PC, handheld folders read.
    QObject::connect(&m_tree, &QTreeWidget::itemExpanded, &m_tree, [this](QTreeWidgetItem* item) {
        mypc::TreeItem* model = modelItem(item);
        if (m_handheld && model && model->isFolder && model->children.empty())
            m_handheld->onMyPcCommand(*model, mypc::TreeCommand::Open);
    });
    QObject::connect(&m_tree, &QTreeWidget::customContextMenuRequested, &m_tree,
        [this](const QPoint& at) { openMenu(at); });
    m_resultList->setRootIsDecorated(false);
    m_resultList->setHeaderLabels(
        { QStringLiteral("파일명"), QStringLiteral("파일 경로"), QStringLiteral("파일크기(BYTE)") });
    m_resultList->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m_resultList, &QTreeWidget::customContextMenuRequested, m_resultList,
        [this](const QPoint& at) { openResultMenu(at); });
    for (QTreeWidget* view : { &m_tree, m_resultList })
        addMenuKeys(*view);
    addOpenKey(m_tree, [this] { openCurrent(); });
    addOpenKey(*m_resultList, [this] { openCurrentResult(); });
}

QtMyPcView::~QtMyPcView()
{
    delete m_progress;
}

QProgressDialog* QtMyPcView::progressDialog() const
{
    return m_progress;
}

void QtMyPcView::attach(::pocket::app::Handheld& handheld)
{
    m_handheld = &handheld;
    redraw();
}

QMenu* QtMyPcView::buildMenu(const mypc::TreeItem& item, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    if (!m_handheld)
        return menu;
    const std::string path = mypc::MyPcTree::pathOf(item);
    for (const auto& entry : mypc::menuEntries(mypc::MyPcTree::menuOf(item))) {
        QAction* action = menu->addAction(QString::fromUtf8(entry.text));
        QObject::connect(action, &QAction::triggered, menu, [this, path, command = entry.command] {
            // The tree may have changed while the menu was open (a lost
            // connection resets it); find the item again by its path.
            if (mypc::TreeItem* again = m_handheld->mypc().tree.find(path))
                m_handheld->onMyPcCommand(*again, command);
        });
    }
    return menu;
}

void QtMyPcView::openMenu(const QPoint& at)
{
    mypc::TreeItem* model = modelItem(m_tree.itemAt(at));
    if (!model)
        return;
    std::unique_ptr<QMenu> menu(buildMenu(*model, &m_tree));
    menu->exec(m_tree.viewport()->mapToGlobal(at));
}

void QtMyPcView::scheduleRedraw()
{
    if (m_redrawPending)
        return;
    m_redrawPending = true;
    QTimer::singleShot(0, &m_tree, [this] { redraw(); });
}

void QtMyPcView::redraw()
{
    m_redrawPending = false;
    if (m_handheld)
        drawMyPcTree(m_tree, m_handheld->mypc().tree);
}

void QtMyPcView::openProgress(const std::string& title)
{
    if (!m_progress) {
        m_progress = new QProgressDialog(m_tree.window());
        m_progress->setCancelButtonText(QStringLiteral("취소"));
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        QObject::connect(m_progress, &QProgressDialog::canceled, m_progress, [this] {
            if (m_handheld)
                m_handheld->onProgressCancel();
        });
    }
    m_resumed.clear();
    m_progress->setWindowTitle(toQString(title));
    m_progress->setLabelText(toQString(title));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->show();
}

void QtMyPcView::setDoneLine(const std::string& text)
{
    m_done = toQString(text);
    showLines();
}

void QtMyPcView::setRateLine(const std::string& text)
{
    m_rate = toQString(text);
    showLines();
}

void QtMyPcView::setResumedLine(const std::string& text)
{
    m_resumed = toQString(text);
    showLines();
}

void QtMyPcView::showLines()
{
    if (!m_progress)
        return;
    QString label = m_total;
    if (!m_resumed.isEmpty())
        label += QStringLiteral("\n") + m_resumed;
    label += QStringLiteral("\n") + m_done;
    if (!m_rate.isEmpty())
        label += QStringLiteral("\n") + m_rate;
    m_progress->setLabelText(label);
}

void QtMyPcView::setBar(int percent)
{
    if (m_progress)
        m_progress->setValue(percent);
}

void QtMyPcView::closeProgress()
{
    if (m_progress)
        m_progress->hide();
}

void QtMyPcView::clearResults()
{
    m_resultList->clear();
    m_rows.clear();
}

void QtMyPcView::showResults(const std::vector<mypc::SearchRow>& rows)
{
    clearResults();
    m_rows = rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* item = new QTreeWidgetItem(
            m_resultList, { toQString(rows[i].name), toQString(rows[i].folder), toQString(rows[i].size) });
        item->setData(0, Qt::UserRole, static_cast<int>(i));
    }
}

QMenu* QtMyPcView::buildResultMenu(QTreeWidgetItem* item, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    if (!item || !m_handheld)
        return menu;
    const auto row = m_rows.at(static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt()));
    for (const auto& entry : mypc::menuEntries(mypc::TreeMenu::PcFile)) {
        QAction* action = menu->addAction(QString::fromUtf8(entry.text));
        QObject::connect(action, &QAction::triggered, m_resultList, [this, row, command = entry.command] {
            m_handheld->onSearchResultCommand(row, command);
        });
    }
    return menu;
}

void QtMyPcView::openResultMenu(const QPoint& at)
{
    QTreeWidgetItem* item = m_resultList->itemAt(at);
    if (!item)
        return;
    std::unique_ptr<QMenu> menu(buildResultMenu(item, m_resultList));
    menu->exec(m_resultList->viewport()->mapToGlobal(at));
}

void QtMyPcView::openCurrent()
{
    mypc::TreeItem* model = modelItem(m_tree.currentItem());
    if (m_handheld && model)
        m_handheld->onMyPcCommand(*model, mypc::defaultCommand(mypc::MyPcTree::menuOf(*model)));
}

void QtMyPcView::openCurrentResult()
{
    QTreeWidgetItem* item = m_resultList->currentItem();
    if (!m_handheld || !item)
        return;
    const auto row = m_rows.at(static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt()));
    m_handheld->onSearchResultCommand(row, mypc::defaultCommand(mypc::TreeMenu::PcFile));
}

} // namespace gui::handheld
