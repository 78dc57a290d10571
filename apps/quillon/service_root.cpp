#include "apps/quillon/service_root.h"

#include "platform/files.h"

namespace apps::quillon {

platform::IoResult<std::filesystem::path> prepareServiceRoot(const std::filesystem::path& home)
{
    const std::filesystem::path root = home / kServiceFolderName;
    TRY(platform::createFolders(root));
    for (std::string_view name : kServiceSubfolders)
        TRY(platform::createFolders(root / name));
    return root;
}

} // namespace apps::quillon
