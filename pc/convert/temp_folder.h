#pragma once

// File: pc/convert/temp_folder.h
// A private working folder (mode 0700) under the system's temporary folder,
// removed with everything in it when the object goes.

#include "platform/result.h"

#include <filesystem>
#include <string_view>

namespace pc::convert {

class TempFolder {
public:
    static platform::IoResult<TempFolder> create(std::string_view prefix);
    TempFolder(TempFolder&& other) noexcept;
    TempFolder& operator=(TempFolder&& other) noexcept;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const { return m_path; }

private:
    explicit TempFolder(std::filesystem::path path)
        : m_path(std::move(path))
    {
    }
    void remove();

    std::filesystem::path m_path;
};

} // namespace pc::convert
