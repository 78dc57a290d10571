#include "gui/pc/qt_shell_dialogs.h"

#include "gui/pc/qt_login_dialog.h"
#include "gui/pc/qt_settings_dialog.h"
#include "gui/qt_string.h"

#include <QFileDialog>

namespace gui::pc {

QtShellDialogs::QtShellDialogs(platform::Ui& ui, QWidget* parent)
    : m_ui(ui)
    , m_parent(parent)
{
}

bool QtShellDialogs::runLogin(::pc::app::LoginDialog& dialog)
{
    for (;;) {
        QtLoginDialog window(dialog, m_parent);
        if (window.exec() == QDialog::Accepted)
            return true;
        if (::pc::app::confirmLoginCancel(m_ui))
            return false;
    }
}

bool QtShellDialogs::runSettings(::pc::app::SettingsDialog& dialog)
{
    QtSettingsDialog window(dialog, m_ui, m_parent);
    return window.exec() == QDialog::Accepted;
}

std::optional<std::filesystem::path> QtShellDialogs::chooseLogToView(const std::filesystem::path& folder)
{
    QString chosen = QFileDialog::getOpenFileName(m_parent, "로그 보기", toQString(folder.string()),
        "TXT Files (*.txt)");
    if (chosen.isEmpty())
        return std::nullopt;
    return std::filesystem::path(toUtf8(chosen));
}

std::optional<std::filesystem::path> QtShellDialogs::chooseLogToSave(const std::filesystem::path& folder)
{
    QString chosen = QFileDialog::getSaveFileName(m_parent, "로그 저장", toQString(folder.string()),
        "All files (*.txt)");
    if (chosen.isEmpty())
        return std::nullopt;
    return std::filesystem::path(toUtf8(chosen));
}

} // namespace gui::pc
