#pragma once

// File: pocket/mypc/mypc_tree.h
// The My PC tree: the root "PDA" for the handheld's file system, present at
// all times; after the log-in one root per PC drive, in the order received;
// below them folder and file items, added on demand. Handheld folders are
// read from the device root when expanded; PC folders are filled from the
// folder lists of command 306 (the tree is the FolderListView of
// PcFolderRequest). The model owns its items; the view is told what
// changed. Window thread only.

#include "pocket/link/pc_folder_request.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::mypc {

enum class TreeImage {
    Folder,
    Executable,
    File,
};

struct TreeItem {
    std::string text;
    bool isPc = false;     // Under a drive root, not under "PDA".
    bool isFolder = false; // Drives and roots are folders.
    TreeImage image = TreeImage::File;
    bool hasChildren = false; // Shows the expand button.
    bool expanded = false;
    TreeItem* parent = nullptr;
    std::vector<std::unique_ptr<TreeItem>> children;
};

// The tap-and-hold menus: "PCD" (PC folder or drive), "PCF" (PC file),
// "PDAD" (handheld folder), "PDAF" (handheld file).
enum class TreeMenu {
    PcFolder,
    PcFile,
    PdaFolder,
    PdaFile,
};

class MyPcTreeView {
public:
    virtual ~MyPcTreeView() = default;
    // Everything below the roots may have changed (roots added or removed).
    virtual void treeReset() = 0;
    // The item's children were replaced, or its state changed.
    virtual void itemChanged(const TreeItem& item) = 0;
};

class MyPcTree final : public link::FolderListView {
public:
    MyPcTree(const device::DeviceRoot& device, MyPcTreeView& view);

    const std::vector<std::unique_ptr<TreeItem>>& roots() const { return m_roots; }

    // Deletes every item and adds back the root "PDA" (the connection-lost reset).
    void reset();
    // One root per PC drive, after the log-in.
    void addDrives(const std::vector<std::string>& drives);

    // The item's path: the texts from the root down, joined by backslashes.
    static std::string pathOf(const TreeItem& item);
    TreeItem* find(std::string_view path);
    static TreeMenu menuOf(const TreeItem& item);

    // Expands a handheld folder: one child per entry of the folder, in the
    // order the file system lists them. False when it is not a handheld folder.
    bool expandHandheld(TreeItem& item);

    // The item last acted on; its path is kept (at most 1023 characters).
    void select(const TreeItem& item);
    const std::string& selectedPath() const { return m_selectedPath; }

    // FolderListView: a PC folder's list arrived, or its request failed.
    void showFolder(const std::string& path, const std::vector<link::FolderEntry>& entries) override;
    void restoreFolder(const std::string& path) override;

private:
    TreeItem& addChild(TreeItem& parent, std::string text, bool isFolder);

    const device::DeviceRoot& m_device;
    MyPcTreeView& m_view;
    std::vector<std::unique_ptr<TreeItem>> m_roots;
    std::string m_selectedPath;
};

} // namespace pocket::mypc
