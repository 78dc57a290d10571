#include "pc/service/transfer_handlers.h"

#include "platform/safe_name.h"
#include "proto/command_codes.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::service {

namespace {

std::int32_t clampedSize(std::uint64_t size)
{
    return static_cast<std::int32_t>(std::min<std::uint64_t>(size, INT32_MAX));
}

// The size of a regular file that can be opened for reading.
std::optional<std::uint64_t> readableFileSize(const std::filesystem::path& file)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!regular)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

} // namespace

std::string fileNameOfPcPath(std::string_view pcPath)
{
    std::size_t slash = pcPath.rfind('\\');
    return std::string(slash == std::string_view::npos ? pcPath : pcPath.substr(slash + 1));
}

TransferHandlers::TransferHandlers(DownloadStage& downloads, const PcPaths& paths, AnswerSink& answers,
    UploadReceiver& uploads)
    : m_downloads(downloads)
    , m_paths(paths)
    , m_answers(answers)
    , m_uploads(uploads)
{
}

void TransferHandlers::registerIn(DispatchTable& table)
{
    table.add(proto::kCodeDownload, [this](const CommandContext& c) { prepareDownload(c); });
    table.add(proto::kCodeDownloadWithPath, [this](const CommandContext& c) { prepareDownloadWithPath(c); });
    table.add(proto::kCodeUpload, [this](const CommandContext& c) { m_uploads.onRequest(c.first, c.text); });
}

std::optional<std::uint64_t> TransferHandlers::stageForDownload(std::string_view pcPath, const std::string& name)
{
    auto source = m_paths.toLocal(pcPath);
    if (!source)
        return std::nullopt;
    auto staged = m_downloads.stage(*source, name);
    if (!staged)
        return std::nullopt;
    return staged->size;
}

void TransferHandlers::prepareDownload(const CommandContext& context)
{
    std::string name = platform::safeFileName(fileNameOfPcPath(context.text));
    // A failed copy has no answer; the handheld's request times out.
    auto size = stageForDownload(context.text, name);
    if (!size)
        return;
    m_answers.sendAnswer({ clampedSize(*size), proto::kCodeDownload, name });
}

void TransferHandlers::prepareDownloadWithPath(const CommandContext& context)
{
    std::string name = platform::safeFileName(fileNameOfPcPath(context.text));
    (void)stageForDownload(context.text, name);
    // The size is the source's, as far as it can be opened for reading.
    auto source = m_paths.toLocal(context.text);
    auto size = source ? readableFileSize(*source) : std::nullopt;
    if (!size) {
        m_answers.sendAnswer({ 0, proto::kCodeDownloadWithPath, "" });
        return;
    }
    std::string text = context.text + "[_F_I_]" + name;
    m_answers.sendAnswer({ clampedSize(*size), proto::kCodeDownloadWithPath, text });
}

} // namespace pc::service
