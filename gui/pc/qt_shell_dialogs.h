#pragma once

// File: gui/pc/qt_shell_dialogs.h
// The dialogs the main window opens, with Qt: the login dialog, the settings
// dialog and the file dialogs of the log commands. GUI thread only.

#include "pc/app/main_window.h"
#include "platform/ui.h"

class QWidget;

namespace gui::pc {

class QtShellDialogs final : public ::pc::app::ShellDialogs {
public:
    QtShellDialogs(platform::Ui& ui, QWidget* parent);

    bool runLogin(::pc::app::LoginDialog& dialog) override;
    bool runSettings(::pc::app::SettingsDialog& dialog) override;
    std::optional<std::filesystem::path> chooseLogToView(const std::filesystem::path& folder) override;
    std::optional<std::filesystem::path> chooseLogToSave(const std::filesystem::path& folder) override;

private:
    platform::Ui& m_ui;
    QWidget* m_parent;
};

} // namespace gui::pc
