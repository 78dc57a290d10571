#pragma once

// File: pc/service/transfer_handlers.h
// Codes 308 and 323 (put a PC file into the download folder for the
// handheld to fetch over HTTP; see download_stage.h) and 309 (announce or
// cancel an upload, handed to the UploadReceiver). Window thread only.

#include "pc/service/dispatch_table.h"
#include "pc/service/download_stage.h"
#include "pc/service/pc_paths.h"
#include "pc/service/service_ports.h"
#include "pc/service/upload_receiver.h"

#include <filesystem>
#include <optional>

namespace pc::service {

class TransferHandlers {
public:
    TransferHandlers(DownloadStage& downloads, const PcPaths& paths, AnswerSink& answers, UploadReceiver& uploads);

    void registerIn(DispatchTable& table);

    void prepareDownload(const CommandContext& context);         // 308
    void prepareDownloadWithPath(const CommandContext& context); // 323

private:
    // Stages the file in the download folder; its size, or nothing when it
    // could not be staged.
    std::optional<std::uint64_t> stageForDownload(std::string_view pcPath, const std::string& name);

    DownloadStage& m_downloads;
    const PcPaths& m_paths;
    AnswerSink& m_answers;
    UploadReceiver& m_uploads;
};

// The text after the last "\" of a PC path.
std::string fileNameOfPcPath(std::string_view pcPath);

} // namespace pc::service
