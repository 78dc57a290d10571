#include "gui/pocket/qt_pocket_login_dialog.h"

#include "gui/qt_string.h"
#include "pocket/app/frame_layout.h"
#include "pocket/settings/pda_settings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace gui::handheld {

namespace {

    // The banner at the top of the dialog: the program's name over a PC and a
    // handheld joined by a line.
    class Banner final : public QWidget {
    public:
        Banner(const PocketScreen& screen, QWidget* parent)
            : QWidget(parent)
            , m_screen(screen)
        {
        }

    protected:
        void paintEvent(QPaintEvent*) override
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            QLinearGradient fill(0, 0, width(), height());
            fill.setColorAt(0, QColor(0x1c, 0x4a, 0xa8));
            fill.setColorAt(1, QColor(0x5a, 0x9c, 0xe8));
            painter.fillRect(rect(), fill);
            const auto px = [this](double v) { return v * m_screen.scale; };
            // The PC.
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0xf0, 0xf4, 0xff));
            painter.drawRoundedRect(QRectF(px(150), px(14), px(40), px(28)), px(2), px(2));
            painter.setBrush(QColor(0x7f, 0xc8, 0xff));
            painter.drawRect(QRectF(px(153), px(17), px(34), px(22)));
            painter.setBrush(QColor(0xf0, 0xf4, 0xff));
            painter.drawRect(QRectF(px(162), px(43), px(16), px(4)));
            // The handheld.
            painter.drawRoundedRect(QRectF(px(206), px(12), px(20), px(34)), px(3), px(3));
            painter.setBrush(QColor(0x7f, 0xc8, 0xff));
            painter.drawRect(QRectF(px(209), px(16), px(14), px(18)));
            // The link between them.
            painter.setPen(QPen(QColor(0xff, 0xd0, 0x40), px(1.5), Qt::DashLine));
            painter.drawLine(QPointF(px(190), px(28)), QPointF(px(206), px(28)));
            painter.setPen(Qt::white);
            painter.setFont(m_screen.font(20, true));
            painter.drawText(QRect(m_screen.px(12), 0, m_screen.px(140), m_screen.px(40)),
                Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Quillon"));
            painter.setFont(m_screen.font(10));
            painter.drawText(QRect(m_screen.px(12), m_screen.px(40), m_screen.px(140), m_screen.px(16)),
                Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("내 PC에 접속합니다"));
        }

    private:
        const PocketScreen& m_screen;
    };

} // namespace

QtPocketLoginDialog::QtPocketLoginDialog(const PocketScreen& screen, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Quillon"));
    setObjectName(QStringLiteral("loginDialog"));
    setFixedSize(screen.px(kScreenWidth), screen.px(kDialogHeight));
    setFont(screen.font(12));
    setStyleSheet(screen.checkBoxStyle());
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    auto* banner = new Banner(screen, this);
    banner->setGeometry(screen.rect(0, 0, kScreenWidth, 62));

    auto* idLabel = new QLabel(QStringLiteral("아이디"), this);
    idLabel->setGeometry(screen.rect(20, 84, 60, 20));
    m_id = new QLineEdit(this);
    m_id->setMaxLength(static_cast<int>(::pocket::settings::kPcFieldChars));
    m_id->setGeometry(screen.rect(84, 84, 136, 20));

    auto* passwordLabel = new QLabel(QStringLiteral("비밀번호"), this);
    passwordLabel->setGeometry(screen.rect(20, 112, 60, 20));
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(static_cast<int>(::pocket::settings::kPcFieldChars));
    m_password->setGeometry(screen.rect(84, 112, 136, 20));

    m_remember = new QCheckBox(QStringLiteral("저 장"), this);
    m_remember->setGeometry(screen.rect(84, 140, 100, 20));

    m_connect = new QPushButton(QStringLiteral("접속"), this);
    m_connect->setGeometry(screen.rect(44, 176, 70, 24));
    m_connect->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("취소"), this);
    m_cancel->setGeometry(screen.rect(126, 176, 70, 24));

    connect(m_connect, &QPushButton::clicked, this, [this] {
        if (m_logic)
            (void)m_logic->connect(toUtf8(m_id->text()), toUtf8(m_password->text()), m_remember->isChecked());
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void QtPocketLoginDialog::setFields(const std::string& id, const std::string& password, bool remember)
{
    m_id->setText(toQString(id));
    m_password->setText(toQString(password));
    m_remember->setChecked(remember);
}

void QtPocketLoginDialog::focusId()
{
    m_id->setFocus();
}

void QtPocketLoginDialog::focusPassword()
{
    m_password->setFocus();
}

void QtPocketLoginDialog::close()
{
    m_closing = true;
    QDialog::accept();
    m_closing = false;
}

void QtPocketLoginDialog::reject()
{
    // "취소" and the window's own close both cancel through the logic, which
    // forgets a mail attachment waiting for the log-in.
    if (m_logic && !m_closing)
        m_logic->cancel();
    QDialog::reject();
}

} // namespace gui::handheld
