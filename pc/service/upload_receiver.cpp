#include "pc/service/upload_receiver.h"

#include "pc/service/safe_name.h"
#include "proto/command_codes.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace pc::service {

namespace {

constexpr std::int32_t kAnnounceAccepted = 0;
constexpr std::int32_t kAnnounceFileNotCreated = 7;
constexpr std::int32_t kPurposeMailAttachment = 1;

// The leading decimal number of the text, as the C library reads it, kept
// within the signed 32-bit range.
std::int32_t leadingInt32(std::string_view text)
{
    std::string copy(text.substr(0, 32));
    long long value = std::strtoll(copy.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

// The last component of an announced name, as the handheld means it.
bool namesAFile(std::string_view name)
{
    std::size_t slash = name.find_last_of("\\/");
    std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return !last.empty() && last != "." && last != "..";
}

} // namespace

UploadReceiver::UploadReceiver(std::filesystem::path uploadFolder, AnswerSink& answers, ProgressView& progress)
    : m_folder(std::move(uploadFolder))
    , m_answers(answers)
    , m_progress(progress)
{
}

UploadReceiver::~UploadReceiver()
{
    closeFile();
}

void UploadReceiver::onRequest(std::int32_t purpose, std::string_view text)
{
    if (text == proto::kUploadCancelWord) {
        cancel();
        return;
    }
    // A new announcement ends an earlier one that never completed, so that a
    // failed announcement leaves no upload running (whose connection loss
    // would delete the file just refused).
    finish();
    m_receivedTotal = 0;
    std::size_t first = text.find('\n');
    m_announcedSize = leadingInt32(text.substr(0, first));
    std::string_view rest = first == std::string_view::npos ? std::string_view() : text.substr(first + 1);
    std::string_view name = rest.substr(0, rest.find('\n'));
    m_fileName = safeFileName(name);
    m_purpose = purpose;

    // A name that is no file name (empty, "." or "..") names the folder
    // itself, which cannot be created as a file.
    std::filesystem::path target = m_folder / m_fileName;
    m_fd = namesAFile(name) ? ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644) : -1;
    if (m_fd < 0) {
        m_fileName.clear();
        m_answers.sendAnswer({ kAnnounceFileNotCreated, proto::kCodeUpload, "" });
        return;
    }
    m_answers.sendAnswer({ kAnnounceAccepted, proto::kCodeUpload, "" });
    m_inProgress = true;
    m_progress.openProgress();
}

void UploadReceiver::cancel()
{
    // Only the file of a running upload is partial; a finished upload, or one
    // ended by a cancel or error marker, keeps its file.
    bool wasRunning = m_inProgress;
    closeFile();
    if (wasRunning && !m_fileName.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_folder / m_fileName, ignored);
    }
    m_inProgress = false;
    m_progress.closeProgress();
}

std::optional<proto::UploadAck> UploadReceiver::onReceived(std::optional<std::string_view> bytes)
{
    proto::UploadOutcome outcome = bytes ? proto::classifyUploadBlock(*bytes) : proto::UploadOutcome::Error;
    switch (outcome) {
    case proto::UploadOutcome::Data:
        return onData(*bytes);
    case proto::UploadOutcome::Complete: {
        bool wasRunning = m_inProgress;
        finish();
        // Without an announcement there is nothing to report.
        if (wasRunning) {
            if (m_purpose == kPurposeMailAttachment)
                m_answers.sendAnswer({ 0, proto::kCodeAttachmentUploaded, "" });
            else
                m_answers.sendAnswer({ 1, proto::kCodeUpload, "" });
        }
        return std::nullopt;
    }
    case proto::UploadOutcome::Cancel:
    case proto::UploadOutcome::Error:
        finish();
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<proto::UploadAck> UploadReceiver::onData(std::string_view bytes)
{
    if (m_fd >= 0) {
        const char* data = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            ssize_t written = ::write(m_fd, data, left);
            if (written <= 0)
                break;
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    // The total is a signed 32-bit number on the wire; past 2 GiB it wraps
    // as it always did, without overflowing here.
    m_receivedTotal = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_receivedTotal) + bytes.size());
    // An announced size of 0 (or a false one) gives no percentage.
    if (m_announcedSize > 0) {
        std::int64_t percent = static_cast<std::int64_t>(m_receivedTotal) * 100 / m_announcedSize;
        m_progress.setProgress(static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)));
    }
    return proto::formatUploadAck(m_receivedTotal);
}

void UploadReceiver::onAckFailed()
{
    finish();
}

void UploadReceiver::onConnectionClosed()
{
    if (m_inProgress)
        cancel();
}

void UploadReceiver::reset()
{
    finish();
}

void UploadReceiver::finish()
{
    bool wasRunning = m_inProgress;
    m_inProgress = false;
    closeFile();
    if (wasRunning)
        m_progress.closeProgress();
}

void UploadReceiver::closeFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace pc::service
