#pragma once

// File: platform/profile.h
// A settings file in the INI format with the semantics of Windows private
// profiles: sections and keys are found without regard to ASCII case, a
// missing value reads as the caller's default, and every write goes to disk at
// once. The file is replaced atomically and is readable by its owner only; it
// is read again when another writer has changed it.
//
//     platform::Profile profile(home / "Quillon.ini");
//     auto id = profile.getString("Quillon", "savedid", "");
//     if (auto written = profile.writeString("Quillon", "idsaved", "true"); !written)
//         trace(describe(written.error()));
//
// Values are kept byte for byte. A value with spaces at either end, or one
// that is itself wrapped in quotes, is stored inside double quotes, which a
// reader strips as Windows does. Line breaks and NUL cannot be stored.
// Thread-safe.

#include "platform/result.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform {

class Profile {
public:
    explicit Profile(std::filesystem::path file);

    const std::filesystem::path& file() const { return m_file; }

    // Whether the file can be used: a missing one can (it is created at the
    // first write), one that exists but cannot be read cannot. Such a file
    // reads as empty and every write to it fails, so it is never replaced.
    IoResult<void> check() const;

    std::string getString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The value, or nullopt when the key is missing.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    // Reads like GetPrivateProfileInt: the leading decimal digits (after
    // blanks and an optional sign); a value without digits reads as 0, a
    // missing or empty one as the default.
    int getInt(std::string_view section, std::string_view key, int defaultValue) const;

    IoResult<void> writeString(std::string_view section, std::string_view key, std::string_view value);
    IoResult<void> writeInt(std::string_view section, std::string_view key, int value);

    // Returns the value, first writing the default when the key is missing.
    std::string getOrWriteDefault(std::string_view section, std::string_view key, std::string_view defaultValue);

    IoResult<void> deleteKey(std::string_view section, std::string_view key);
    IoResult<void> deleteSection(std::string_view section);

    // Keys of a section and the sections of the file, in file order.
    std::vector<std::string> keys(std::string_view section) const;
    std::vector<std::string> sections() const;

private:
    struct Entry {
        std::string key; // Empty for comments, blank lines and lines without "=".
        std::string value; // As read: blanks trimmed, one pair of quotes stripped.
        std::string line; // The line as it stands in the file.
    };
    struct Section {
        std::string name; // Empty for the lines before the first section.
        std::string header;
        std::vector<Entry> entries;
    };
    struct FileStamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };

    void refresh() const;
    IoResult<void> save();
    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;
    const Entry* findEntry(std::string_view section, std::string_view key) const;
    static std::vector<Section> parse(std::string_view text);
    std::string serialise() const;
    FileStamp stampNow() const;

    std::filesystem::path m_file;
    mutable std::mutex m_mutex;
    mutable std::vector<Section> m_sections;
    mutable FileStamp m_stamp;
    mutable bool m_loaded = false;
    mutable bool m_hasByteOrderMark = false;
    mutable std::optional<Error> m_readError; // Why an existing file could not be read.
};

// Whether two names are equal without regard to ASCII case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace platform
