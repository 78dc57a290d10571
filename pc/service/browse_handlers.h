#pragma once

// File: pc/service/browse_handlers.h
// Codes 306 (list a folder), 302 (list viewable files, modes 0, 1, 2) and
// 307 (search). Each writes its list files into the service root and answers
// on the command channel; short lists also travel inline. Window thread only.

#include "pc/service/dispatch_table.h"
#include "pc/service/pc_paths.h"
#include "pc/service/service_ports.h"
#include "platform/codepage.h"

#include <filesystem>
#include <string>

namespace pc::service {

class BrowseHandlers {
public:
    // The list files are written in `codePage`, the handheld's code page.
    BrowseHandlers(std::filesystem::path serviceRoot, const PcPaths& paths, AnswerSink& answers,
        ProgressView& progress, std::string codePage = std::string(platform::kUtf8));

    void registerIn(DispatchTable& table);

    void listFolder(const CommandContext& context);   // 306
    void listViewable(const CommandContext& context); // 302
    void search(const CommandContext& context);       // 307

private:
    // Local folder of a PC path ending in "\"; an untranslatable path gives
    // a folder that does not exist, so the listing comes out empty.
    std::filesystem::path localFolder(std::string_view pcPath) const;

    std::filesystem::path m_root;
    const PcPaths& m_paths;
    AnswerSink& m_answers;
    ProgressView& m_progress;
    std::string m_codePage;
};

} // namespace pc::service
