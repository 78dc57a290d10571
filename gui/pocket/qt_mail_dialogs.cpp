#include "gui/pocket/qt_mail_dialogs.h"

#include "gui/pocket/mypc_tree_items.h"
#include "gui/pocket/pocket_scaling.h"
#include "gui/qt_string.h"
#include "pocket/mail/mail_attachment_chooser.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui::handheld {

namespace mail = ::pocket::mail;
namespace mypc = ::pocket::mypc;

namespace {

    // "확인" and "취소" under the dialog's list.
    QPushButton* addButtons(QDialog& dialog, QVBoxLayout& layout)
    {
        auto* ok = new QPushButton(QStringLiteral("확인"), &dialog);
        auto* cancel = new QPushButton(QStringLiteral("취소"), &dialog);
        auto* row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(ok);
        row->addWidget(cancel);
        layout.addLayout(row);
        QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
        return ok;
    }

} // namespace

QtAddressBookDialog::QtAddressBookDialog(const std::vector<mail::MailContact>& book, QWidget* parent)
    : QDialog(parent)
    , m_book(book)
{
    setObjectName(QStringLiteral("addressBook"));
    setWindowTitle(QStringLiteral("Contact AddressBook"));
    sizeAsDeviceWindow(*this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setHeaderLabels({ QStringLiteral("name"), QStringLiteral("email") });
    for (const auto& contact : m_book) {
        auto* item = new QTreeWidgetItem(m_list, { toQString(contact.name), toQString(contact.email) });
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    m_ok = addButtons(*this, *layout);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

std::vector<mail::MailContact> QtAddressBookDialog::checked() const
{
    std::vector<mail::MailContact> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked)
            rows.push_back(m_book.at(static_cast<std::size_t>(i)));
    }
    return rows;
}

QtAttachmentChooserDialog::QtAttachmentChooserDialog(mail::AttachmentChooser& chooser, QWidget* parent)
    : QDialog(parent)
    , m_chooser(chooser)
{
    setObjectName(QStringLiteral("attachmentChooser"));
    setWindowTitle(QStringLiteral("첨부파일"));
    sizeAsDeviceWindow(*this);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    m_ok = addButtons(*this, *layout);
    connect(m_ok, &QPushButton::clicked, this, [this] { takeSelection(); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { takeSelection(); });
    // Expanding a folder reads it (the handheld) or asks the PC for it.
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        mypc::TreeItem* model = modelItem(item);
        if (model && model->children.empty())
            (void)m_chooser.expand(*model);
    });
    m_chooser.setView(this);
    redraw();
}

QtAttachmentChooserDialog::~QtAttachmentChooserDialog()
{
    m_chooser.setView(nullptr);
}

void QtAttachmentChooserDialog::treeReset()
{
    if (m_redrawPending)
        return;
    m_redrawPending = true;
    QTimer::singleShot(0, this, [this] { redraw(); });
}

void QtAttachmentChooserDialog::redraw()
{
    m_redrawPending = false;
    const mypc::TreeItem* current = modelItem(m_tree->currentItem());
    const std::string path = current ? mypc::MyPcTree::pathOf(*current) : std::string();
    drawMyPcTree(*m_tree, m_chooser.tree());
    if (!path.empty())
        (void)select(path);
}

bool QtAttachmentChooserDialog::select(const std::string& path)
{
    const mypc::TreeItem* wanted = m_chooser.find(path);
    for (QTreeWidgetItemIterator it(m_tree); wanted && *it; ++it) {
        if (modelItem(*it) == wanted) {
            m_tree->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

void QtAttachmentChooserDialog::takeSelection()
{
    const mypc::TreeItem* item = modelItem(m_tree->currentItem());
    const auto path = item ? mail::AttachmentChooser::attachmentPath(*item) : std::nullopt;
    // A folder is opened, not attached.
    if (!path)
        return;
    m_chosen = *path;
    accept();
}

QtSavedMailDialog::QtSavedMailDialog(const std::vector<std::string>& mails, QWidget* parent)
    : QDialog(parent)
    , m_mails(mails)
{
    setObjectName(QStringLiteral("savedMails"));
    setWindowTitle(QStringLiteral("불러오기"));
    sizeAsDeviceWindow(*this);
    m_list = new QListWidget(this);
    for (const auto& mail : m_mails) {
        // The name after the folder, as the device's file chooser shows it.
        const auto slash = mail.find_last_of('\\');
        m_list->addItem(toQString(slash == std::string::npos ? mail : mail.substr(slash + 1)));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    m_ok = addButtons(*this, *layout);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (m_list->currentRow() >= 0)
            accept();
    });
    connect(m_list, &QListWidget::itemDoubleClicked, m_ok, &QPushButton::click);
}

std::optional<std::string> QtSavedMailDialog::chosen() const
{
    const int row = m_list->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_mails.size())
        return std::nullopt;
    return m_mails[static_cast<std::size_t>(row)];
}

} // namespace gui::handheld
