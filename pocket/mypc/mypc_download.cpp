#include "pocket/mypc/mypc_download.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/link/pc_link.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/transfer_progress_text.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"
#include "proto/pc_answer.h"

namespace pocket::mypc {

namespace {

constexpr std::string_view kNameMarker = "[_F_I_]";
constexpr const char* kUnavailableText = "이파일은 현재 사용중이거나 다른 이유로 다운로드 받으실 수 없습니다.";
constexpr const char* kZeroSizeText = "이파일은 사이즈가 0인 파일입니다.";
constexpr const char* kTooLargeQuestion = "데이터 크기가 설정해 놓으신 크기보다 큽니다. 받으시겠습니까?";
constexpr std::size_t kPcPathChars = 1023;

std::string receiveQuestion(std::string_view pcPath)
{
    return "\"" + std::string(pcPath) + "\" 을 받으시겠습니까?";
}

std::string runningQuestion(const std::string& activity)
{
    return "현재 [" + activity + "]을 하는 중입니다. 취소하시겠습니까?";
}

} // namespace

std::optional<DownloadAnswer> parseDownloadAnswer(std::string_view text)
{
    std::size_t marker = text.find(kNameMarker);
    if (marker == std::string_view::npos)
        return std::nullopt;
    DownloadAnswer answer { std::string(text.substr(0, marker)), std::string(text.substr(marker + kNameMarker.size())) };
    if (answer.name.empty())
        return std::nullopt;
    return answer;
}

MyPcDownload::MyPcDownload(link::PcLink& link, const settings::PdaSettings& settings, platform::Ui& ui, MyPcBusy& busy,
    TransferRunner& runner)
    : m_link(link)
    , m_settings(settings)
    , m_ui(ui)
    , m_busy(busy)
    , m_runner(runner)
{
    m_link.setHandler(proto::kCodeDownloadWithPath, [this](const proto::PcAnswer& answer) { onAnswer(answer); });
    m_link.addResetListener([this] { reset(); });
}

void MyPcDownload::reset()
{
    if (m_waiting)
        m_busy.clear();
    m_waiting = false;
}

bool MyPcDownload::request(std::string_view pcPath)
{
    if (m_busy.refuse())
        return false;
    if (pcPath.empty() || pcPath.front() == '\\')
        return false;
    std::string path = std::string(platform::cutCodePoints(pcPath, kPcPathChars));
    if (m_ui.question(kMyPcTitle, receiveQuestion(path), platform::Buttons::OkCancel) != platform::Answer::Ok)
        return false;
    if (!m_link.sendRequest(0, proto::kCodeDownloadWithPath, path))
        return false;
    m_busy.set();
    m_waiting = true;
    return true;
}

void MyPcDownload::onAnswer(const proto::PcAnswer& answer)
{
    // Only the answer to our own request: a stray 323 starts nothing.
    if (!m_waiting)
        return;
    m_waiting = false;
    auto parsed = parseDownloadAnswer(answer.text);
    if (answer.text.empty() || (answer.first != 0 && !parsed)) {
        m_busy.clear();
        m_ui.messageBox(kMyPcTitle, kUnavailableText, platform::Icon::Warning);
        return;
    }
    if (answer.first <= 0) {
        m_busy.clear();
        m_ui.messageBox(kMyPcTitle, kZeroSizeText, platform::Icon::Information);
        return;
    }
    startTransfer(answer.first, *parsed);
    m_busy.clear();
}

void MyPcDownload::startTransfer(std::int32_t size, const DownloadAnswer& answer)
{
    std::int64_t limit = static_cast<std::int64_t>(m_settings.maxFileSizeKb) * 1024;
    bool confirmedLarger = false;
    if (limit >= 0 && size > limit) {
        std::string question = std::string(kTooLargeQuestion) + "\n\n" + sizeAgainstLimit(size, limit);
        if (m_ui.question(kMyPcTitle, question, platform::Buttons::OkCancel) != platform::Answer::Ok)
            return;
        confirmedLarger = true;
    }
    if (m_runner.isRunning()) {
        if (m_ui.question(kMyPcTitle, runningQuestion(m_runner.activity()), platform::Buttons::OkCancel)
            != platform::Answer::Ok)
            return;
        m_runner.cancel();
    }
    TransferRequest request;
    request.expectedSize = size;
    request.kind = TransferKind::PcFile;
    std::string name = percentEncodePath(answer.name);
    request.url = m_settings.serverIp + ":" + std::to_string(m_settings.pcWebPort) + "\\pda_Download\\" + name;
    request.title = answer.name;
    // A file the user agreed to receive although it is larger than the
    // limit arrives whole; the limit guards only against a PC that sends
    // more than it announced.
    request.limitBytes = confirmedLarger ? 0 : limit;
    (void)m_runner.start(std::move(request), kActivitySaveFile);
}

} // namespace pocket::mypc
