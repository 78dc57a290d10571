#include "gui/pocket/pocket_mypc.h"

#include "gui/qt_string.h"
#include "pocket/link/pc_folder_request.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_download.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_tab.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_tree.h"
#include "pocket/mypc/mypc_upload.h"

#include <QApplication>
#include <QBoxLayout>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

namespace gui::handheld {

namespace device = ::pocket::device;
namespace link = ::pocket::link;
namespace mypc = ::pocket::mypc;
namespace settings = ::pocket::settings;

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
        return item ? reinterpret_cast<mypc::TreeItem*>(item->data(0, Qt::UserRole).value<quintptr>())
                    : nullptr;
    }

    // The progress dialog of a transfer and the search result list.
    class Dialogs final : public mypc::ProgressView, public mypc::SearchView {
    public:
        explicit Dialogs(QWidget* parent)
            : m_parent(parent)
        {
        }
        std::function<void()> onCancel;
        std::function<void(const mypc::SearchRow&, mypc::TreeCommand)> onResultCommand;
        // The result list's page buttons "P" and "N".
        std::function<void()> onPreviousPage;
        std::function<void()> onNextPage;

        void openProgress(const std::string& title) override
        {
            if (!m_progress) {
                m_progress = new QProgressDialog(m_parent);
                m_progress->setAutoClose(false);
                m_progress->setAutoReset(false);
                QObject::connect(m_progress, &QProgressDialog::canceled, m_progress, [this] {
                    if (onCancel)
                        onCancel();
                });
            }
            m_progress->setWindowTitle(toQString(title));
            m_progress->setLabelText(toQString(title));
            m_progress->setRange(0, 100);
            m_progress->setValue(0);
            m_progress->show();
        }
        void setTotalLine(const std::string& text) override { m_total = toQString(text); }
        void setDoneLine(const std::string& text) override
        {
            if (m_progress)
                m_progress->setLabelText(m_total + QStringLiteral("\n") + toQString(text));
        }
        void setBar(int percent) override
        {
            if (m_progress)
                m_progress->setValue(percent);
        }
        void closeProgress() override
        {
            if (m_progress)
                m_progress->hide();
        }

        void clearResults() override
        {
            list()->clear();
            m_rows.clear();
        }
        void showResults(const std::vector<mypc::SearchRow>& rows) override
        {
            clearResults();
            m_rows = rows;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                auto* item = new QTreeWidgetItem(
                    list(), { toQString(rows[i].name), toQString(rows[i].folder), toQString(rows[i].size) });
                item->setData(0, Qt::UserRole, static_cast<int>(i));
            }
        }
        void showResultList() override
        {
            list();
            m_window->show();
            m_window->raise();
        }

    private:
        QTreeWidget* list()
        {
            if (!m_list) {
                m_window = new QWidget(m_parent, Qt::Window);
                m_window->setWindowTitle(QStringLiteral("검색 결과"));
                m_window->resize(320, 240);
                m_list = new QTreeWidget(m_window);
                m_list->setRootIsDecorated(false);
                layOutResultWindow();
                m_list->setHeaderLabels({ QStringLiteral("파일명"), QStringLiteral("파일 경로"),
                    QStringLiteral("파일크기(BYTE)") });
                m_list->setContextMenuPolicy(Qt::CustomContextMenu);
                QObject::connect(
                    m_list, &QTreeWidget::customContextMenuRequested, m_list, [this](const QPoint& at) {
                        QTreeWidgetItem* item = m_list->itemAt(at);
                        if (!item)
                            return;
                        const auto row
                            = m_rows.at(static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt()));
                        QMenu menu(m_list);
                        for (const auto& entry : mypc::menuEntries(mypc::TreeMenu::PcFile)) {
                            QAction* action = menu.addAction(QString::fromUtf8(entry.text));
                            QObject::connect(
                                action, &QAction::triggered, m_list, [this, row, command = entry.command] {
                                    if (onResultCommand)
                                        onResultCommand(row, command);
                                });
                        }
                        menu.exec(m_list->viewport()->mapToGlobal(at));
                    });
            }
            return m_list;
        }

        // The list above the page buttons, "P" on the left and "N" on the right.
        void layOutResultWindow()
        {
            auto* previous = new QPushButton(QStringLiteral("P"), m_window);
            auto* next = new QPushButton(QStringLiteral("N"), m_window);
            previous->setObjectName(QStringLiteral("resultPrevious"));
            next->setObjectName(QStringLiteral("resultNext"));
            QObject::connect(previous, &QPushButton::clicked, m_window, [this] {
                if (onPreviousPage)
                    onPreviousPage();
            });
            QObject::connect(next, &QPushButton::clicked, m_window, [this] {
                if (onNextPage)
                    onNextPage();
            });
            auto* buttons = new QHBoxLayout;
            buttons->addWidget(previous);
            buttons->addStretch();
            buttons->addWidget(next);
            auto* column = new QVBoxLayout(m_window);
            column->addWidget(m_list);
            column->addLayout(buttons);
        }

        QWidget* m_parent;
        QPointer<QProgressDialog> m_progress;
        QPointer<QWidget> m_window;
        QPointer<QTreeWidget> m_list;
        QString m_total;
        std::vector<mypc::SearchRow> m_rows;
    };

} // namespace

struct PocketMyPc::Parts final : mypc::MyPcTreeView {
    Parts(platform::EventLoop& loop, platform::Ui& ui, link::PcLink& link, const settings::PdaSettings& settings,
        const device::DeviceRoot& device, platform::HttpFetch& fetch, QTreeWidget& widget, MyPcViewHooks hooks)
        : widget(widget)
        , hooks(std::move(hooks))
        , dialogs(widget.window())
        , busy(ui)
        , runner(loop, ui, settings, device, dialogs)
        , download(link, settings, ui, busy, runner)
        , upload(loop, ui, link, settings, device, busy, dialogs)
        , search(link, settings, device, fetch, ui, busy, dialogs)
        , tree(device, *this)
        , folders(link, settings, device, fetch, ui, tree)
        , tab(link, tree, folders, download, upload, runner, ui, tabHooks())
    {
        dialogs.onCancel = [this] { (void)tab.cancelPressed(); };
        dialogs.onResultCommand = [this](const mypc::SearchRow& row, mypc::TreeCommand command) {
            tab.onResultCommand(row, command);
        };
        dialogs.onPreviousPage = [this] { search.previous(); };
        dialogs.onNextPage = [this] { search.next(); };
    }

    mypc::MyPcHooks tabHooks()
    {
        mypc::MyPcHooks result;
        result.openLoginDialog = [this] {
            if (hooks.openLogin)
                hooks.openLogin();
        };
        result.openSearchDialog = [this](const std::string& scope) {
            bool ok = false;
            const QString word = QInputDialog::getText(
                &widget, QStringLiteral("검색"), toQString(scope), QLineEdit::Normal, QString(), &ok);
            if (ok && !word.trimmed().isEmpty())
                (void)search.start(scope, toUtf8(word.trimmed()));
        };
        result.viewPcFile = [this](const std::string& path) {
            if (hooks.viewPcFile)
                hooks.viewPcFile(path);
        };
        result.viewHandheldFile = [this](const std::string& path) {
            if (hooks.viewHandheldFile)
                hooks.viewHandheldFile(path);
        };
        result.attachToMail = [this](const std::string& path, bool) {
            if (hooks.attachToMail)
                hooks.attachToMail(path);
        };
        result.showProperties = [this](const std::string& path) {
            QMessageBox::information(&widget, QStringLiteral("등록정보"), toQString(path));
        };
        return result;
    }

    // The model changes while the widget may be inside one of its own
    // signals; redraw after the current event.
    void treeReset() override { scheduleRedraw(); }
    void itemChanged(const mypc::TreeItem&) override { scheduleRedraw(); }

    void scheduleRedraw()
    {
        if (redrawPending)
            return;
        redrawPending = true;
        QTimer::singleShot(0, &widget, [this] { redraw(); });
    }

    void redraw()
    {
        redrawPending = false;
        const QSignalBlocker block(widget);
        widget.clear();
        for (const auto& root : tree.roots())
            addItem(nullptr, *root);
    }

    void addItem(QTreeWidgetItem* parent, const mypc::TreeItem& item)
    {
        auto* widgetItem = parent ? new QTreeWidgetItem(parent, { toQString(item.text) })
                                  : new QTreeWidgetItem(&widget, { toQString(item.text) });
        widgetItem->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&item)));
        widgetItem->setIcon(0, iconOf(item));
        if (item.hasChildren || !item.children.empty())
            widgetItem->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        for (const auto& child : item.children)
            addItem(widgetItem, *child);
        widgetItem->setExpanded(item.expanded && !item.children.empty());
    }

    QTreeWidget& widget;
    // Set before the tree is built: building it already asks for a redraw.
    bool redrawPending = false;
    MyPcViewHooks hooks;
    Dialogs dialogs;
    mypc::MyPcBusy busy;
    mypc::TransferRunner runner;
    mypc::MyPcDownload download;
    mypc::MyPcUpload upload;
    mypc::MyPcSearch search;
    mypc::MyPcTree tree;
    link::PcFolderRequest folders;
    mypc::MyPcTab tab;
};

PocketMyPc::PocketMyPc(platform::EventLoop& loop, platform::Ui& ui, link::PcLink& link,
    const settings::PdaSettings& settings, const device::DeviceRoot& device, platform::HttpFetch& fetch,
    QTreeWidget& widget, MyPcViewHooks hooks)
    : m_parts(std::make_unique<Parts>(loop, ui, link, settings, device, fetch, widget, std::move(hooks)))
{
    Parts& p = *m_parts;
    widget.setContextMenuPolicy(Qt::CustomContextMenu);
    // Expanding is "열기": PC folders are asked of the PC, handheld folders read.
    QObject::connect(&widget, &QTreeWidget::itemExpanded, &widget, [&p](QTreeWidgetItem* item) {
        mypc::TreeItem* model = modelItem(item);
        if (model && model->isFolder && model->children.empty())
            p.tab.onCommand(*model, mypc::TreeCommand::Open);
    });
    QObject::connect(
        &widget, &QTreeWidget::customContextMenuRequested, &widget, [&p, &widget](const QPoint& at) {
            mypc::TreeItem* model = modelItem(widget.itemAt(at));
            if (!model)
                return;
            QMenu menu(&widget);
            for (const auto& entry : mypc::menuEntries(mypc::MyPcTree::menuOf(*model))) {
                QAction* action = menu.addAction(QString::fromUtf8(entry.text));
                action->setData(static_cast<int>(entry.command));
            }
            const std::string path = mypc::MyPcTree::pathOf(*model);
            QAction* chosen = menu.exec(widget.viewport()->mapToGlobal(at));
            // The tree may have changed while the menu was open (a lost
            // connection resets it); find the item again by its path.
            mypc::TreeItem* again = chosen ? p.tree.find(path) : nullptr;
            if (again)
                p.tab.onCommand(*again, static_cast<mypc::TreeCommand>(chosen->data().toInt()));
        });
    p.redraw();
}

PocketMyPc::~PocketMyPc() = default;

void PocketMyPc::resetTree()
{
    m_parts->tree.reset();
}

void PocketMyPc::addDrives(const std::vector<std::string>& drives)
{
    m_parts->tree.addDrives(drives);
}

mypc::MyPcTree& PocketMyPc::tree()
{
    return m_parts->tree;
}

mypc::MyPcUpload& PocketMyPc::upload()
{
    return m_parts->upload;
}

void PocketMyPc::redraw()
{
    m_parts->redraw();
}

} // namespace gui::handheld
