#include "gui/pocket/qt_mail_composer.h"

#include "gui/pocket/item_view_keys.h"
#include "gui/pocket/pocket_scaling.h"
#include "gui/pocket/qt_mail_dialogs.h"
#include "gui/qt_string.h"
#include "pocket/mail/mail_attachment_chooser.h"
#include "pocket/mail/mail_sender.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace gui::handheld {

namespace {

    // The image label of To: a card of the address book.
    QIcon addressIcon()
    {
        QPixmap pixmap(20, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(0x30, 0x50, 0x90));
        painter.setBrush(QColor(0xe8, 0xf0, 0xff));
        painter.drawRoundedRect(QRectF(0.5, 1.5, 19, 13), 2, 2);
        painter.setBrush(QColor(0x30, 0x50, 0x90));
        painter.drawEllipse(QRectF(3, 4, 5, 5));
        painter.drawRect(QRectF(3, 10, 5, 2));
        painter.drawLine(QPointF(10, 5), QPointF(17, 5));
        painter.drawLine(QPointF(10, 8), QPointF(17, 8));
        painter.drawLine(QPointF(10, 11), QPointF(15, 11));
        return QIcon(pixmap);
    }

    // The image label of the attachments: a paper clip.
    QIcon clipIcon()
    {
        QPixmap pixmap(20, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x50, 0x50, 0x60), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(6, 1, 7, 14), 3.5, 3.5);
        painter.drawRoundedRect(QRectF(8, 4, 3, 8), 1.5, 1.5);
        return QIcon(pixmap);
    }

    QToolButton* imageLabel(const QIcon& icon, const QString& name, QWidget* parent)
    {
        auto* label = new QToolButton(parent);
        label->setObjectName(name);
        label->setIcon(icon);
        label->setAutoRaise(true);
        return label;
    }

} // namespace

QtMailComposer::QtMailComposer(::pocket::mail::MailComposer& composer, ::pocket::mail::MailSender& sender,
    ::pocket::mail::AttachmentChooser& chooser, ::pocket::device::ContactStore& contacts, platform::Ui& ui,
    QWidget* parent)
    : QDialog(parent)
    , m_composer(composer)
    , m_sender(sender)
    , m_chooser(chooser)
    , m_contacts(contacts)
    , m_ui(ui)
{
    setWindowTitle(QStringLiteral("메일 쓰기"));
    sizeAsDeviceWindow(*this);
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    m_toLabel = imageLabel(addressIcon(), QStringLiteral("toLabel"), this);
    m_to = new QLineEdit(this);
    m_subject = new QLineEdit(this);
    fields->addWidget(m_toLabel, 0, 0);
    fields->addWidget(m_to, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("제목"), this), 1, 0);
    fields->addWidget(m_subject, 1, 1);
    layout->addLayout(fields);
    m_body = new QTextEdit(this);
    m_body->setAcceptRichText(false);
    layout->addWidget(m_body, 1);
    auto* attachments = new QHBoxLayout;
    m_attachLabel = imageLabel(clipIcon(), QStringLiteral("attachmentLabel"), this);
    m_attachments = new QListWidget(this);
    m_attachments->setMaximumHeight(60);
    m_attachments->setContextMenuPolicy(Qt::CustomContextMenu);
    attachments->addWidget(m_attachLabel, 0, Qt::AlignTop);
    attachments->addWidget(m_attachments, 1);
    layout->addLayout(attachments);
    buildButtons();

    connect(m_toLabel, &QToolButton::clicked, this, [this] {
        std::unique_ptr<QMenu> menu(buildToMenu(this));
        menu->exec(m_toLabel->mapToGlobal(QPoint(0, m_toLabel->height())));
    });
    connect(m_attachLabel, &QToolButton::clicked, this, [this] {
        collect();
        m_chooser.choose(m_composer, *this);
        refresh();
    });
    connect(m_attachments, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QListWidgetItem* item = m_attachments->itemAt(at);
        if (!item)
            return;
        std::unique_ptr<QMenu> menu(buildAttachmentMenu(m_attachments->row(item), this));
        menu->exec(m_attachments->viewport()->mapToGlobal(at));
    });
    addMenuKeys(*m_attachments);
}

void QtMailComposer::buildButtons()
{
    auto* buttons = new QHBoxLayout;
    auto* send = new QPushButton(QStringLiteral("보내기"), this);
    auto* load = new QPushButton(QStringLiteral("불러오기"), this);
    auto* save = new QPushButton(QStringLiteral("저 장"), this);
    auto* quit = new QPushButton(QStringLiteral("종 료"), this);
    // Four buttons share the 240-pixel row: none asks for more than its share.
    for (auto* button : { send, load, save, quit }) {
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        buttons->addWidget(button);
    }
    static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
    connect(send, &QPushButton::clicked, this, [this] {
        collect();
        m_sender.send(m_composer);
        refresh();
    });
    connect(load, &QPushButton::clicked, this, [this] {
        collect();
        m_composer.loadSaved(*this);
        refresh();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        collect();
        (void)m_composer.save(*this);
    });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
    m_composer.setFields(this);
}

QtMailComposer::~QtMailComposer()
{
    m_composer.setFields(nullptr);
}

QMenu* QtMailComposer::buildToMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    connect(menu->addAction(QStringLiteral("Contact")), &QAction::triggered, this, [this] {
        collect();
        m_composer.pickContacts(*this, m_contacts);
        refresh();
    });
    connect(menu->addAction(QStringLiteral("삭   제")), &QAction::triggered, this, [this] {
        collect();
        m_composer.clearRecipients();
        refresh();
    });
    return menu;
}

QMenu* QtMailComposer::buildAttachmentMenu(int row, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    connect(menu->addAction(QStringLiteral("삭제")), &QAction::triggered, this, [this, row] {
        collect();
        m_composer.removeAttachment(static_cast<std::size_t>(row));
        refresh();
    });
    return menu;
}

void QtMailComposer::openComposer()
{
    refresh();
    show();
    raise();
}

void QtMailComposer::collect()
{
    auto& draft = m_composer.draft();
    draft.to = toUtf8(m_to->text());
    draft.subject = toUtf8(m_subject->text());
    draft.body = toUtf8(m_body->toPlainText());
}

void QtMailComposer::refresh()
{
    const auto& draft = m_composer.draft();
    m_to->setText(toQString(draft.to));
    m_subject->setText(toQString(draft.subject));
    m_body->setPlainText(toQString(draft.body));
    m_attachments->clear();
    for (const auto& path : m_composer.attachments())
        m_attachments->addItem(toQString(path));
}

std::optional<std::string> QtMailComposer::askFileName()
{
    bool ok = false;
    const QString typed = QInputDialog::getText(
        this, QStringLiteral("파일명 입력"), QStringLiteral("파일명 (.m)"), QLineEdit::Normal, QString(), &ok);
    return ok ? std::optional<std::string>(toUtf8(typed)) : std::nullopt;
}

void QtMailComposer::openOptions()
{
    if (onOpenOptions)
        onOpenOptions();
}

std::optional<std::vector<::pocket::mail::MailContact>> QtMailComposer::chooseContacts(
    const std::vector<::pocket::mail::MailContact>& book)
{
    QtAddressBookDialog dialog(book, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.checked();
}

std::optional<std::string> QtMailComposer::chooseAttachment(::pocket::mail::AttachmentChooser& chooser)
{
    QtAttachmentChooserDialog dialog(chooser, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

std::optional<std::string> QtMailComposer::chooseSavedMail(const std::vector<std::string>& mails)
{
    QtSavedMailDialog dialog(mails, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

void QtMailComposer::reject()
{
    collect();
    if (m_composer.confirmClose())
        QDialog::reject();
}

} // namespace gui::handheld
