#include "gui/pocket/qt_mail_view.h"

#include "gui/pocket/item_view_keys.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/qt_string.h"
#include "pocket/app/frame_layout.h"
#include "pocket/app/handheld.h"
#include "pocket/app/popup_menus.h"

#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTreeWidget>

#include <memory>

namespace gui::handheld {

namespace mail = ::pocket::mail;

namespace {

    constexpr const char* kAttachmentLink = "첨부파일이 있습니다";

    QString escaped(const std::string& text)
    {
        return toQString(text).toHtmlEscaped().replace(QStringLiteral("\n"), QStringLiteral("<br>"));
    }

    void setBold(QTreeWidgetItem* item, bool bold)
    {
        for (int column = 0; column < item->columnCount(); ++column) {
            QFont font = item->font(column);
            font.setBold(bold);
            item->setFont(column, font);
        }
    }

} // namespace

QtMailView::QtMailView(QtMainDialog& dialog)
    : m_dialog(dialog)
{
    QObject::connect(m_dialog.mailHeader(), &QLabel::linkActivated, m_dialog.mailHeader(),
        [this](const QString&) { showAttachments(); });
    auto readMail = [this] {
        if (m_handheld)
            m_handheld->onButton(::pocket::app::kMailView);
    };
    QObject::connect(m_dialog.mailList(), &QTreeWidget::itemDoubleClicked, m_dialog.mailList(), readMail);
    addOpenKey(*m_dialog.mailList(), readMail);
    addMenuKeys(*m_dialog.mailList());
    QObject::connect(m_dialog.mailList(), &QTreeWidget::customContextMenuRequested, m_dialog.mailList(),
        [this](const QPoint& at) {
            QTreeWidget* list = m_dialog.mailList();
            QTreeWidgetItem* item = list->itemAt(at);
            if (item)
                list->setCurrentItem(item);
            std::unique_ptr<QMenu> menu(buildListMenu(item != nullptr, list));
            menu->exec(list->viewport()->mapToGlobal(at));
        });
    QObject::connect(m_dialog.mailFormat(), &QComboBox::activated, m_dialog.mailFormat(), [this](int index) {
        if (m_handheld)
            m_handheld->chooseMailFormat(index);
    });
}

void QtMailView::attach(::pocket::app::Handheld& handheld)
{
    m_handheld = &handheld;
    m_dialog.mailFormat()->setCurrentIndex(handheld.settings().mailFormat == 0 ? 0 : 1);
}

QMenu* QtMailView::buildListMenu(bool onMail, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const auto entries = ::pocket::app::mailListMenu(onMail);
    menu->setTitle(toQString(entries.title));
    for (const auto& entry : entries.items) {
        QAction* action = menu->addAction(toQString(entry.text));
        QObject::connect(action, &QAction::triggered, menu, [this, id = entry.command] {
            if (m_handheld)
                m_handheld->onButton(id);
        });
    }
    return menu;
}

void QtMailView::setFetchProgress(int percent)
{
    if (auto* bar = qobject_cast<QProgressBar*>(m_dialog.control(::pocket::app::kMailProgress)))
        bar->setValue(percent);
}

void QtMailView::clearList()
{
    m_dialog.mailList()->clear();
}

void QtMailView::insertRow(const mail::MailListEntry& entry, bool read)
{
    auto* item = new QTreeWidgetItem(
        { toQString(entry.subject), toQString(entry.sender), toQString(entry.account), toQString(entry.name) });
    item->setData(0, Qt::UserRole, toQString(entry.name));
    m_dialog.mailList()->insertTopLevelItem(0, item);
    setBold(item, !read);
}

void QtMailView::setRowRead(const std::string& name)
{
    if (QTreeWidgetItem* item = find(name))
        setBold(item, false);
}

void QtMailView::removeRow(const std::string& name)
{
    delete find(name);
}

void QtMailView::showMail(const std::string& header, bool hasAttachments, const std::string& title)
{
    QString text = QStringLiteral("<b>%1</b><br>%2").arg(escaped(title), escaped(header));
    if (hasAttachments)
        text += QStringLiteral("<br><a href='attachments'>%1</a>").arg(QString::fromUtf8(kAttachmentLink));
    m_dialog.mailHeader()->setText(text);
}

std::string QtMailView::selectedMail() const
{
    const QTreeWidgetItem* item = m_dialog.mailList()->currentItem();
    return item ? toUtf8(item->data(0, Qt::UserRole).toString()) : std::string();
}

QTreeWidgetItem* QtMailView::find(const std::string& name) const
{
    const QString key = toQString(name);
    QTreeWidget* list = m_dialog.mailList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->data(0, Qt::UserRole).toString() == key)
            return list->topLevelItem(i);
    }
    return nullptr;
}

QMenu* QtMailView::buildAttachmentMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    if (!m_handheld)
        return menu;
    auto& reader = m_handheld->mail().reader;
    for (const auto& name : reader.attachments()) {
        QMenu* sub = menu->addMenu(toQString(name));
        QObject::connect(sub->addAction(QStringLiteral("첨부 저장")), &QAction::triggered, menu,
            [&reader, name] { reader.saveAttachment(name); });
        QObject::connect(sub->addAction(QStringLiteral("바로 열기")), &QAction::triggered, menu,
            [&reader, name] { reader.openAttachment(name); });
    }
    return menu;
}

void QtMailView::showAttachments()
{
    std::unique_ptr<QMenu> menu(buildAttachmentMenu(m_dialog.mailHeader()));
    if (!menu->isEmpty())
        menu->exec(QCursor::pos());
}

} // namespace gui::handheld
