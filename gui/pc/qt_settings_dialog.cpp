#include "gui/pc/qt_settings_dialog.h"

#include "gui/pc/pc_icons.h"
#include "gui/qt_string.h"
#include "pc/mail/pop3_account.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace gui::pc {

namespace {

QSpinBox* portBox(QWidget* parent, int value)
{
    auto* box = new QSpinBox(parent);
    box->setRange(1, 65535);
    box->setValue(value);
    return box;
}

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText("확인");
    buttons->button(QDialogButtonBox::Cancel)->setText("취소");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

QtAccountDialog::QtAccountDialog(const QString& title, const ::pc::app::MailAccount& initial, platform::Ui& ui,
    QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_user(new QLineEdit(toQString(initial.user), this))
    , m_password(new QLineEdit(toQString(initial.password), this))
    , m_test(new QPushButton("시험", this))
    , m_result(new QLabel(this))
{
    setWindowTitle(title);
    using ::pc::mail::Pop3Security;
    auto address = ::pc::mail::pop3AddressOf(initial.server, ::pc::mail::defaultPop3Port(initial.security));
    m_server = new QLineEdit(toQString(address.host), this);
    m_port = portBox(this, static_cast<int>(address.port));
    m_port->setToolTip("POP3 포트 (보통 110, POP3S는 995)");
    m_security = new QComboBox(this);
    m_security->addItem("없음", static_cast<int>(Pop3Security::Clear));
    m_security->addItem("POP3S", static_cast<int>(Pop3Security::Pop3s));
    m_security->addItem("STLS", static_cast<int>(Pop3Security::Stls));
    m_security->setCurrentIndex(m_security->findData(static_cast<int>(initial.security)));
    m_security->setToolTip("POP3S: 처음부터 TLS (포트 995), STLS: POP3 포트에서 TLS로 전환. 서버 인증서를 확인합니다.");
    // The usual port follows the choice while the port is still a usual one.
    connect(m_security, &QComboBox::currentIndexChanged, this, [this] {
        auto chosen = static_cast<Pop3Security>(m_security->currentData().toInt());
        if (m_port->value() == 110 || m_port->value() == static_cast<int>(::pc::mail::kPop3sPort))
            m_port->setValue(static_cast<int>(::pc::mail::defaultPop3Port(chosen)));
    });
    m_password->setEchoMode(QLineEdit::Password);
    m_test->setToolTip("이 계정으로 메일서버에 로그인해 봅니다.");
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_test, &QPushButton::clicked, this, [this] { startTest(); });

    auto* form = new QFormLayout();
    form->addRow("메일서버", m_server);
    form->addRow("포트", m_port);
    form->addRow("보안", m_security);
    form->addRow("아이디", m_user);
    form->addRow("비밀번호", m_password);
    auto* testRow = new QHBoxLayout();
    testRow->addWidget(m_test);
    testRow->addWidget(m_result, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(okCancel(this));
    setMinimumWidth(360);
}

QtAccountDialog::~QtAccountDialog()
{
    if (m_worker.joinable())
        m_worker.join();
}

::pc::app::MailAccount QtAccountDialog::account() const
{
    auto security = static_cast<::pc::mail::Pop3Security>(m_security->currentData().toInt());
    std::string server = ::pc::mail::pop3ServerText({ toUtf8(m_server->text().trimmed()),
        static_cast<unsigned>(m_port->value()) }, ::pc::mail::defaultPop3Port(security));
    return { server, toUtf8(m_user->text()), toUtf8(m_password->text()), security };
}

void QtAccountDialog::accept()
{
    if (::pc::app::checkAccountEntry(account(), m_ui))
        QDialog::accept();
}

void QtAccountDialog::startTest()
{
    auto entry = account();
    if (!::pc::app::checkAccountEntry(entry, m_ui))
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_test->setEnabled(false);
    m_result->setText("메일서버에 연결하는 중입니다...");
    // The answer comes back to this dialog's thread; a dialog closed
    // meanwhile waits for the worker and receives nothing.
    m_worker = std::thread([this, entry] {
        QString outcome = toQString(::pc::app::testMailAccount(entry, kTestTimeout));
        QMetaObject::invokeMethod(this, [this, outcome] {
            m_result->setText(outcome);
            m_test->setEnabled(true);
        }, Qt::QueuedConnection);
    });
}

QtSettingsDialog::QtSettingsDialog(::pc::app::SettingsDialog& logic, platform::Ui& ui, QWidget* parent)
    : QDialog(parent)
    , m_logic(logic)
    , m_ui(ui)
{
    setWindowTitle("환경설정");
    setWindowIcon(programIcon());
    m_pages = new QTabWidget(this);
    m_pages->addTab(buildStartPage(), "기본 설정");
    m_pages->addTab(buildMailPage(), "메일 설정");
    m_pages->addTab(buildServerPage(), "서버 설정");

    auto* buttons = okCancel(this);
    buttons->button(QDialogButtonBox::Ok)->setToolTip("설정하신 내용을 적용합니다.");
    buttons->button(QDialogButtonBox::Cancel)->setToolTip("설정을 취소합니다.");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);
    resize(460, 340);

    m_logic.attach(this);
}

QtSettingsDialog::~QtSettingsDialog()
{
    m_logic.attach(nullptr);
}

QWidget* QtSettingsDialog::buildStartPage()
{
    auto* page = new QWidget(this);
    m_startWithSystem = new QCheckBox("윈도우 시작시 자동으로 실행", page);
    m_startWithSystem->setToolTip("윈도우 시작시 자동으로 실행합니다.");
    m_startServer = new QCheckBox("프로그램 실행시 Quillon 서버 시작", page);
    m_startServer->setToolTip("프로그램 실행시 Quillon 서버를 시작합니다.");
    connect(m_startWithSystem, &QCheckBox::toggled, this, [this](bool on) { m_logic.setStartWithSystem(on); });
    connect(m_startServer, &QCheckBox::toggled, this, [this](bool on) { m_logic.setStartServerAfterLogin(on); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_startWithSystem);
    layout->addWidget(m_startServer);
    layout->addStretch(1);
    return page;
}

QWidget* QtSettingsDialog::buildMailPage()
{
    auto* page = new QWidget(this);
    m_accounts = new QTreeWidget(page);
    m_accounts->setColumnCount(2);
    m_accounts->setHeaderLabels({ "메일서버", "아이디" });
    m_accounts->setRootIsDecorated(false);
    m_accounts->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_accounts->header()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto* add = new QPushButton("추가", page);
    add->setToolTip("POP3 서버를 추가합니다.");
    m_delete = new QPushButton("삭제", page);
    m_delete->setToolTip("POP3 서버를 삭제합니다.");
    m_modify = new QPushButton("수정", page);
    m_modify->setToolTip("POP3 서버 정보를 수정합니다.");
    connect(add, &QPushButton::clicked, this, [this] { addAccount(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { m_logic.deleteSelected(selectedRows()); });
    connect(m_modify, &QPushButton::clicked, this, [this] { m_logic.modifySelected(selectedRows(), *this); });

    auto* buttons = new QVBoxLayout();
    buttons->addWidget(add);
    buttons->addWidget(m_delete);
    buttons->addWidget(m_modify);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(m_accounts, 1);
    layout->addLayout(buttons);
    return page;
}

QWidget* QtSettingsDialog::buildServerPage()
{
    auto* page = new QWidget(this);
    const char* portNames[] = { "명령 포트", "업로드 포트", "웹 포트" };
    const char* portTips[] = { "PDA의 명령을 받는 포트입니다 (기본 4000).", "PDA에서 올리는 파일을 받는 포트입니다 (기본 4040).",
        "PDA가 결과 파일을 가져가는 웹 서버의 포트입니다 (기본 91).", };
    auto* form = new QFormLayout();
    for (int i = 0; i < 3; ++i) {
        m_ports[i] = portBox(page, 1);
        m_ports[i]->setToolTip(portTips[i]);
        form->addRow(portNames[i], m_ports[i]);
    }
    m_codePage = new QComboBox(page);
    for (const char* name : ::pc::app::kCodePageChoices)
        m_codePage->addItem(name);
    m_codePage->setToolTip("PDA와 주고받는 글자의 코드 페이지입니다. 프로그램을 다시 시작하면 적용됩니다.");
    form->addRow("코드 페이지", m_codePage);
    m_loginId = new QLineEdit(page);
    m_loginId->setToolTip("PDA에서 로그인할 때 입력하는 아이디입니다.");
    m_password = new QLineEdit(page);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setToolTip("PDA에서 로그인할 때 입력하는 비밀번호입니다.");
    form->addRow("아이디", m_loginId);
    form->addRow("비밀번호", m_password);
    auto* note = new QLabel("바뀐 포트는 다음 서버 시작부터 사용됩니다.", page);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addStretch(1);
    return page;
}

void QtSettingsDialog::showServerSettings(const ::pc::app::ServerSettings& settings)
{
    m_ports[0]->setValue(settings.ports.command);
    m_ports[1]->setValue(settings.ports.upload);
    m_ports[2]->setValue(settings.ports.web);
    int index = m_codePage->findText(toQString(settings.codePage));
    if (index < 0) {
        m_codePage->addItem(toQString(settings.codePage));
        index = m_codePage->count() - 1;
    }
    m_codePage->setCurrentIndex(index);
    m_loginId->setText(toQString(settings.loginId));
    m_password->setText(toQString(settings.password));
}

void QtSettingsDialog::passServerSettings()
{
    if (!m_logic.serverSettings())
        return;
    auto port = [this](int i) { return static_cast<std::uint16_t>(m_ports[i]->value()); };
    m_logic.setPorts({ port(0), port(1), port(2) });
    m_logic.setCodePage(toUtf8(m_codePage->currentText()));
    m_logic.setLogin(toUtf8(m_loginId->text()), toUtf8(m_password->text()));
}

void QtSettingsDialog::accept()
{
    passServerSettings();
    if (m_logic.checkEntries())
        QDialog::accept();
}

void QtSettingsDialog::setAccountEditingEnabled(bool enabled)
{
    m_delete->setEnabled(enabled);
    m_modify->setEnabled(enabled);
}

void QtSettingsDialog::showAccounts(const std::vector<::pc::app::MailAccount>& accounts)
{
    m_accounts->clear();
    for (const auto& account : accounts)
        new QTreeWidgetItem(m_accounts, { toQString(account.server), toQString(account.user) });
}

void QtSettingsDialog::showStartOptions(bool startWithSystem, bool startServerAfterLogin)
{
    m_startWithSystem->setChecked(startWithSystem);
    m_startServer->setChecked(startServerAfterLogin);
}

std::vector<std::size_t> QtSettingsDialog::selectedRows() const
{
    std::vector<std::size_t> rows;
    for (auto* item : m_accounts->selectedItems())
        rows.push_back(static_cast<std::size_t>(m_accounts->indexOfTopLevelItem(item)));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void QtSettingsDialog::addAccount()
{
    QtAccountDialog dialog("메일서버 추가", {}, m_ui, this);
    if (dialog.exec() == QDialog::Accepted)
        m_logic.addAccount(dialog.account());
}

std::optional<::pc::app::MailAccount> QtSettingsDialog::editAccount(const std::string& title,
    const ::pc::app::MailAccount& initial)
{
    QtAccountDialog dialog(toQString(title), initial, m_ui, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.account();
}

} // namespace gui::pc
