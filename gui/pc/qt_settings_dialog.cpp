#include "gui/pc/qt_settings_dialog.h"

#include "gui/pc/pc_icons.h"
#include "gui/qt_string.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace gui::pc {

namespace {

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
    , m_server(new QLineEdit(toQString(initial.server), this))
    , m_user(new QLineEdit(toQString(initial.user), this))
    , m_password(new QLineEdit(toQString(initial.password), this))
{
    setWindowTitle(title);
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout();
    form->addRow("메일서버", m_server);
    form->addRow("아이디", m_user);
    form->addRow("비밀번호", m_password);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
    setMinimumWidth(320);
}

::pc::app::MailAccount QtAccountDialog::account() const
{
    return { toUtf8(m_server->text()), toUtf8(m_user->text()), toUtf8(m_password->text()) };
}

void QtAccountDialog::accept()
{
    if (::pc::app::checkAccountEntry(account(), m_ui))
        QDialog::accept();
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
    auto* remove = new QPushButton("삭제", page);
    remove->setToolTip("POP3 서버를 삭제합니다.");
    auto* modify = new QPushButton("수정", page);
    modify->setToolTip("POP3 서버 정보를 수정합니다.");
    connect(add, &QPushButton::clicked, this, [this] { addAccount(); });
    connect(remove, &QPushButton::clicked, this, [this] { m_logic.deleteSelected(selectedRows()); });
    connect(modify, &QPushButton::clicked, this, [this] { m_logic.modifySelected(selectedRows(), *this); });

    auto* buttons = new QVBoxLayout();
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(modify);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(m_accounts, 1);
    layout->addLayout(buttons);
    return page;
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
