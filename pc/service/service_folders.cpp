#include "pc/service/service_folders.h"

#include "platform/files.h"

namespace pc::service {

ServiceFolders ServiceFolders::under(const std::filesystem::path& home)
{
    ServiceFolders folders;
    folders.root = home / "Quillon";
    folders.requestedDocuments = folders.root / "pda_ReqDoc";
    folders.downloads = folders.root / "pda_Download";
    folders.uploads = folders.root / "pda_Upload";
    folders.mail = folders.root / "pda_Mail";
    folders.boxes = home / "boxes";
    folders.logs = folders.boxes / "log";
    return folders;
}

void ServiceFolders::create() const
{
    for (const auto* folder : { &root, &requestedDocuments, &downloads, &uploads, &mail, &boxes, &logs })
        (void)platform::createFolders(*folder);
}

} // namespace pc::service
