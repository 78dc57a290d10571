#include "pc/service/upload_receiver.h"

#include "pc/service/safe_name.h"
#include "proto/command_codes.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace pc::service {

namespace {

constexpr std::int32_t kAnnounceAccepted = 0;
constexpr std::int32_t kAnnounceFileNotCreated = 7;
constexpr std::int32_t kPurposeMailAttachment = 1;

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
    closeFile(); // An earlier announcement that never completed.
    m_receivedTotal = 0;
    std::size_t first = text.find('\n');
    std::string sizeText(text.substr(0, std::min<std::size_t>(first, 32)));
    m_announcedSize = static_cast<std::int32_t>(std::atoi(sizeText.c_str()));
    std::string_view rest = first == std::string_view::npos ? std::string_view() : text.substr(first + 1);
    m_fileName = safeFileName(rest.substr(0, rest.find('\n')));
    m_purpose = purpose;

    std::filesystem::path target = m_folder / m_fileName;
    m_fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_fd < 0) {
        m_answers.sendAnswer({ kAnnounceFileNotCreated, proto::kCodeUpload, "" });
        return;
    }
    m_answers.sendAnswer({ kAnnounceAccepted, proto::kCodeUpload, "" });
    m_inProgress = true;
    m_progress.openProgress();
}

void UploadReceiver::cancel()
{
    closeFile();
    if (!m_fileName.empty()) {
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
    m_receivedTotal += static_cast<std::int32_t>(bytes.size());
    // An announced size of 0 (or a false one) gives no percentage.
    if (m_announcedSize > 0) {
        std::int64_t percent = static_cast<std::int64_t>(m_receivedTotal) * 100 / m_announcedSize;
        m_progress.setProgress(static_cast<int>(std::min<std::int64_t>(percent, 100)));
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
