#include "gui/pocket/qt_mypc_view.h"

#include "gui/qt_string.h"
#include "pocket/app/frame_layout.h"
#include "pocket/app/handheld.h"
#include "pocket/mypc/mypc_tab.h"

#include <QApplication>
#include <QBoxLayout>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

namespace gui::handheld {

namespace app = ::pocket::app;
namespace mypc = ::pocket::mypc;

namespace {

    QIcon iconOf(const mypc::TreeItem& item)
    {
        QStyle* style = QApplication::style();
        switch (item.image) {
        case mypc::TreeImage::Folder:
            return style->standardIcon(item.parent ? QStyle::SP_DirIcon : QStyle::SP_DriveHDIcon);
        case mypc::TreeImage::Executable:
            return style->standardIcon(QStyle::SP_ComputerIcon);
        default:
            return style->standardIcon(QStyle::SP_FileIcon);
        }
    }

    mypc::TreeItem* modelItem(const QTreeWidgetItem* item)
    {
        return item ? reinterpret_cast<mypc::TreeItem*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
    }

} // namespace

QtMyPcView::QtMyPcView(QTreeWidget& tree)
    : m_tree(tree)
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
}

QtMyPcView::~QtMyPcView()
{
    delete m_progress;
    delete m_resultWindow;
}

void QtMyPcView::attach(app::Handheld& handheld)
{
    m_handheld = &handheld;
    redraw();
}

void QtMyPcView::openMenu(const QPoint& at)
{
    mypc::TreeItem* model = modelItem(m_tree.itemAt(at));
    if (!model || !m_handheld)
        return;
    QMenu menu(&m_tree);
    for (const auto& entry : mypc::menuEntries(mypc::MyPcTree::menuOf(*model))) {
        QAction* action = menu.addAction(QString::fromUtf8(entry.text));
        action->setData(static_cast<int>(entry.command));
    }
    const std::string path = mypc::MyPcTree::pathOf(*model);
    QAction* chosen = menu.exec(m_tree.viewport()->mapToGlobal(at));
    // The tree may have changed while the menu was open (a lost connection
    // resets it); find the item again by its path.
    mypc::TreeItem* again = chosen ? m_handheld->mypc().tree.find(path) : nullptr;
    if (again)
        m_handheld->onMyPcCommand(*again, static_cast<mypc::TreeCommand>(chosen->data().toInt()));
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
    if (!m_handheld)
        return;
    const QSignalBlocker block(m_tree);
    m_tree.clear();
    for (const auto& root : m_handheld->mypc().tree.roots())
        addItem(nullptr, *root);
}

void QtMyPcView::addItem(QTreeWidgetItem* parent, const mypc::TreeItem& item)
{
    auto* widgetItem = parent ? new QTreeWidgetItem(parent, { toQString(item.text) })
                              : new QTreeWidgetItem(&m_tree, { toQString(item.text) });
    widgetItem->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&item)));
    widgetItem->setIcon(0, iconOf(item));
    if (item.hasChildren || !item.children.empty())
        widgetItem->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    for (const auto& child : item.children)
        addItem(widgetItem, *child);
    widgetItem->setExpanded(item.expanded && !item.children.empty());
}

void QtMyPcView::openProgress(const std::string& title)
{
    if (!m_progress) {
        m_progress = new QProgressDialog(m_tree.window());
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        QObject::connect(m_progress, &QProgressDialog::canceled, m_progress, [this] {
            if (m_handheld)
                m_handheld->onProgressCancel();
        });
    }
    m_progress->setWindowTitle(toQString(title));
    m_progress->setLabelText(toQString(title));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->show();
}

void QtMyPcView::setDoneLine(const std::string& text)
{
    if (m_progress)
        m_progress->setLabelText(m_total + QStringLiteral("\n") + toQString(text));
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
    resultList()->clear();
    m_rows.clear();
}

void QtMyPcView::showResults(const std::vector<mypc::SearchRow>& rows)
{
    clearResults();
    m_rows = rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* item = new QTreeWidgetItem(
            resultList(), { toQString(rows[i].name), toQString(rows[i].folder), toQString(rows[i].size) });
        item->setData(0, Qt::UserRole, static_cast<int>(i));
    }
}

void QtMyPcView::showResultList()
{
    resultList();
    m_resultWindow->show();
    m_resultWindow->raise();
}

QTreeWidget* QtMyPcView::resultList()
{
    if (m_resultList)
        return m_resultList;
    m_resultWindow = new QWidget(m_tree.window(), Qt::Window);
    m_resultWindow->setWindowTitle(QStringLiteral("검색 결과"));
    m_resultWindow->resize(320, 240);
    m_resultList = new QTreeWidget(m_resultWindow);
    m_resultList->setRootIsDecorated(false);
    layOutResultWindow();
    m_resultList->setHeaderLabels(
        { QStringLiteral("파일명"), QStringLiteral("파일 경로"), QStringLiteral("파일크기(BYTE)") });
    m_resultList->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m_resultList, &QTreeWidget::customContextMenuRequested, m_resultList,
        [this](const QPoint& at) { openResultMenu(at); });
    return m_resultList;
}

void QtMyPcView::openResultMenu(const QPoint& at)
{
    QTreeWidgetItem* item = m_resultList->itemAt(at);
    if (!item || !m_handheld)
        return;
    const auto row = m_rows.at(static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt()));
    QMenu menu(m_resultList);
    for (const auto& entry : mypc::menuEntries(mypc::TreeMenu::PcFile)) {
        QAction* action = menu.addAction(QString::fromUtf8(entry.text));
        QObject::connect(action, &QAction::triggered, m_resultList, [this, row, command = entry.command] {
            m_handheld->onSearchResultCommand(row, command);
        });
    }
    menu.exec(m_resultList->viewport()->mapToGlobal(at));
}

// The list above the page buttons, "P" on the left and "N" on the right.
void QtMyPcView::layOutResultWindow()
{
    auto* previous = new QPushButton(QStringLiteral("P"), m_resultWindow);
    auto* next = new QPushButton(QStringLiteral("N"), m_resultWindow);
    previous->setObjectName(QStringLiteral("resultPrevious"));
    next->setObjectName(QStringLiteral("resultNext"));
    QObject::connect(previous, &QPushButton::clicked, m_resultWindow, [this] {
        if (m_handheld)
            m_handheld->onButton(app::kPrevPageButton);
    });
    QObject::connect(next, &QPushButton::clicked, m_resultWindow, [this] {
        if (m_handheld)
            m_handheld->onButton(app::kNextPageButton);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previous);
    buttons->addStretch();
    buttons->addWidget(next);
    auto* column = new QVBoxLayout(m_resultWindow);
    column->addWidget(m_resultList);
    column->addLayout(buttons);
}

} // namespace gui::handheld
