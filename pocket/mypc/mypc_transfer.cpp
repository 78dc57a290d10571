#include "pocket/mypc/mypc_transfer.h"

#include "platform/codepage.h"
#include "platform/safe_name.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/part_download.h"
#include "pocket/settings/pda_settings.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

namespace pocket::mypc {

namespace {

constexpr const char* kFileUrlText = "이 페이지는 저장할 수 없거나 잘못된 주소입니다.";
constexpr const char* kOpenFailedText = "잘못된 주소이거나 네트워크 에러입니다.";
constexpr const char* kNoConnectionText = "현재 인터넷연결이 되어 있지 않습니다.";
constexpr const char* kWriteFailedText = "파일에 쓰는중 에러가 발생하였습니다. \n다시 시도해주세요!";
constexpr const char* kSavedText = "파일다운로드 폴더에 저장되었습니다.";
constexpr const char* kWebSavedText = "웹파일다운로드 폴더에 저장되었습니다.";
constexpr const char* kThreadFailedText = "thread 생성실패! \n다시 시도해주세요.";
// The size question's first sentence: the file outgrew the limit on the way.
constexpr const char* kTooLargeText = "데이터 크기가 설정해 놓으신 크기보다 큽니다.";

int percentOf(std::int64_t part, std::int64_t whole)
{
    return static_cast<int>(std::clamp<std::int64_t>(part * 100 / whole, 0, 100));
}

} // namespace

int downloadPercent(const TransferRequest& request, std::int64_t received, int& spinner)
{
    std::int64_t size = request.expectedSize;
    if (request.kind == TransferKind::PcFile) {
        std::int64_t limit = request.limitBytes;
        std::int64_t whole = (size <= 0 || (limit > 0 && size > limit)) ? limit : size;
        if (whole > 0)
            return percentOf(received, whole);
    } else if (size > 0) {
        return percentOf(received, size);
    }
    spinner = spinner >= 100 ? 0 : spinner + 2;
    return spinner;
}

std::string percentEncodePath(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || std::string_view("-._~/\\:").find(c) != std::string_view::npos;
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0f];
        }
    }
    return encoded;
}

TransferRunner::TransferRunner(platform::EventLoop& loop, platform::Ui& ui, const settings::PdaSettings& settings,
    const device::DeviceRoot& device, ProgressView& view, platform::HttpFetchOptions options)
    : m_loop(loop)
    , m_ui(ui)
    , m_settings(settings)
    , m_device(device)
    , m_view(view)
    , m_fetch(std::move(options))
{
}

TransferRunner::~TransferRunner()
{
    cancel();
    join();
}

const std::string& TransferRunner::folderOf(TransferKind kind) const
{
    return kind == TransferKind::WebFile ? m_settings.webFolderPath : m_settings.saveFilePath;
}

std::filesystem::path TransferRunner::destinationOf(const TransferRequest& request) const
{
    if (!request.destination.empty())
        return request.destination;
    return m_device.toLocal(folderOf(request.kind)) / platform::safeFileName(platform::lastPathComponent(request.title));
}

std::string TransferRunner::savedText(const TransferRequest& request) const
{
    // The folder by the path the option sheet shows, so the user finds the
    // file where the settings say.
    std::string text = request.kind == TransferKind::WebFile ? kWebSavedText : kSavedText;
    if (!request.destination.empty())
        return text;
    std::string folder = folderOf(request.kind);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return text + "\n\n" + folder + platform::safeFileName(platform::lastPathComponent(request.title));
}

ProgressView& TransferRunner::view()
{
    return m_request.progress ? *m_request.progress : m_view;
}

bool TransferRunner::start(TransferRequest request, std::string activity)
{
    if (isRunning()) {
        // The transfer it replaces never reports: its own bar goes now.
        cancel();
        if (m_request.progress && m_request.progress != request.progress)
            m_request.progress->closeProgress();
    }
    join();
    ProgressView& view = request.progress ? *request.progress : m_view;
    view.openProgress(request.title);
    if (request.url.find("file://") != std::string::npos) {
        m_ui.messageBox(kMyPcTitle, kFileUrlText, platform::Icon::Warning);
        view.closeProgress();
        return false;
    }
    // The addresses the user sees are cut at 255 characters; the mail's own
    // addresses, made of the PC's names, travel whole.
    const bool userAddress = request.kind == TransferKind::PcFile || request.kind == TransferKind::WebFile;
    const std::string_view address
        = userAddress ? platform::cutCodePoints(request.url, kTransferUrlChars) : std::string_view(request.url);
    auto url = link::fixUpUrl(m_ui, link::lowerCaseSchemeAndHost(address));
    if (!url) {
        view.closeProgress();
        return false;
    }
    auto destination = destinationOf(request);

    m_request = std::move(request);
    m_activity = std::move(activity);
    m_spinner = 0;
    m_cancelled = false;
    view.setTotalLine(totalLine(m_request.expectedSize));
    view.setDoneLine(doneLine(TransferDirection::Received, 0));
    view.setRateLine({});
    view.setBar(0);
    m_meter.start(m_loop.clock().ticks(), m_request.expectedSize);

    std::int64_t limit = m_request.kind == TransferKind::PcFile ? m_request.limitBytes : 0;
    std::uint64_t serial = ++m_serial;
    m_running = true;
    try {
        m_worker = std::thread([this, serial, url = *url, destination, limit] { work(serial, url, destination, limit); });
    } catch (const std::system_error&) {
        m_running = false;
        m_ui.messageBox(kMyPcTitle, kThreadFailedText, platform::Icon::Warning);
        view.closeProgress();
        m_request = {};
        return false;
    }
    return true;
}

void TransferRunner::cancel()
{
    if (!m_running.exchange(false))
        return;
    m_cancelled = true;
    // Also wakes a fetch that waits for a silent peer.
    m_fetch.cancel();
}

void TransferRunner::join()
{
    if (m_worker.joinable())
        m_worker.join();
}

void TransferRunner::work(std::uint64_t serial, std::string url, std::filesystem::path destination, std::int64_t limit)
{
    // Worker thread: touches only the fetch, the file and the running flag,
    // and posts everything else. PC files continue a part a cut left.
    PartDownload part(destination, url, m_request.kind == TransferKind::PcFile);
    TransferOutcome outcome = fetchInto(part, serial, url, limit, part.resumePoint());
    if (outcome == TransferOutcome::Broken && m_restart)
        outcome = fetchInto(part, serial, url, limit, {});
    // An error page, a broken or cancelled body is not the file that was
    // asked for: only a whole file takes the destination's name.
    if (outcome == TransferOutcome::Saved && !part.finish())
        outcome = TransferOutcome::WriteFailed;
    if (outcome == TransferOutcome::Broken || outcome == TransferOutcome::OpenFailed
        || outcome == TransferOutcome::NoConnection)
        part.keepIfResumable();
    else if (outcome != TransferOutcome::Saved)
        part.discard();
    m_loop.post(this, kMsgDone, serial, static_cast<platform::LParam>(outcome));
}

TransferOutcome TransferRunner::fetchInto(PartDownload& part, std::uint64_t serial, const std::string& url,
    std::int64_t limit, const platform::FetchRange& range)
{
    m_restart = false;
    bool writeFailed = false;
    bool limitReached = false;
    bool errorStatus = false;
    auto onHead = [&](const platform::HttpResponse& head) {
        switch (part.onHead(head)) {
        case PartDownload::Head::Write:
            if (head.status == 206)
                m_loop.post(this, kMsgResumed, serial, static_cast<platform::LParam>(part.received()));
            return true;
        case PartDownload::Head::Restart:
            m_restart = true;
            return false;
        case PartDownload::Head::Fail:
            // An error page, or a part that cannot be written.
            errorStatus = head.status < 200 || head.status >= 300;
            writeFailed = !errorStatus;
            return false;
        }
        return false;
    };
    auto response = m_fetch.get(url, [&](std::string_view block) {
        if (!m_running.load())
            return false;
        auto received = static_cast<std::int64_t>(part.received() + block.size());
        if (limit > 0 && received > limit) {
            limitReached = true;
            return false;
        }
        if (!part.write(block)) {
            writeFailed = true;
            return false;
        }
        m_loop.post(this, kMsgProgress, serial, static_cast<platform::LParam>(received));
        return true;
    }, {}, range, onHead);

    if (m_restart)
        return TransferOutcome::Broken;
    if (writeFailed)
        return TransferOutcome::WriteFailed;
    if (limitReached)
        return TransferOutcome::TooLarge; // A file cut short is not the file.
    const bool anyBody = part.received() > range.from;
    if (!response && !anyBody && link::isNoConnection(response.error()))
        return TransferOutcome::NoConnection;
    if (!response)
        return anyBody ? TransferOutcome::Broken : TransferOutcome::OpenFailed;
    if (errorStatus)
        return TransferOutcome::OpenFailed;
    if (response->cancelled)
        return TransferOutcome::Cancelled;
    if (response->status < 200 || response->status >= 300)
        return TransferOutcome::OpenFailed;
    return TransferOutcome::Saved;
}

platform::LResult TransferRunner::onMessage(int msg, platform::WParam wParam, platform::LParam lParam)
{
    if (wParam != m_serial.load())
        return 0; // A cancelled transfer's late news.
    if (msg == kMsgProgress) {
        if (!m_running.load())
            return 0;
        m_meter.update(lParam, m_loop.clock().ticks());
        view().setDoneLine(doneLine(TransferDirection::Received, lParam));
        view().setRateLine(m_meter.rateLine());
        view().setBar(downloadPercent(m_request, lParam, m_spinner));
    } else if (msg == kMsgResumed) {
        m_meter.start(m_loop.clock().ticks(), m_request.expectedSize, lParam);
        view().setResumedLine(resumedLine(TransferDirection::Received, lParam));
    } else if (msg == kMsgDone) {
        finish(static_cast<TransferOutcome>(lParam));
    }
    return 0;
}

void TransferRunner::finish(TransferOutcome outcome)
{
    join();
    if (m_cancelled)
        outcome = TransferOutcome::Cancelled;
    m_running = false;
    view().setBar(100);
    view().closeProgress();
    switch (outcome) {
    case TransferOutcome::Saved:
        if (m_request.kind != TransferKind::MailContent)
            m_ui.messageBox(kMyPcTitle, savedText(m_request), platform::Icon::Information);
        break;
    case TransferOutcome::NoConnection:
        m_ui.messageBox(kMyPcTitle, kNoConnectionText, platform::Icon::Warning);
        break;
    case TransferOutcome::OpenFailed:
    case TransferOutcome::Broken:
        m_ui.messageBox(kMyPcTitle, kOpenFailedText, platform::Icon::Warning);
        break;
    case TransferOutcome::WriteFailed:
        m_ui.messageBox(kMyPcTitle, kWriteFailedText, platform::Icon::Warning);
        break;
    case TransferOutcome::TooLarge:
        m_ui.messageBox(kMyPcTitle, std::string(kTooLargeText) + "\n\n" + sizeAgainstLimit(0, m_request.limitBytes),
            platform::Icon::Warning);
        break;
    case TransferOutcome::Cancelled:
        break;
    }
    auto done = std::move(m_request.done);
    m_request.done = nullptr;
    m_request.progress = nullptr;
    if (done)
        done(outcome);
    if (m_finished)
        m_finished(outcome);
}

} // namespace pocket::mypc
