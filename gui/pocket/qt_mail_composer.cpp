#include "gui/pocket/qt_mail_composer.h"

#include "gui/qt_string.h"
#include "pocket/mail/mail_sender.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace gui::handheld {

QtMailComposer::QtMailComposer(::pocket::mail::MailComposer& composer, ::pocket::mail::MailSender& sender,
    platform::Ui& ui, QWidget* parent)
    : QDialog(parent)
    , m_composer(composer)
    , m_sender(sender)
    , m_ui(ui)
{
    setWindowTitle(QStringLiteral("메일 쓰기"));
    resize(240, 268);
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    m_to = new QLineEdit(this);
    m_subject = new QLineEdit(this);
    fields->addRow(QStringLiteral("To"), m_to);
    fields->addRow(QStringLiteral("제목"), m_subject);
    layout->addLayout(fields);
    m_body = new QTextEdit(this);
    m_body->setAcceptRichText(false);
    layout->addWidget(m_body, 1);
    m_attachments = new QListWidget(this);
    m_attachments->setMaximumHeight(60);
    layout->addWidget(m_attachments);
    auto* buttons = new QHBoxLayout;
    auto* send = new QPushButton(QStringLiteral("보내기"), this);
    auto* attach = new QPushButton(QStringLiteral("첨부"), this);
    auto* save = new QPushButton(QStringLiteral("저 장"), this);
    auto* quit = new QPushButton(QStringLiteral("종 료"), this);
    for (auto* button : { send, attach, save, quit })
        buttons->addWidget(button);
    layout->addLayout(buttons);

    connect(send, &QPushButton::clicked, this, [this] {
        collect();
        m_sender.send(m_composer);
        refresh();
    });
    connect(attach, &QPushButton::clicked, this, [this] {
        if (!m_composer.canAddAttachment())
            return;
        // A handheld path ("\My Documents\a.txt") or a PC path ("C:\docs\b.doc").
        bool ok = false;
        const QString path = QInputDialog::getText(
            this, QStringLiteral("첨부파일"), QStringLiteral("경로"), QLineEdit::Normal, QString(), &ok);
        if (ok && !path.trimmed().isEmpty() && m_composer.addAttachment(toUtf8(path.trimmed())))
            refresh();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        collect();
        (void)m_composer.save(*this);
    });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
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
    for (;;) {
        bool ok = false;
        const QString typed = QInputDialog::getText(
            this, QStringLiteral("파일명 입력"), QStringLiteral("파일명"), QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return std::nullopt;
        if (auto name = ::pocket::mail::acceptFileName(m_ui, toUtf8(typed)))
            return name;
    }
}

void QtMailComposer::openOptions()
{
    if (onOpenOptions)
        onOpenOptions();
}

void QtMailComposer::reject()
{
    collect();
    if (m_composer.confirmClose())
        QDialog::reject();
}

} // namespace gui::handheld
