#pragma once

// File: pocket/mypc/mypc_transfer.h
// The transfer worker: a download with progress, from the PC's web server
// (a PC file, kind 0), from the web (a web file, kind 3), of a mail
// attachment (kind 4) or of a mail's content, streamed in 512-byte blocks
// straight into a file of the handheld's download folder ("saveFilePath",
// or "webFolderPath" for web files) or where the request says. One transfer
// runs at a time, whoever started it (a download, a saved web page, a mail
// or its attachment), so that the "현재 [%s]…" questions cover them all; it
// runs on a thread of its own; the
// worker posts its progress and its end to the TransferRunner, which draws
// the progress dialog and shows the messages on the window thread. The
// window thread cancels by clearing the running flag; the worker stops after
// the current block. PC files are written as a part that a cut leaves
// for the next download of the same file to continue (part_download.h).
//
//     TransferRunner runner(loop, ui, settings, device, progressView);
//     runner.start({ size, TransferKind::PcFile, "10.0.0.2:91\\pda_Download\\a.txt", "a.txt" }, "파일 저장");

#include "platform/event_loop.h"
#include "platform/http_fetch.h"
#include "pocket/mypc/transfer_progress_text.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace platform {
class Ui;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::mypc {

class PartDownload;

enum class TransferKind : int {
    PcFile = 0,
    WebFile = 3,
    MailAttachment = 4,
    // The content of a mail (the program's own number): no message when it
    // is saved, the mail is shown instead.
    MailContent = 5,
};

constexpr std::size_t kTransferUrlChars = 255;
constexpr const char* kActivitySaveFile = "파일 저장";
constexpr const char* kActivitySaveWebPage = "웹 페이지 저장";

// The progress dialog: a bar (0-100), the "전체사이즈 :" line, the
// "받은사이즈 :" (or "보낸사이즈 :") line, the speed and time left, and "취소".
// The texts come from transfer_progress_text.h.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void openProgress(const std::string& title) = 0;
    virtual void setTotalLine(const std::string& text) = 0;
    virtual void setDoneLine(const std::string& text) = 0;
    // "속도 : …, 남은 시간 : …"; empty until the speed is known. Views
    // without room for it leave it out.
    virtual void setRateLine(const std::string&) { }
    // "이어받기 : … 부터" when the transfer continues a cut one's bytes.
    virtual void setResumedLine(const std::string&) { }
    virtual void setBar(int percent) = 0;
    virtual void closeProgress() = 0;
};

enum class TransferOutcome {
    Saved,
    Cancelled,
    OpenFailed,  // No answer, a bad address or an error status.
    WriteFailed, // The destination could not be created or written.
    Broken,      // The transfer broke off; the partial file is removed.
    TooLarge,    // More than the limit arrived; the partial file is removed.
    NoConnection, // The handheld has no connection to the network.
};

struct TransferRequest {
    std::int64_t expectedSize = 0; // Bytes; 0 = unknown.
    TransferKind kind = TransferKind::PcFile;
    std::string url;   // Fixed up before the fetch ("%s:91\pda_Download\%s").
    std::string title; // The file name: dialog title and destination name.
    // For PC files: the transfer stops, and fails, once more than this has
    // arrived ("maxfilesize" kilobytes); 0 = no limit.
    std::int64_t limitBytes = 0;
    // Where the file goes; empty: the download folder of the kind, under
    // the title.
    std::filesystem::path destination {};
    // Draws the progress instead of the progress dialog (the mail list's bar).
    ProgressView* progress = nullptr;
    // Told on the window thread how the transfer ended, after its message.
    std::function<void(TransferOutcome)> done {};
};

// The bar of a running download. PC files count against the limit when the
// size is unknown or above it, else against the size; other kinds count
// against a known size, and with an unknown size the bar advances by 2 per
// block and starts again at 0 after 100 (`spinner` keeps that position).
int downloadPercent(const TransferRequest& request, std::int64_t received, int& spinner);

// The bytes of a URL path other than unreserved characters and "/\:"
// written as %XX, so that names with spaces or Korean letters travel.
std::string percentEncodePath(std::string_view text);

class TransferRunner final : public platform::MessageTarget {
public:
    static constexpr int kMsgProgress = 1540; // wParam: transfer serial, lParam: bytes received.
    static constexpr int kMsgDone = 1541;     // wParam: transfer serial, lParam: TransferOutcome.
    static constexpr int kMsgResumed = 1542;  // wParam: transfer serial, lParam: bytes already kept.

    TransferRunner(platform::EventLoop& loop, platform::Ui& ui, const settings::PdaSettings& settings, const device::DeviceRoot& device,
        ProgressView& view, platform::HttpFetchOptions options = {});
    ~TransferRunner() override;

    // The private link's pins for the worker's fetches (set before any runs).
    void setPinLookup(platform::HttpFetch::PinLookup lookup) { m_fetch.setPinLookup(std::move(lookup)); }

    // Shows the progress dialog and starts the worker; `activity` names the
    // transfer for the running-transfer question. False (with its message)
    // when nothing was started. A running transfer is cancelled first.
    bool start(TransferRequest request, std::string activity);

    bool isRunning() const { return m_running.load(); }
    const std::string& activity() const { return m_activity; }
    // Clears the running flag: the worker stops after its current block.
    void cancel();

    // Told on the window thread when a transfer has ended.
    void setFinishedHandler(std::function<void(TransferOutcome)> handler) { m_finished = std::move(handler); }

    // Where a transfer of this request is saved.
    std::filesystem::path destinationOf(const TransferRequest& request) const;

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void work(std::uint64_t serial, std::string url, std::filesystem::path destination, std::int64_t limit);
    // The handheld download folder of a kind ("saveFilePath", "webFolderPath").
    const std::string& folderOf(TransferKind kind) const;
    // The saved message, with the file's handheld path.
    std::string savedText(const TransferRequest& request) const;
    // One GET into the part; Broken with m_restart set when the answer asks
    // for a fetch from zero.
    TransferOutcome fetchInto(PartDownload& part, std::uint64_t serial, const std::string& url, std::int64_t limit,
        const platform::FetchRange& range);
    // The running request's progress view.
    ProgressView& view();
    void finish(TransferOutcome outcome);
    void join();

    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    const settings::PdaSettings& m_settings;
    const device::DeviceRoot& m_device;
    ProgressView& m_view;
    platform::HttpFetch m_fetch; // The worker's only.
    std::thread m_worker;
    std::atomic<bool> m_running { false };
    std::atomic<std::uint64_t> m_serial { 0 };
    TransferRequest m_request;
    std::string m_activity;
    int m_spinner = 0;
    TransferMeter m_meter;
    bool m_cancelled = false;
    bool m_restart = false; // The worker's only.
    std::function<void(TransferOutcome)> m_finished;
};

} // namespace pocket::mypc
