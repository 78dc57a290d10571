#pragma once

// File: platform/temp_folder.h
// A private working folder (mode 0700) under the system's temporary folder,
// removed with everything in it when the object goes. The one home of
// mkdtemp: converters use it for their work, tests for their homes.
//
//     auto work = TRY(platform::TempFolder::create("quillon-page"));
//     render(work.path() / "page.png");
//
//     platform::TempFolder home("quillon-test"); // Tests: path() empty on failure.

#include "platform/result.h"

#include <filesystem>
#include <string_view>

namespace platform {

class TempFolder {
public:
    // A new folder named prefix + "-" + six random characters.
    static IoResult<TempFolder> create(std::string_view prefix);
    // The same in `parent` (which must exist), for work that ends with a
    // rename into a folder on the same file system.
    static IoResult<TempFolder> createIn(const std::filesystem::path& parent, std::string_view prefix);
    // The same, for callers that check path() (tests): empty when the folder
    // could not be made.
    explicit TempFolder(std::string_view prefix);
    TempFolder(TempFolder&& other) noexcept;
    TempFolder& operator=(TempFolder&& other) noexcept;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const { return m_path; }
    // Keeps the folder on disk; the object forgets it.
    std::filesystem::path release();

private:
    TempFolder() = default;
    void remove();

    std::filesystem::path m_path;
};

} // namespace platform
