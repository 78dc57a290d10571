#pragma once

// File: pocket/link/pc_folder_request.h
// Opening a PC folder in the My PC tree: command 306 numbered with the tree's
// request number and guarded by its 60-second time-out. The answer carries
// the list inline (".") or names the file "serverfolder", fetched from the
// PC's web server; either way the list lands in
// "\Program Files\Quillon\serverfolder" and is read from there. Window
// thread only.

#include <string>
#include <string_view>
#include <vector>

namespace platform {
class HttpFetch;
class Ui;
}

namespace proto {
struct PcAnswer;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::link {

class PcLink;

struct FolderEntry {
    bool isFolder = false;
    std::string name;

    bool operator==(const FolderEntry&) const = default;
};

// The "serverfolder" list: one entry per line, a type flag ("0" a file,
// anything else a folder) and the name. The list ends at its last line feed
// or at an empty line.
std::vector<FolderEntry> parseFolderList(std::string_view content);

class FolderListView {
public:
    virtual ~FolderListView() = default;
    // The folder's entries arrived, in the PC's order (empty: no children).
    virtual void showFolder(const std::string& path, const std::vector<FolderEntry>& entries) = 0;
    // The request failed or timed out: the item goes back to its old state.
    virtual void restoreFolder(const std::string& path) = 0;
};

class PcFolderRequest {
public:
    PcFolderRequest(PcLink& link, const settings::PdaSettings& settings, const device::DeviceRoot& device,
        platform::HttpFetch& fetch, platform::Ui& ui, FolderListView& view);

    // "열기" on a PC folder or drive ("C:" or "C:\docs"). False when nothing
    // was sent (not connected, or a folder request is still waiting).
    bool open(std::string_view path);
    bool isWaiting() const;

private:
    void onAnswer(const proto::PcAnswer& answer);
    void onTimeout();
    bool writeList(std::string_view list);

    PcLink& m_link;
    const settings::PdaSettings& m_settings;
    const device::DeviceRoot& m_device;
    platform::HttpFetch& m_fetch;
    platform::Ui& m_ui;
    FolderListView& m_view;
    std::string m_path; // The folder waiting for its list.
};

} // namespace pocket::link
