#pragma once

// File: gui/pc/qt_login_dialog.h
// The login dialog at start-up: id, password and the two remember boxes.
// pc::app::LoginDialog fills the fields, checks the entries and stores them;
// OK closes the dialog only when it accepts them. GUI thread only.

#include "pc/app/login_dialog.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace gui::pc {

class QtLoginDialog final : public QDialog, public ::pc::app::LoginView {
    Q_OBJECT
public:
    QtLoginDialog(::pc::app::LoginDialog& logic, QWidget* parent = nullptr);

    void showLoginFields(const std::string& id, const std::string& password, bool rememberId,
        bool rememberPassword) override;

    // OK: closes when the logic accepts the entries.
    void accept() override;

    QLineEdit* idField() const { return m_id; }
    QLineEdit* passwordField() const { return m_password; }

private:
    ::pc::app::LoginDialog& m_logic;
    QLineEdit* m_id;
    QLineEdit* m_password;
    QCheckBox* m_rememberId;
    QCheckBox* m_rememberPassword;
};

} // namespace gui::pc
