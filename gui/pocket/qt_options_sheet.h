#pragma once

// File: gui/pocket/qt_options_sheet.h
// The options sheet ("환경설정") of the handheld: the pages "Accounts",
// "Connections" and "Folder setup", each with "적용" and "취소", as a
// full-screen sheet of the emulated device. pocket::settings::OptionsSheet holds
// the fields and decides; a page is filled from it the first time it shows,
// and its widgets are copied back before "적용". GUI thread only.

#include "gui/pocket/pocket_screen.h"
#include "pocket/settings/options_sheet.h"

#include <QDialog>

#include <filesystem>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace pocket::settings {
class SettingsStore;
struct PdaSettings;
}

namespace platform {
class Ui;
}

namespace gui::handheld {

class QtOptionsSheet final : public QDialog {
public:
    QtOptionsSheet(::pocket::settings::OptionsSheet& sheet, ::pocket::settings::SettingsStore& store,
        ::pocket::settings::PdaSettings& settings, platform::Ui& ui, const PocketScreen& screen,
        QWidget* parent = nullptr);

    // Opens the sheet on its first page.
    void openSheet();

    QTabWidget* tabs() const { return m_tabs; }
    struct AccountsWidgets {
        QCheckBox* msn = nullptr;
        QLineEdit* msnId = nullptr;
        QLineEdit* msnPassword = nullptr;
        QCheckBox* icq = nullptr;
        QLineEdit* icqId = nullptr;
        QLineEdit* icqPassword = nullptr;
    };
    struct ConnectionsWidgets {
        QLineEdit* pcIp = nullptr;
        QSpinBox* pcPort = nullptr;
        QSpinBox* pcUploadPort = nullptr;
        QSpinBox* pcWebPort = nullptr;
        QComboBox* connection = nullptr;
        QCheckBox* autoDial = nullptr;
        QCheckBox* autoDisconnection = nullptr;
    };
    struct FolderWidgets {
        QLineEdit* inbox = nullptr;
        QComboBox* period = nullptr;
        QLineEdit* web = nullptr;
        QLineEdit* file = nullptr;
        QLineEdit* sendMail = nullptr;
    };
    const AccountsWidgets& accounts() const { return m_accounts; }
    const ConnectionsWidgets& connections() const { return m_connections; }
    const FolderWidgets& folders() const { return m_folders; }
    // Adds a row at the end of the Connections page (PC 찾기).
    void addConnectionsRow(QWidget* row);
    // "적용" of a page, as the button does it.
    void applyPage(::pocket::settings::OptionsPage page);

protected:
    void reject() override;

private:
    QWidget* buildAccounts();
    QWidget* buildConnections();
    QWidget* buildFolders();
    QWidget* page(QWidget* content, ::pocket::settings::OptionsPage which);
    void onPageShown(int index);
    void fillAccounts();
    void fillConnections();
    void fillFolders();
    void collect();
    void chooseFolder(QLineEdit* edit);
    void openFileOptions();

    ::pocket::settings::OptionsSheet& m_sheet;
    ::pocket::settings::SettingsStore& m_store;
    ::pocket::settings::PdaSettings& m_settings;
    platform::Ui& m_ui;
    const PocketScreen& m_screen; // Outlives the sheet.
    QTabWidget* m_tabs = nullptr;
    AccountsWidgets m_accounts;
    ConnectionsWidgets m_connections;
    FolderWidgets m_folders;
    ::pocket::settings::AccountsFields* m_accountFields = nullptr;
    ::pocket::settings::ConnectionsFields* m_connectionFields = nullptr;
    ::pocket::settings::FolderFields* m_folderFields = nullptr;
    bool m_filling = false;
    QFormLayout* m_connectionsLayout = nullptr;
};

} // namespace gui::handheld
