#include "pc/convert/result_placement.h"

#include "platform/files.h"
#include "platform/temp_folder.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>

namespace pc::convert {

namespace {

platform::Error failure(std::string context)
{
    return platform::Error { platform::ErrorCode::IoError, std::move(context), 0 };
}

} // namespace

platform::IoResult<void> placeResult(const std::filesystem::path& from, const std::filesystem::path& to)
{
    // Beside its place: the rename into it stays on one file system.
    TRY(platform::createFolders(to.parent_path(), 0755));
    auto staging = TRY(platform::TempFolder::createIn(to.parent_path(), ".quillon-staging"));
    std::filesystem::path staged = staging.path() / "result";
    std::error_code error;
    std::filesystem::copy(from, staged, std::filesystem::copy_options::recursive, error);
    if (error)
        return failure("cannot copy " + from.string() + ": " + error.message());
    bool folder = std::filesystem::is_directory(staged, error);
    if (folder && std::filesystem::is_directory(to, error)) {
        // Readers see the old folder or the new one, never neither.
        if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) != 0)
            return platform::errorFromErrno("exchange " + to.string(), errno);
        return {}; // The old folder is now in the staging folder, which goes.
    }
    if (folder) {
        // A file of that name (an earlier result of another kind) makes way.
        std::filesystem::remove(to, error);
    } else if (std::filesystem::is_directory(to, error)) {
        std::filesystem::remove_all(to, error);
    }
    if (::rename(staged.c_str(), to.c_str()) != 0)
        return platform::errorFromErrno("rename to " + to.string(), errno);
    return {};
}

} // namespace pc::convert
