#pragma once

// File: pocket/device/device_root.h
// The handheld's file system: a folder on the Linux machine stands for the
// device's root, so the handheld path "\Program Files\Quillon\x" is
// "<device root>/Program Files/Quillon/x".

#include <filesystem>
#include <string>
#include <string_view>

namespace pocket::device {

class DeviceRoot {
public:
    explicit DeviceRoot(std::filesystem::path root);

    const std::filesystem::path& root() const { return m_root; }

    // The local path of a handheld path. Backslashes and slashes both
    // separate; "." and ".." components are dropped, so no handheld path
    // leads outside the device root.
    std::filesystem::path toLocal(std::string_view handheldPath) const;

    // Creates the root and the folders every device has ("Program Files",
    // "My Documents", "Windows"), so that the program's own folders, created
    // without parents, can be made on a fresh device.
    void prepare() const;

private:
    std::filesystem::path m_root;
};

} // namespace pocket::device
