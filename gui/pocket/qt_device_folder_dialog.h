#pragma once

// File: gui/pocket/qt_device_folder_dialog.h
// The device folder chooser of the options sheet ("첨부파일"): a tree of the
// handheld's folders under the device root, read as they are expanded, with
// "확인" and "취소". It returns the chosen folder as a handheld path
// ("\My Documents\web"); it never leaves the device root. GUI thread only.

#include <QDialog>

#include <filesystem>
#include <optional>
#include <string>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace gui::handheld {

class QtDeviceFolderDialog final : public QDialog {
public:
    QtDeviceFolderDialog(std::filesystem::path root, QWidget* parent = nullptr);

    QTreeWidget* tree() const { return m_tree; }
    QPushButton* okButton() const { return m_ok; }
    // Selects the folder of this handheld path, reading the folders on the
    // way; false when there is none.
    bool select(const std::string& handheldPath);
    // The selected folder's handheld path, once accepted.
    std::optional<std::string> chosen() const;

private:
    // Reads the folders below an item once.
    void fill(QTreeWidgetItem* item);

    std::filesystem::path m_root;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace gui::handheld
