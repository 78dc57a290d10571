#pragma once

// File: gui/pocket/qt_pocket_login_dialog.h
// The handheld's log-in dialog ("접속하기"): the banner, "아이디",
// "비밀번호", "저 장" and the buttons "접속" and "취소", as a full-screen
// dialog of the emulated device. pocket::link::LoginDialog decides; this
// shows its fields and passes the buttons on. GUI thread only.

#include "gui/pocket/pocket_screen.h"
#include "pocket/link/login_dialog.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace gui::handheld {

class QtPocketLoginDialog final : public QDialog, public ::pocket::link::LoginDialogView {
public:
    // Drawn at the scale of `screen`, which must outlive the dialog.
    explicit QtPocketLoginDialog(const PocketScreen& screen, QWidget* parent = nullptr);
    void setLogic(::pocket::link::LoginDialog* logic) { m_logic = logic; }

    void setFields(const std::string& id, const std::string& password, bool remember) override;
    void focusId() override;
    void focusPassword() override;
    void close() override;

    QLineEdit* idEdit() const { return m_id; }
    QLineEdit* passwordEdit() const { return m_password; }
    QCheckBox* rememberBox() const { return m_remember; }
    QPushButton* connectButton() const { return m_connect; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void reject() override;

private:
    ::pocket::link::LoginDialog* m_logic = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_remember = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_closing = false;
};

} // namespace gui::handheld
