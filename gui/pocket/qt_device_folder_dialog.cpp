#include "gui/pocket/qt_device_folder_dialog.h"

#include "gui/pocket/pocket_scaling.h"
#include "gui/qt_string.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace gui::handheld {

namespace {

    constexpr int kPathRole = Qt::UserRole;
    constexpr int kFilledRole = Qt::UserRole + 1;

    QString handheldPath(const QTreeWidgetItem* item)
    {
        return item ? item->data(0, kPathRole).toString() : QString();
    }

} // namespace

QtDeviceFolderDialog::QtDeviceFolderDialog(std::filesystem::path root, QWidget* parent)
    : QDialog(parent)
    , m_root(std::move(root))
{
    setObjectName(QStringLiteral("deviceFolders"));
    setWindowTitle(QStringLiteral("첨부파일"));
    sizeAsDeviceWindow(*this);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    auto* device = new QTreeWidgetItem(m_tree, { QStringLiteral("PDA") });
    device->setData(0, kPathRole, QString());
    device->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
    // A folder's folders are read one level ahead, so that those with
    // folders show that they open.
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        for (int i = 0; i < item->childCount(); ++i)
            fill(item->child(i));
    });
    fill(device);
    device->setExpanded(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    auto* row = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("확인"), this);
    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    row->addStretch();
    row->addWidget(m_ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    // "PDA" itself is no folder to store into.
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (!handheldPath(m_tree->currentItem()).isEmpty())
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void QtDeviceFolderDialog::fill(QTreeWidgetItem* item)
{
    if (item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    const std::string path = toUtf8(handheldPath(item));
    std::filesystem::path local = m_root;
    for (const auto& part : toQString(path).split('\\', Qt::SkipEmptyParts))
        local /= toUtf8(part);
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(local, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind;
        // Links are not followed: the tree stays inside the device root.
        if (it->is_directory(kind) && !it->is_symlink(kind))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        auto* child = new QTreeWidgetItem(item, { toQString(name) });
        child->setData(0, kPathRole, toQString(path + "\\" + name));
        child->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    }
}

bool QtDeviceFolderDialog::select(const std::string& handheldPathText)
{
    QTreeWidgetItem* item = m_tree->topLevelItem(0);
    for (const auto& part : toQString(handheldPathText).split('\\', Qt::SkipEmptyParts)) {
        fill(item);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            if (item->child(i)->text(0) == part)
                next = item->child(i);
        }
        if (!next)
            return false;
        item->setExpanded(true);
        item = next;
    }
    m_tree->setCurrentItem(item);
    return true;
}

std::optional<std::string> QtDeviceFolderDialog::chosen() const
{
    const QString path = handheldPath(m_tree->currentItem());
    if (result() != QDialog::Accepted || path.isEmpty())
        return std::nullopt;
    return toUtf8(path);
}

} // namespace gui::handheld
