#include "pocket/mypc/mypc_tree.h"

#include "platform/codepage.h"
#include "pocket/device/device_root.h"
#include "pocket/mypc/mypc_paths.h"
#include "pocket/settings/pda_settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace pocket::mypc {

namespace {

bool isExecutableName(std::string_view name)
{
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string extension(name.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".exe";
}

} // namespace

MyPcTree::MyPcTree(const device::DeviceRoot& device, MyPcTreeView& view)
    : m_device(device)
    , m_view(view)
{
    reset();
}

void MyPcTree::reset()
{
    m_roots.clear();
    auto root = std::make_unique<TreeItem>();
    root->text = std::string(kPdaRootText);
    root->isFolder = true;
    root->image = TreeImage::Folder;
    root->hasChildren = true;
    m_roots.push_back(std::move(root));
    m_view.treeReset();
}

void MyPcTree::addDrives(const std::vector<std::string>& drives)
{
    for (const auto& drive : drives) {
        auto item = std::make_unique<TreeItem>();
        item->text = drive;
        item->isPc = true;
        item->isFolder = true;
        item->image = TreeImage::Folder;
        item->hasChildren = true;
        m_roots.push_back(std::move(item));
    }
    m_view.treeReset();
}

std::string MyPcTree::pathOf(const TreeItem& item)
{
    std::string path = item.text;
    for (const TreeItem* parent = item.parent; parent; parent = parent->parent)
        path = parent->text + "\\" + path;
    return path;
}

TreeItem* MyPcTree::find(std::string_view path)
{
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    const std::vector<std::unique_ptr<TreeItem>>* level = &m_roots;
    TreeItem* found = nullptr;
    while (!path.empty()) {
        std::size_t slash = path.find('\\');
        std::string_view part = path.substr(0, slash);
        auto match = std::find_if(level->begin(), level->end(), [&](const auto& item) { return item->text == part; });
        if (match == level->end())
            return nullptr;
        found = match->get();
        level = &found->children;
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return found;
}

TreeMenu MyPcTree::menuOf(const TreeItem& item)
{
    if (item.isPc)
        return item.isFolder ? TreeMenu::PcFolder : TreeMenu::PcFile;
    return item.isFolder ? TreeMenu::PdaFolder : TreeMenu::PdaFile;
}

TreeItem& MyPcTree::addChild(TreeItem& parent, std::string text, bool isFolder)
{
    auto item = std::make_unique<TreeItem>();
    item->isPc = parent.isPc;
    item->isFolder = isFolder;
    item->hasChildren = isFolder;
    item->image = isFolder ? TreeImage::Folder : isExecutableName(text) ? TreeImage::Executable : TreeImage::File;
    item->text = std::move(text);
    item->parent = &parent;
    parent.children.push_back(std::move(item));
    return *parent.children.back();
}

bool MyPcTree::expandHandheld(TreeItem& item)
{
    if (item.isPc || !item.isFolder)
        return false;
    auto handheldPath = handheldPathOf(pathOf(item));
    // Reading the folder again replaces what an earlier expansion added.
    item.children.clear();
    std::error_code error;
    for (std::filesystem::directory_iterator it(m_device.toLocal(*handheldPath), error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        addChild(item, it->path().filename().string(), it->is_directory(typeError));
    }
    item.hasChildren = !item.children.empty();
    item.expanded = item.hasChildren;
    m_view.itemChanged(item);
    return true;
}

void MyPcTree::select(const TreeItem& item)
{
    m_selectedPath = std::string(platform::cutCodePoints(pathOf(item), kSelectedPathChars));
}

void MyPcTree::showFolder(const std::string& path, const std::vector<link::FolderEntry>& entries)
{
    TreeItem* item = find(path);
    if (!item)
        return; // The tree was reset while the list was on its way.
    // Opening a folder again shows its list anew instead of adding it twice.
    item->children.clear();
    for (const auto& entry : entries)
        addChild(*item, entry.name, entry.isFolder);
    item->hasChildren = !item->children.empty();
    item->expanded = item->hasChildren;
    m_view.itemChanged(*item);
}

void MyPcTree::restoreFolder(const std::string& path)
{
    TreeItem* item = find(path);
    if (!item)
        return;
    item->expanded = false;
    m_view.itemChanged(*item);
}

} // namespace pocket::mypc
