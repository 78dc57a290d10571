#pragma once

// File: pocket/settings/settings_store.h
// Reads and writes PdaSettings in the registry store, and creates the
// program's folders on the device. Each store operation writes the values
// its caller has already changed in memory, so memory and registry change
// together. Window thread only.

#include "pocket/device/device_root.h"
#include "pocket/settings/pda_settings.h"

namespace platform {
class Registry;
}

namespace pocket::settings {

// The four folder texts of the "Folder setup" page.
struct FolderValues {
    std::string inbox;
    std::string webFolderPath;
    std::string saveFilePath;
    std::string sndMailPath;
    int mailViewPeriod = -1;
};

class SettingsStore {
public:
    SettingsStore(platform::Registry& registry, const device::DeviceRoot& device);

    // Creates "HKCU\Software\Quillon" when it is missing.
    bool createKey();
    // Fills the settings from the store. Without the key they stay as they are.
    void load(PdaSettings& settings) const;
    // Creates "\Program Files\Quillon", its "ICQ", "MSN" and "YAHOO"
    // folders and the four configured folders; failures are ignored and
    // parents are not created.
    void createFolders(const PdaSettings& settings) const;

    // Each returns false when the key could not be opened or a write failed.
    bool storePcLogin(const PdaSettings& settings);
    bool storeMessengerAccounts(const PdaSettings& settings);
    bool storeConnection(const PdaSettings& settings);
    bool storePorts(const PdaSettings& settings);
    // Writes each folder text that differs from the settings and copies it
    // in, writes "mailviewperiod", then creates the folders.
    bool storeFolders(PdaSettings& settings, const FolderValues& edited);
    bool storeFileOptions(const PdaSettings& settings);
    bool storeMailFormat(const PdaSettings& settings);
    // A string value that no settings page shows (the messenger servers,
    // the pen address); read by its users at start-up.
    bool storeString(std::string_view name, std::string_view value) { return setString(name, value); }

    const device::DeviceRoot& device() const { return m_device; }

private:
    bool setDword(std::string_view name, std::int64_t value);
    bool setString(std::string_view name, std::string_view value);

    platform::Registry& m_registry;
    const device::DeviceRoot& m_device;
};

} // namespace pocket::settings
