#include "gui/pocket/pocket_mail.h"

#include "gui/pocket/qt_mail_composer.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/qt_string.h"
#include "platform/clock.h"
#include "pocket/app/frame_layout.h"
#include "pocket/link/pc_link.h"
#include "pocket/mail/mail_box.h"
#include "pocket/mail/mail_reader.h"
#include "pocket/mail/mail_sender.h"
#include "pocket/mail/mail_view.h"

#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

namespace gui::handheld {

namespace device = ::pocket::device;
namespace link = ::pocket::link;
namespace mail = ::pocket::mail;
namespace settings = ::pocket::settings;
namespace viewer = ::pocket::viewer;
namespace frame = ::pocket::app;

namespace {

    constexpr const char* kAttachmentLink = "첨부파일이 있습니다";

    QString escaped(const std::string& text)
    {
        return toQString(text).toHtmlEscaped().replace(QStringLiteral("\n"), QStringLiteral("<br>"));
    }

} // namespace

struct PocketMail::Parts final : mail::MailView {
    Parts(platform::EventLoop& loop, platform::Ui& ui, link::PcLink& link, settings::PdaSettings& settings,
        const device::DeviceRoot& device, viewer::BackgroundDownload& transfer, platform::HttpFetch& fetch,
        viewer::WebViewer& viewer, mail::AttachmentUpload* upload, QtMainDialog& dialog, MailViewHooks hooks)
        : dialog(dialog)
        , list(*dialog.mailList())
        , hooks(std::move(hooks))
        , context { loop, ui, link, settings, device, transfer, *this,
            [this] {
                if (this->hooks.openLogin)
                    this->hooks.openLogin();
            } }
        , box(context, fetch)
        , reader(context, viewer)
        , composer(ui, settings, device, link.codePage())
        , sender(context, upload)
        , composerWindow(composer, sender, ui, dialog.window())
    {
        composerWindow.onOpenOptions = [this] {
            if (this->hooks.openOptions)
                this->hooks.openOptions();
        };
        QObject::connect(dialog.mailHeader(), &QLabel::linkActivated, dialog.mailHeader(),
            [this](const QString&) { showAttachments(); });
        QObject::connect(&list, &QTreeWidget::itemDoubleClicked, &list, [this] { read(); });
    }

    // MailView.
    void clearList() override { list.clear(); }
    void insertRow(const mail::MailListEntry& entry, bool read) override
    {
        auto* item = new QTreeWidgetItem(
            { toQString(entry.subject), toQString(entry.sender), toQString(entry.account) });
        item->setData(0, Qt::UserRole, toQString(entry.name));
        list.insertTopLevelItem(0, item);
        setBold(item, !read);
    }
    void setRowRead(const std::string& name) override
    {
        if (QTreeWidgetItem* item = find(name))
            setBold(item, false);
    }
    void removeRow(const std::string& name) override { delete find(name); }
    void showMail(const std::string& header, bool hasAttachments, const std::string& title) override
    {
        QString text = QStringLiteral("<b>%1</b><br>%2").arg(escaped(title), escaped(header));
        if (hasAttachments)
            text
                += QStringLiteral("<br><a href='attachments'>%1</a>").arg(QString::fromUtf8(kAttachmentLink));
        dialog.mailHeader()->setText(text);
        if (hooks.showScreen)
            hooks.showScreen(true);
    }

    QTreeWidgetItem* find(const std::string& name) const
    {
        const QString key = toQString(name);
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            if (list.topLevelItem(i)->data(0, Qt::UserRole).toString() == key)
                return list.topLevelItem(i);
        }
        return nullptr;
    }

    static void setBold(QTreeWidgetItem* item, bool bold)
    {
        for (int column = 0; column < 3; ++column) {
            QFont font = item->font(column);
            font.setBold(bold);
            item->setFont(column, font);
        }
    }

    // The entry of the selected row, if any.
    const mail::MailListEntry* selected() const
    {
        const QTreeWidgetItem* item = list.currentItem();
        if (!item)
            return nullptr;
        const std::string name = toUtf8(item->data(0, Qt::UserRole).toString());
        for (const auto& row : box.rows()) {
            if (row.name == name)
                return &row;
        }
        return nullptr;
    }

    void read() { reader.read(selected()); }

    void showAttachments()
    {
        QMenu menu(dialog.mailHeader());
        for (const auto& name : reader.attachments()) {
            QMenu* sub = menu.addMenu(toQString(name));
            QObject::connect(sub->addAction(QStringLiteral("첨부 저장")), &QAction::triggered, &menu,
                [this, name] { reader.saveAttachment(name); });
            QObject::connect(sub->addAction(QStringLiteral("바로 열기")), &QAction::triggered, &menu,
                [this, name] { reader.openAttachment(name); });
        }
        if (!menu.isEmpty())
            menu.exec(QCursor::pos());
    }

    QtMainDialog& dialog;
    QTreeWidget& list;
    MailViewHooks hooks;
    mail::MailContext context;
    mail::MailBox box;
    mail::MailReader reader;
    mail::MailComposer composer;
    mail::MailSender sender;
    QtMailComposer composerWindow;
};

PocketMail::PocketMail(platform::EventLoop& loop, platform::Ui& ui, link::PcLink& link,
    settings::PdaSettings& settings, const device::DeviceRoot& device, viewer::BackgroundDownload& transfer,
    platform::HttpFetch& fetch, viewer::WebViewer& viewer, mail::AttachmentUpload* upload, QtMainDialog& dialog,
    MailViewHooks hooks)
    : m_parts(std::make_unique<Parts>(
        loop, ui, link, settings, device, transfer, fetch, viewer, upload, dialog, std::move(hooks)))
{
}

PocketMail::~PocketMail() = default;

bool PocketMail::onButton(int id)
{
    Parts& p = *m_parts;
    switch (id) {
    case frame::kMailRefresh:
        p.box.check();
        return true;
    case frame::kMailView:
        p.read();
        return true;
    case frame::kMailDelete:
        if (const auto* entry = p.selected())
            p.box.deleteMail(*entry);
        return true;
    case frame::kMailSave:
        p.reader.storeInInbox();
        return true;
    case frame::kMailListTab:
    case frame::kMailContentTab:
        if (p.hooks.showScreen)
            p.hooks.showScreen(id == frame::kMailContentTab);
        return true;
    case frame::kMailWrite:
        p.composerWindow.openComposer();
        return true;
    default:
        return false;
    }
}

void PocketMail::composeWithAttachment(const std::string& path)
{
    Parts& p = *m_parts;
    if (p.composer.canAddAttachment())
        (void)p.composer.addAttachment(path);
    p.composerWindow.openComposer();
}

void PocketMail::loadStoredMails(const platform::LocalTime& today)
{
    m_parts->box.loadStoredMails(today);
}

} // namespace gui::handheld
