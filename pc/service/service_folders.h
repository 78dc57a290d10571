#pragma once

// File: pc/service/service_folders.h
// The folders of the PC program under its home folder: the service root
// "Quillon/" (also the web server's root) with "pda_ReqDoc/",
// "pda_Download/", "pda_Upload/" and "pda_Mail/", and the mail boxes
// "boxes/" with the saved logs in "boxes/log/".

#include <filesystem>

namespace pc::service {

struct ServiceFolders {
    std::filesystem::path root;
    std::filesystem::path requestedDocuments;
    std::filesystem::path downloads;
    std::filesystem::path uploads;
    std::filesystem::path mail;
    std::filesystem::path boxes;
    std::filesystem::path logs;

    static ServiceFolders under(const std::filesystem::path& home);
    // Creates each missing folder (owner only); failures are ignored.
    void create() const;
};

} // namespace pc::service
