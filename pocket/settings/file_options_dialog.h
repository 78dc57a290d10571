#pragma once

// File: pocket/settings/file_options_dialog.h
// The "Option" dialog of the Connections page: how many files the PC lists
// per request ("max_filelist") and the largest file that may be transferred
// ("maxfilesize", in kilobytes), each chosen from a combo box. Window thread
// only.

#include <string>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::settings {

class SettingsStore;
struct PdaSettings;

class FileOptionsDialog {
public:
    struct Fields {
        std::string maxFileList;
        std::string maxFileSize;
    };

    FileOptionsDialog(SettingsStore& store, PdaSettings& settings, platform::Ui& ui);

    static const std::vector<std::string>& fileListItems(); // "30", "50", "100"
    static const std::vector<std::string>& fileSizeItems(); // "50", "100", "500", "1000"

    // Each combo selects the first item that begins with the current value.
    Fields show() const;
    // "확 인": both texts become the settings and are written; when the
    // store cannot take them, "저장 실패.." and they stay in memory only. A
    // text that is no positive number leaves its setting unchanged.
    void accept(const Fields& fields);

private:
    SettingsStore& m_store;
    PdaSettings& m_settings;
    platform::Ui& m_ui;
};

} // namespace pocket::settings
