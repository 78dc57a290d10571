#include "pc/service/upload_receiver.h"

#include "platform/files.h"
#include "platform/safe_name.h"
#include "platform/tls/file_digest.h"
#include "proto/command_codes.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::service {

namespace {

constexpr std::int32_t kAnnounceAccepted = 0;
constexpr std::int32_t kAnnounceFileNotCreated = 7;
constexpr std::int32_t kPurposeMailAttachment = 1;
constexpr mode_t kUploadFileMode = 0644;

// The last component of an announced name, as the handheld means it.
bool namesAFile(std::string_view name)
{
    std::string_view last = platform::lastPathComponent(name);
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
    m_owner = 0;
    proto::UploadAnnouncement announced = proto::parseUploadAnnouncement(text);
    // A negative size announces nothing that could be written.
    m_announcedSize = std::max<std::int32_t>(0, announced.size);
    const std::string& name = announced.name;
    m_fileName = platform::safeFileName(platform::lastPathComponent(name));
    m_purpose = purpose;

    m_windowed = m_windowAllowed && proto::announcesWindow(text);
    // A name that is no file name (empty, "." or "..") names the folder
    // itself, which cannot be created as a file.
    if (namesAFile(name) && m_windowed) {
        (void)openWindowed();
    } else if (namesAFile(name)) {
        auto created = platform::createReplacing(m_folder / m_fileName, kUploadFileMode);
        m_fd = created ? *created : -1;
    }
    if (m_fd < 0) {
        m_fileName.clear();
        m_answers.sendAnswer({ kAnnounceFileNotCreated, proto::kCodeUpload, "" });
        return;
    }
    if (!m_windowed)
        m_answers.sendAnswer({ kAnnounceAccepted, proto::kCodeUpload, "" });
    m_inProgress = true;
    m_progress.openProgress();
    if (m_windowed)
        tellHeld();
}

bool UploadReceiver::openWindowed()
{
    // The file is kept: what it holds of the announced size may be the
    // beginning of this very file, which the handheld then continues.
    m_fd = ::open((m_folder / m_fileName).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kUploadFileMode);
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        closeFile();
        return false;
    }
    auto size = static_cast<std::uint64_t>(info.st_size);
    m_held = size <= static_cast<std::uint64_t>(m_announcedSize) ? size : 0;
    m_window.begin(m_fd, m_held, static_cast<std::uint64_t>(m_announcedSize));
    return true;
}

void UploadReceiver::tellHeld()
{
    const std::uint64_t held = m_held;
    auto told = [this, held](std::optional<std::string> hex) { answerHeld(held, std::move(hex)); };
    if (held > 0 && m_digest && m_digest->start(m_fd, held, told))
        return;
    told(platform::sha256OfPrefix(m_fd, held));
}

void UploadReceiver::answerHeld(std::uint64_t held, std::optional<std::string> sha256Hex)
{
    if (!sha256Hex) {
        // The part cannot be read back: the handheld starts from zero.
        held = 0;
        m_window.begin(m_fd, 0, static_cast<std::uint64_t>(m_announcedSize));
        sha256Hex = platform::sha256OfPrefix(m_fd, 0);
    }
    m_answers.sendAnswer({ kAnnounceAccepted, proto::kCodeUpload, proto::formatHeldAnswer(held, sha256Hex.value_or("")) });
}

bool UploadReceiver::isOwnedBy(ConnectionId connection)
{
    if (!m_inProgress)
        return false;
    if (m_owner == 0)
        m_owner = connection;
    return m_owner == connection;
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
    m_owner = 0;
    m_progress.closeProgress();
}

void UploadReceiver::complete()
{
    finish();
    if (m_purpose == kPurposeMailAttachment)
        m_answers.sendAnswer({ 0, proto::kCodeAttachmentUploaded, "" });
    else
        m_answers.sendAnswer({ 1, proto::kCodeUpload, "", shownPath() });
}

std::string UploadReceiver::shownPath() const
{
    if (m_shownFolder.empty())
        return {};
    // A folder outside every drive is named by its local path.
    const char separator = m_shownFolder.find('/') != std::string::npos ? '/' : '\\';
    std::string path = m_shownFolder;
    if (path.back() != separator)
        path += separator;
    return path + m_fileName;
}

UploadReceiver::Reply UploadReceiver::onReceived(ConnectionId connection, std::optional<std::string_view> bytes)
{
    // Blocks of a connection the upload does not belong to (or with no
    // upload running) are neither written nor acknowledged.
    if (!isOwnedBy(connection))
        return {};
    if (m_windowed)
        return bytes ? onFrames(*bytes) : Reply { std::nullopt, {}, true };
    proto::UploadOutcome outcome = bytes ? proto::classifyUploadBlock(*bytes) : proto::UploadOutcome::Error;
    switch (outcome) {
    case proto::UploadOutcome::Data:
        return onData(*bytes);
    case proto::UploadOutcome::Complete:
        complete();
        return {};
    case proto::UploadOutcome::Cancel:
    case proto::UploadOutcome::Error:
        finish();
        return {};
    }
    return {};
}

UploadReceiver::Reply UploadReceiver::onFrames(std::string_view bytes)
{
    auto result = m_window.onBytes(bytes);
    m_receivedTotal = static_cast<std::int32_t>(m_window.total());
    if (m_announcedSize > 0 && !result.acks.empty())
        m_progress.setProgress(static_cast<int>(m_window.total() * 100 / static_cast<std::uint64_t>(m_announcedSize)));
    Reply reply { std::nullopt, std::move(result.acks), false };
    switch (result.step) {
    case WindowReceiver::Step::Continue:
        break;
    case WindowReceiver::Step::Complete:
        complete();
        break;
    case WindowReceiver::Step::Cancelled:
        finish();
        break;
    case WindowReceiver::Step::Broken:
        // What was written stays for the next try; the connection goes.
        finish();
        reply.closeConnection = true;
        break;
    }
    return reply;
}

UploadReceiver::Reply UploadReceiver::onData(std::string_view bytes)
{
    // Bytes beyond the announced size end the upload as an error: the file
    // keeps what was announced, and nothing more is acknowledged.
    auto room = static_cast<std::size_t>(m_announcedSize - m_receivedTotal);
    if (bytes.size() > room || !platform::writeAll(m_fd, bytes, m_fileName)) {
        if (bytes.size() > room)
            (void)platform::writeAll(m_fd, bytes.substr(0, room), m_fileName);
        finish();
        return Reply { std::nullopt, {}, true };
    }
    m_receivedTotal += static_cast<std::int32_t>(bytes.size());
    // An announced size of 0 gives no percentage.
    if (m_announcedSize > 0) {
        std::int64_t percent = static_cast<std::int64_t>(m_receivedTotal) * 100 / m_announcedSize;
        m_progress.setProgress(static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)));
    }
    return Reply { proto::formatUploadAck(m_receivedTotal), {}, false };
}

void UploadReceiver::onAckFailed(ConnectionId connection)
{
    if (m_owner == connection)
        finish();
}

void UploadReceiver::onConnectionClosed(ConnectionId connection)
{
    if (!m_inProgress || m_owner != connection)
        return;
    // Every announced byte arrived and was acknowledged: the upload is
    // whole, even if its end marker was lost with the connection. A
    // windowed upload keeps its part for the next try.
    if (m_receivedTotal == m_announcedSize && (!m_windowed || m_window.started()))
        complete();
    else if (m_windowed)
        finish();
    else
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
    m_owner = 0;
    closeFile();
    if (wasRunning)
        m_progress.closeProgress();
}

void UploadReceiver::closeFile()
{
    // An answer still being made belongs to the upload that ends here.
    if (m_digest)
        m_digest->cancel();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace pc::service
