#pragma once

// File: pc/service/activity_log.h
// One line in the PC's log for each thing the handheld does: downloads,
// uploads, searches and document views, with the file, its size and the
// outcome, so that the owner sees who did what. It reads the requests as
// they are dispatched and the answers as they leave, and so needs nothing
// from the handlers. (Mail checks and sends are logged by the mail relay,
// which knows their causes.) Window thread only.
//
//     파일 다운로드: C:\docs\report.doc (1.2 MB)
//     파일 업로드: photo.jpg (2.4 KB)
//     파일 검색: "*.hwp" (C:\docs\) - 12개
//     문서 보기 실패: C:\docs\a.pdf

#include "pc/service/dispatch_table.h"
#include "pc/service/service_ports.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>

namespace pc::service {

// "512 바이트", "2.4 KB", "287.0 MB", "1.5 GB".
[[nodiscard]] std::string formatSize(std::uint64_t bytes);

class ActivityLog {
public:
    explicit ActivityLog(ServiceLog& log);

    // A request about to run.
    void onRequest(const CommandContext& context);
    // An answer about to leave.
    void onAnswer(const proto::PcAnswer& answer);
    // The running upload ended without its end answer: cancelled, broken
    // off or reset, after `received` bytes.
    void onUploadStopped(std::int64_t received);

private:
    struct Upload {
        std::string name;
        std::int64_t size = 0;
    };

    std::optional<std::string> take(std::int32_t code, bool newest = false);
    void onUploadAnswer(const proto::PcAnswer& answer);
    void append(const std::string& line) { m_log.appendLog(line + "\n"); }

    ServiceLog& m_log;
    // Request texts waiting for their answers, by code, oldest first.
    std::map<std::int32_t, std::deque<std::string>> m_waiting;
    std::optional<Upload> m_upload;
};

} // namespace pc::service
