#include "gui/pc/qt_login_dialog.h"

#include "gui/pc/pc_icons.h"
#include "gui/qt_string.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui::pc {

QtLoginDialog::QtLoginDialog(::pc::app::LoginDialog& logic, QWidget* parent)
    : QDialog(parent)
    , m_logic(logic)
    , m_id(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_rememberId(new QCheckBox("아이디 저장", this))
    , m_rememberPassword(new QCheckBox("비밀번호 저장", this))
{
    setWindowTitle("Quillon 로그인");
    setWindowIcon(programIcon());
    m_password->setEchoMode(QLineEdit::Password);

    auto* heading = new QLabel("PDA에서 PC에 연결할 때 사용할 아이디와 비밀번호를 입력하십시오.", this);
    heading->setWordWrap(true);
    auto* form = new QFormLayout();
    form->addRow("아이디", m_id);
    form->addRow("비밀번호", m_password);
    auto* boxes = new QHBoxLayout();
    boxes->addWidget(m_rememberId);
    boxes->addWidget(m_rememberPassword);
    boxes->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("확인");
    buttons->button(QDialogButtonBox::Cancel)->setText("취소");
    connect(buttons, &QDialogButtonBox::accepted, this, &QtLoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QtLoginDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addLayout(boxes);
    layout->addWidget(buttons);
    setMinimumWidth(340);

    m_logic.open(this);
}

void QtLoginDialog::showLoginFields(const std::string& id, const std::string& password, bool rememberId,
    bool rememberPassword)
{
    m_id->setText(toQString(id));
    m_password->setText(toQString(password));
    m_rememberId->setChecked(rememberId);
    m_rememberPassword->setChecked(rememberPassword);
    (id.empty() ? m_id : m_password)->setFocus();
}

void QtLoginDialog::accept()
{
    ::pc::app::LoginEntry entry { toUtf8(m_id->text()), toUtf8(m_password->text()), m_rememberId->isChecked(),
        m_rememberPassword->isChecked() };
    if (m_logic.accept(entry))
        QDialog::accept();
}

} // namespace gui::pc
