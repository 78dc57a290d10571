#include "gui/pocket/qt_options_sheet.h"

#include "gui/pocket/qt_device_folder_dialog.h"
#include "gui/qt_string.h"
#include "platform/ui.h"
#include "pocket/app/frame_layout.h"
#include "pocket/settings/file_options_dialog.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/settings/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace gui::handheld {

using ::pocket::settings::OptionsPage;

namespace {

    QLineEdit* lineEdit(QWidget* parent, std::size_t maxChars, bool masked = false)
    {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(static_cast<int>(maxChars));
        if (masked)
            edit->setEchoMode(QLineEdit::Password);
        return edit;
    }

    QSpinBox* portBox(QWidget* parent)
    {
        auto* box = new QSpinBox(parent);
        box->setRange(1, 65535);
        return box;
    }

} // namespace

QtOptionsSheet::QtOptionsSheet(::pocket::settings::OptionsSheet& sheet, ::pocket::settings::SettingsStore& store,
    ::pocket::settings::PdaSettings& settings, platform::Ui& ui, const PocketScreen& screen, QWidget* parent)
    : QDialog(parent)
    , m_sheet(sheet)
    , m_store(store)
    , m_settings(settings)
    , m_ui(ui)
    , m_screen(screen)
{
    setWindowTitle(QStringLiteral("환경설정"));
    setObjectName(QStringLiteral("optionsSheet"));
    setFixedSize(screen.px(kScreenWidth), screen.px(kDialogHeight));
    setFont(screen.font(11));
    setStyleSheet(screen.checkBoxStyle());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setTabPosition(QTabWidget::South);
    m_tabs->addTab(page(buildAccounts(), OptionsPage::Accounts), QStringLiteral("Accounts"));
    m_tabs->addTab(page(buildConnections(), OptionsPage::Connections), QStringLiteral("Connections"));
    m_tabs->addTab(page(buildFolders(), OptionsPage::Folders), QStringLiteral("Folder setup"));
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) { onPageShown(index); });
}

QWidget* QtOptionsSheet::page(QWidget* content, OptionsPage which)
{
    auto* pageWidget = new QWidget(this);
    auto* layout = new QVBoxLayout(pageWidget);
    layout->setContentsMargins(m_screen.px(4), m_screen.px(4), m_screen.px(4), m_screen.px(4));
    layout->addWidget(content);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* apply = new QPushButton(QStringLiteral("적용"), pageWidget);
    auto* cancel = new QPushButton(QStringLiteral("취소"), pageWidget);
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(apply, &QPushButton::clicked, this, [this, which] { applyPage(which); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    return pageWidget;
}

QWidget* QtOptionsSheet::buildAccounts()
{
    auto* box = new QWidget(this);
    auto* layout = new QFormLayout(box);
    m_accounts.msn = new QCheckBox(QStringLiteral(" MSN 메신저"), box);
    m_accounts.msnId = lineEdit(box, ::pocket::settings::kMsnTextBytes);
    m_accounts.msnPassword = lineEdit(box, ::pocket::settings::kMsnTextBytes, true);
    m_accounts.icq = new QCheckBox(QStringLiteral(" ICQ 메신저"), box);
    m_accounts.icqId = lineEdit(box, ::pocket::settings::kAccountChars);
    m_accounts.icqId->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    m_accounts.icqPassword = lineEdit(box, ::pocket::settings::kAccountChars, true);
    layout->addRow(m_accounts.msn);
    layout->addRow(QStringLiteral("E-mail"), m_accounts.msnId);
    layout->addRow(QStringLiteral("Password"), m_accounts.msnPassword);
    layout->addRow(m_accounts.icq);
    layout->addRow(QStringLiteral("Icq #"), m_accounts.icqId);
    layout->addRow(QStringLiteral("Password"), m_accounts.icqPassword);
    // The YAHOO controls exist on the page but stay hidden.
    return box;
}

QWidget* QtOptionsSheet::buildConnections()
{
    auto* box = new QWidget(this);
    auto* layout = new QFormLayout(box);
    m_connectionsLayout = layout;
    m_connections.pcIp = lineEdit(box, ::pocket::settings::kPcFieldChars);
    m_connections.pcIp->setPlaceholderText(QStringLiteral("192.168.0.5 또는 192.168.0.5:4000"));
    layout->addRow(QStringLiteral("PC IP :"), m_connections.pcIp);
    // The PC program's ports: commands, uploads and its web server.
    m_connections.pcPort = portBox(box);
    m_connections.pcUploadPort = portBox(box);
    m_connections.pcWebPort = portBox(box);
    layout->addRow(QStringLiteral("명령 포트 :"), m_connections.pcPort);
    layout->addRow(QStringLiteral("업로드 포트 :"), m_connections.pcUploadPort);
    layout->addRow(QStringLiteral("웹 포트 :"), m_connections.pcWebPort);
    auto* fileOptions = new QPushButton(QStringLiteral("파일 옵션"), box);
    layout->addRow(fileOptions);
    m_connections.autoDial = new QCheckBox(QStringLiteral("자동연결(using connection below)"), box);
    m_connections.autoDisconnection = new QCheckBox(QStringLiteral("프로그램 종료시 자동연결해제"), box);
    layout->addRow(m_connections.autoDial);
    layout->addRow(m_connections.autoDisconnection);
    m_connections.connection = new QComboBox(box);
    layout->addRow(QStringLiteral("연      결 :"), m_connections.connection);

    connect(fileOptions, &QPushButton::clicked, this, [this] { openFileOptions(); });
    connect(m_connections.connection, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || !m_connectionFields)
            return;
        m_sheet.selectConnection(index < 0 ? std::nullopt : std::optional<std::size_t>(index));
        m_connections.autoDial->setEnabled(m_connectionFields->checksEnabled);
        m_connections.autoDisconnection->setEnabled(m_connectionFields->checksEnabled);
    });
    connect(m_connections.autoDial, &QCheckBox::toggled, this, [this](bool checked) {
        if (!m_filling)
            (void)m_sheet.setAutoDial(checked);
    });
    connect(m_connections.autoDisconnection, &QCheckBox::toggled, this, [this](bool checked) {
        if (!m_filling)
            (void)m_sheet.setAutoDisconnection(checked);
    });
    return box;
}

void QtOptionsSheet::addConnectionsRow(QWidget* row)
{
    row->setParent(m_connectionsLayout->parentWidget());
    m_connectionsLayout->addRow(row);
}

QWidget* QtOptionsSheet::buildFolders()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* mail = new QGroupBox(QStringLiteral("메일"), box);
    auto* mailLayout = new QFormLayout(mail);
    m_folders.inbox = lineEdit(mail, ::pocket::settings::kInboxChars);
    m_folders.period = new QComboBox(mail);
    for (const char* item : { "1일", "5일", "10일", "30일", "모두보기" })
        m_folders.period->addItem(QString::fromUtf8(item));
    mailLayout->addRow(QStringLiteral("메일 저장 폴더"), m_folders.inbox);
    mailLayout->addRow(QStringLiteral("지난 메일 보기"), m_folders.period);
    layout->addWidget(mail);

    auto* folders = new QGroupBox(QStringLiteral("폴더"), box);
    auto* folderLayout = new QFormLayout(folders);
    // Each folder is named as the messages that mention it name it
    // ("파일다운로드 폴더에 저장되었습니다.").
    const std::pair<QLineEdit**, QString> rows[] = {
        { &m_folders.web, QStringLiteral("웹파일다운로드 폴더") },
        { &m_folders.file, QStringLiteral("파일다운로드 폴더") },
        { &m_folders.sendMail, QStringLiteral("보낼메일 폴더") },
    };
    for (const auto& [edit, name] : rows) {
        *edit = lineEdit(folders, ::pocket::settings::kPathChars);
        (*edit)->setToolTip(name);
        auto* chooser = new QToolButton(folders);
        chooser->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
        chooser->setToolTip(name);
        QLineEdit* target = *edit;
        connect(chooser, &QToolButton::clicked, this, [this, target] { chooseFolder(target); });
        folderLayout->addRow(chooser, target);
    }
    layout->addWidget(folders);
    return box;
}

void QtOptionsSheet::openSheet()
{
    m_accountFields = nullptr;
    m_connectionFields = nullptr;
    m_folderFields = nullptr;
    m_sheet.open();
    m_filling = true;
    m_tabs->setCurrentIndex(0);
    m_filling = false;
    onPageShown(0);
    show();
}

void QtOptionsSheet::onPageShown(int index)
{
    if (m_filling || !m_sheet.isOpen())
        return;
    if (index == 0 && !m_accountFields)
        fillAccounts();
    else if (index == 1 && !m_connectionFields)
        fillConnections();
    else if (index == 2 && !m_folderFields)
        fillFolders();
}

void QtOptionsSheet::fillAccounts()
{
    m_accountFields = &m_sheet.showAccounts();
    const auto& f = *m_accountFields;
    m_accounts.msn->setChecked(f.msn);
    m_accounts.msnId->setText(toQString(f.msnId));
    m_accounts.msnPassword->setText(toQString(f.msnPassword));
    m_accounts.icq->setChecked(f.icq);
    m_accounts.icqId->setText(toQString(f.icqId));
    m_accounts.icqPassword->setText(toQString(f.icqPassword));
}

void QtOptionsSheet::fillConnections()
{
    m_filling = true;
    m_connectionFields = &m_sheet.showConnections();
    const auto& f = *m_connectionFields;
    m_connections.pcIp->setText(toQString(f.pcIp));
    m_connections.pcPort->setValue(f.pcPort);
    m_connections.pcUploadPort->setValue(f.pcUploadPort);
    m_connections.pcWebPort->setValue(f.pcWebPort);
    m_connections.connection->clear();
    int selected = -1;
    for (std::size_t i = 0; i < f.entries.size(); ++i) {
        m_connections.connection->addItem(toQString(f.entries[i]));
        if (selected < 0 && f.entries[i] == f.connection)
            selected = static_cast<int>(i);
    }
    m_connections.connection->setCurrentIndex(selected);
    m_connections.autoDial->setChecked(f.autoDial);
    m_connections.autoDisconnection->setChecked(f.autoDisconnection);
    m_connections.autoDial->setEnabled(f.checksEnabled);
    m_connections.autoDisconnection->setEnabled(f.checksEnabled);
    m_filling = false;
}

void QtOptionsSheet::fillFolders()
{
    m_folderFields = &m_sheet.showFolders();
    const auto& f = *m_folderFields;
    m_folders.inbox->setText(toQString(f.inbox));
    m_folders.period->setCurrentText(toQString(f.period));
    m_folders.web->setText(toQString(f.webFolderPath));
    m_folders.file->setText(toQString(f.saveFilePath));
    m_folders.sendMail->setText(toQString(f.sndMailPath));
}

void QtOptionsSheet::collect()
{
    if (m_accountFields) {
        auto& f = *m_accountFields;
        f.msn = m_accounts.msn->isChecked();
        f.msnId = toUtf8(m_accounts.msnId->text());
        f.msnPassword = toUtf8(m_accounts.msnPassword->text());
        f.icq = m_accounts.icq->isChecked();
        f.icqId = toUtf8(m_accounts.icqId->text());
        f.icqPassword = toUtf8(m_accounts.icqPassword->text());
    }
    if (m_connectionFields) {
        auto& f = *m_connectionFields;
        f.pcIp = toUtf8(m_connections.pcIp->text());
        f.pcPort = static_cast<std::uint16_t>(m_connections.pcPort->value());
        f.pcUploadPort = static_cast<std::uint16_t>(m_connections.pcUploadPort->value());
        f.pcWebPort = static_cast<std::uint16_t>(m_connections.pcWebPort->value());
        f.connection = toUtf8(m_connections.connection->currentText());
        f.autoDial = m_connections.autoDial->isChecked();
        f.autoDisconnection = m_connections.autoDisconnection->isChecked();
    }
    if (m_folderFields) {
        auto& f = *m_folderFields;
        f.inbox = toUtf8(m_folders.inbox->text());
        f.period = toUtf8(m_folders.period->currentText());
        f.webFolderPath = toUtf8(m_folders.web->text());
        f.saveFilePath = toUtf8(m_folders.file->text());
        f.sndMailPath = toUtf8(m_folders.sendMail->text());
    }
}

void QtOptionsSheet::applyPage(OptionsPage page)
{
    collect();
    if (m_sheet.apply(page))
        QDialog::accept();
}

void QtOptionsSheet::reject()
{
    if (m_sheet.isOpen())
        m_sheet.cancel();
    QDialog::reject();
}

void QtOptionsSheet::chooseFolder(QLineEdit* edit)
{
    if (!m_folderFields)
        return;
    // The device's folders, from the one shown in the edit.
    QtDeviceFolderDialog chooser(m_store.device().root(), this);
    (void)chooser.select(toUtf8(edit->text()));
    if (chooser.exec() != QDialog::Accepted)
        return;
    const auto handheld = chooser.chosen();
    if (!handheld)
        return;
    collect();
    std::string* field = edit == m_folders.web ? &m_folderFields->webFolderPath
        : edit == m_folders.file               ? &m_folderFields->saveFilePath
                                               : &m_folderFields->sndMailPath;
    m_sheet.chooseFolder(*field, *handheld);
    edit->setText(toQString(*field));
}

void QtOptionsSheet::openFileOptions()
{
    ::pocket::settings::FileOptionsDialog logic(m_store, m_settings, m_ui);
    const auto fields = logic.show();
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Option"));
    dialog.setFont(font());
    auto* layout = new QFormLayout(&dialog);
    auto* list = new QComboBox(&dialog);
    auto* size = new QComboBox(&dialog);
    for (const auto& item : ::pocket::settings::FileOptionsDialog::fileListItems())
        list->addItem(toQString(item));
    for (const auto& item : ::pocket::settings::FileOptionsDialog::fileSizeItems())
        size->addItem(toQString(item));
    list->setCurrentText(toQString(fields.maxFileList));
    size->setCurrentText(toQString(fields.maxFileSize));
    // Each combo box sits between its label and its unit: "... [50] 이하".
    const auto row = [&dialog](QComboBox* combo, const QString& unit) {
        auto* box = new QHBoxLayout;
        box->addWidget(combo);
        box->addWidget(new QLabel(unit, &dialog));
        return box;
    };
    layout->addRow(QStringLiteral("한번에 검색할 파일 갯수"), row(list, QStringLiteral("이하")));
    layout->addRow(QStringLiteral("전송 가능한 파일 크기"), row(size, QStringLiteral("K 이하")));
    auto* note = new QLabel(
        QStringLiteral("한번에 검색할 파일 갯수나 전송 가능한 파일 크기를  크게 할 경우,  시간이 많이 "
                       "소요 될 수 있습니다."),
        &dialog);
    note->setWordWrap(true);
    layout->addRow(note);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("확 인"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("취 소"), QDialogButtonBox::RejectRole);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() == QDialog::Accepted)
        logic.accept({ toUtf8(list->currentText()), toUtf8(size->currentText()) });
}

} // namespace gui::handheld
