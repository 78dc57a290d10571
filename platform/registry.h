#pragma once

// File: platform/registry.h
// The stand-in for the Windows registry: keys named by backslash paths
// ("HKCU\\Software\\Quillon"), each holding named string and DWORD values.
// Key and value names are found without regard to ASCII case; the root names
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT may be written
// out or shortened to HKCU, HKLM and HKCR.
//
// The store is a text file in the program's home folder (mode 0600), read
// when it is opened and rewritten atomically after every change. Values may
// hold any bytes; the file escapes them. As in the registry, a value can be
// set only in a key that exists: createKey() first. Thread-safe.
//
//     auto registry = TRY(platform::Registry::open(home / "registry.txt"));
//     TRY(registry->createKey("HKCU\\Software\\Quillon"));
//     TRY(registry->setDword("HKCU\\Software\\Quillon", "save", 1));

#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class ValueType {
    String,
    Dword,
};

class Registry {
public:
    // Opens the store in `file`; a missing file is an empty store. A damaged
    // file is refused (ErrorCode::Protocol, with the line number) rather than
    // read in part and then overwritten.
    static IoResult<std::unique_ptr<Registry>> open(std::filesystem::path file);
    // A store that lives in memory only, for tests.
    static std::unique_ptr<Registry> inMemory();

    bool keyExists(std::string_view key) const;
    // Creates the key and any missing parents; an existing key is fine.
    IoResult<void> createKey(std::string_view key);
    // Deletes the key with its values and subkeys. NotFound when missing.
    IoResult<void> deleteKey(std::string_view key);
    // Names of the key's direct subkeys and of its values, in the order they
    // were created.
    std::vector<std::string> listSubkeys(std::string_view key) const;
    std::vector<std::string> listValues(std::string_view key) const;

    std::optional<ValueType> valueType(std::string_view key, std::string_view name) const;
    // The value when it exists and has that type.
    std::optional<std::string> getString(std::string_view key, std::string_view name) const;
    std::optional<std::uint32_t> getDword(std::string_view key, std::string_view name) const;

    // NotFound when the key does not exist.
    IoResult<void> setString(std::string_view key, std::string_view name, std::string_view value);
    IoResult<void> setDword(std::string_view key, std::string_view name, std::uint32_t value);
    IoResult<void> deleteValue(std::string_view key, std::string_view name);

    const std::filesystem::path& file() const { return m_file; }

private:
    struct Value {
        std::string name;
        ValueType type = ValueType::String;
        std::string text;
        std::uint32_t dword = 0;
    };
    struct Key {
        std::string path; // As first created, in canonical form.
        std::uint64_t order = 0; // Creation order, for listings.
        std::vector<Value> values;
    };

    explicit Registry(std::filesystem::path file);
    IoResult<void> load();
    IoResult<void> save() const;
    std::string serialise() const;
    const Key* findKey(std::string_view key) const;
    Key* findKey(std::string_view key);
    IoResult<void> setValue(std::string_view key, Value value);
    void addKey(const std::string& canonical);
    const Value* findValue(std::string_view key, std::string_view name) const;

    std::filesystem::path m_file; // Empty for a store in memory.
    mutable std::mutex m_mutex;
    std::map<std::string, Key> m_keys; // By lower-case canonical path.
    std::uint64_t m_nextOrder = 1;
};

// The canonical form of a key path: a known root shortened (HKCU ...),
// separators single backslashes, no leading or trailing backslash. Empty when
// the path names nothing.
std::string canonicalKeyPath(std::string_view key);

} // namespace platform
