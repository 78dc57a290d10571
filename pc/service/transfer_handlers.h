#pragma once

// File: pc/service/transfer_handlers.h
// Codes 308 and 323 (copy a PC file into the download folder for the
// handheld to fetch over HTTP) and 309 (announce or cancel an upload, handed
// to the UploadReceiver). Window thread only.

#include "pc/service/dispatch_table.h"
#include "pc/service/pc_paths.h"
#include "pc/service/service_ports.h"
#include "pc/service/upload_receiver.h"

#include <filesystem>

namespace pc::service {

class TransferHandlers {
public:
    TransferHandlers(std::filesystem::path downloadFolder, const PcPaths& paths, AnswerSink& answers,
        UploadReceiver& uploads);

    void registerIn(DispatchTable& table);

    void prepareDownload(const CommandContext& context);         // 308
    void prepareDownloadWithPath(const CommandContext& context); // 323

private:
    // Copies the file into the download folder; false when the copy failed.
    bool copyForDownload(std::string_view pcPath, const std::string& name) const;

    std::filesystem::path m_folder;
    const PcPaths& m_paths;
    AnswerSink& m_answers;
    UploadReceiver& m_uploads;
};

// The text after the last "\" of a PC path.
std::string fileNameOfPcPath(std::string_view pcPath);

} // namespace pc::service
