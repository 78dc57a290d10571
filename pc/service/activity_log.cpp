#include "pc/service/activity_log.h"

#include "pc/service/file_search.h"
#include "platform/decimal_number.h"
#include "proto/command_codes.h"

#include <cstdio>

namespace pc::service {

namespace {

// A handheld that never waits for its answers must not grow the waiting lists.
constexpr std::size_t kMaxWaiting = 16;

constexpr std::int32_t kUploadAccepted = 0;
constexpr std::int32_t kUploadEnded = 1;

// "size\nname\n...", the announcement of code 309.
std::optional<std::pair<std::int64_t, std::string>> parseAnnouncement(std::string_view text)
{
    std::size_t first = text.find('\n');
    if (first == std::string_view::npos)
        return std::nullopt;
    auto size = platform::leadingDecimal<std::int64_t>(text.substr(0, first));
    std::string_view rest = text.substr(first + 1);
    return std::pair { size, std::string(rest.substr(0, rest.find('\n'))) };
}

std::string sizeOf(std::int64_t bytes)
{
    return formatSize(static_cast<std::uint64_t>(bytes < 0 ? 0 : bytes));
}

} // namespace

std::string formatSize(std::uint64_t bytes)
{
    if (bytes < 1024)
        return std::to_string(bytes) + " 바이트";
    static const char* const kUnits[] = { "KB", "MB", "GB", "TB" };
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

ActivityLog::ActivityLog(ServiceLog& log)
    : m_log(log)
{
}

void ActivityLog::onRequest(const CommandContext& context)
{
    switch (context.code) {
    case proto::kCodeUpload:
        if (context.text == proto::kUploadCancelWord) {
            if (m_upload)
                append("파일 업로드 취소: " + m_upload->name);
            m_upload.reset();
            return;
        }
        break;
    case proto::kCodeConvertDocument:
    case proto::kCodeSearch:
    case proto::kCodeDownload:
    case proto::kCodeDownloadWithPath:
        break;
    default:
        return;
    }
    auto& waiting = m_waiting[context.code];
    if (waiting.size() >= kMaxWaiting)
        waiting.pop_front();
    waiting.push_back(context.text);
}

std::optional<std::string> ActivityLog::take(std::int32_t code, bool newest)
{
    auto found = m_waiting.find(code);
    if (found == m_waiting.end() || found->second.empty())
        return std::nullopt;
    auto& waiting = found->second;
    std::string text = newest ? waiting.back() : waiting.front();
    if (newest)
        waiting.pop_back();
    else
        waiting.pop_front();
    return text;
}

void ActivityLog::onAnswer(const proto::PcAnswer& answer)
{
    switch (answer.code) {
    case proto::kCodeDownload:
        if (auto path = take(answer.code))
            append("파일 다운로드: " + *path + " (" + sizeOf(answer.first) + ")");
        return;
    case proto::kCodeDownloadWithPath:
        if (auto path = take(answer.code)) {
            append(answer.text.empty() ? "파일 다운로드 실패: " + *path + " - 파일을 열 수 없습니다"
                                       : "파일 다운로드: " + *path + " (" + sizeOf(answer.first) + ")");
        }
        return;
    case proto::kCodeSearch:
        if (auto text = take(answer.code)) {
            SearchQuery query = parseSearchQuery(*text);
            append("파일 검색: \"" + query.pattern + "\" (" + query.folder + ") - " + std::to_string(answer.first)
                + "개");
        }
        return;
    case proto::kCodeConvertDocument: {
        // "prev" answers the request just made, while an older one converts.
        bool busy = answer.text == "prev";
        if (auto path = take(answer.code, busy)) {
            if (busy)
                append("문서 보기: " + *path + " - 앞의 문서를 변환하는 중이라 받지 않았습니다");
            else
                append((answer.text == "fail" ? "문서 보기 실패: " : "문서 보기: ") + *path);
        }
        return;
    }
    case proto::kCodeUpload:
    case proto::kCodeAttachmentUploaded:
        onUploadAnswer(answer);
        return;
    default:
        return;
    }
}

void ActivityLog::onUploadAnswer(const proto::PcAnswer& answer)
{
    bool ended = answer.code == proto::kCodeAttachmentUploaded || answer.first == kUploadEnded;
    if (ended) {
        if (m_upload) {
            std::string kind = answer.code == proto::kCodeAttachmentUploaded ? "메일 첨부파일 업로드: " : "파일 업로드: ";
            append(kind + m_upload->name + " (" + sizeOf(m_upload->size) + ")");
        }
        m_upload.reset();
        return;
    }
    auto text = take(proto::kCodeUpload);
    auto announced = text ? parseAnnouncement(*text) : std::nullopt;
    if (!announced)
        return;
    if (answer.first == kUploadAccepted)
        m_upload = Upload { announced->second, announced->first };
    else
        append("파일 업로드 실패: " + announced->second + " - 파일을 만들 수 없습니다");
}

void ActivityLog::onUploadStopped(std::int64_t received)
{
    if (!m_upload)
        return;
    append("파일 업로드 중단: " + m_upload->name + " (" + sizeOf(received) + " / " + sizeOf(m_upload->size) + ")");
    m_upload.reset();
}

} // namespace pc::service
