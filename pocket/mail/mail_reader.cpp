#include "pocket/mail/mail_reader.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/link/pc_link.h"
#include "pocket/mail/mail_inbox.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/viewer/viewer_address.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/viewer/web_viewer.h"
#include "proto/command_codes.h"
#include "proto/pc_answer.h"

#include <filesystem>

namespace pocket::mail {

namespace {

constexpr const char* kNoSelectionText = "확인할 메일을 선택해주세요.";
constexpr const char* kReadingText = "메일 읽어오는 중입니다. 잠시만 기다려주세요.";
constexpr const char* kReadTimeoutText = "메일 내용 보기 - TIME OUT(timeout val: 30초) \n다시 시도해주십시오.";
constexpr const char* kBadFormatText = "선택하신 메일은 정확한 형식에 맞지 않아서 볼 수 없습니다.";
constexpr const char* kTransferQuestion = "현재 [%s]을 하는중이므로 \n메일의 내용을 받으실 수 없습니다. \n현재 작업을 "
                                          "취소하시겠습니까?";
constexpr const char* kCannotStoreText = "메일의 내용을 저장할 수 없습니다.";
constexpr const char* kMissingFileText = "메일의 내용이 저장된 파일을 찾을 수 없습니다. \n다시 시도해주세요.";
constexpr const char* kWriteErrorText = "로그 파일 작성중 오류가 발생하였습니다. \n다시 시도해주세요.";
constexpr const char* kNoAttachmentListText = "첨부 리스트 생성에 실패하였습니다.";
constexpr const char* kRunningQuestion = "현재 [%s]을 하는 중입니다. 취소하시겠습니까?";
constexpr const char* kNotViewableText = "볼 수 없는 파일 형식입니다.";
constexpr const char* kStoredText = "Inbox의 Quillon 폴더에 저장되었습니다. \n첨부파일은 저장되지 않습니다.";
constexpr const char* kStoreFailedText = "메일 저장 실패하였습니다.";
constexpr const char* kContentActivity = "메일 내용 다운중";
constexpr const char* kAttachmentActivity = "메일 첨부파일 저장";
constexpr std::size_t kAccountBytes = 49;
constexpr std::size_t kNameBytes = 1023;

} // namespace

void MailReader::ListProgress::setBar(int percent)
{
    m_view.setFetchProgress(percent);
}

void MailReader::ListProgress::closeProgress()
{
    m_view.setFetchProgress(0);
}

MailReader::MailReader(MailContext& context, viewer::WebViewer& viewer)
    : m_context(context)
    , m_viewer(viewer)
    , m_listProgress(context.view)
    , m_number(context.loop, *this, kMsgReadTimeout)
{
    m_context.link.setHandler(proto::kCodePrepareMail, [this](const proto::PcAnswer& answer) { onAnswer(answer); });
}

std::filesystem::path MailReader::localMailFile(const std::string& name) const
{
    return m_context.device.toLocal(mailFilePath(m_context.settings, name));
}

void MailReader::read(const MailListEntry* selected)
{
    auto& ui = m_context.ui;
    if (!selected) {
        ui.messageBox(kMailTitle, kNoSelectionText, platform::Icon::Warning);
        return;
    }
    std::error_code ignored;
    if (std::filesystem::exists(localMailFile(selected->name), ignored)) {
        (void)showMail(selected->name);
        return;
    }
    if (!m_context.link.isLoggedIn()) {
        if (m_context.openLogin)
            m_context.openLogin();
        return;
    }
    if (m_fetching) {
        ui.messageBox(kMailTitle, kReadingText, platform::Icon::Warning);
        return;
    }
    const auto& codePage = m_context.link.codePage();
    std::string text = std::to_string(m_number.current()) + "\n"
        + std::string(cutAnsi(platform::fromUtf8(selected->account, codePage), kAccountBytes, codePage)) + "\n"
        + std::string(cutAnsi(platform::fromUtf8(selected->name, codePage), kNameBytes, codePage));
    if (!m_context.link.sendAnsiRequest(m_context.settings.mailFormat, proto::kCodePrepareMail, text))
        return;
    m_fetching = true;
    m_number.startTimer(kReadTimeout);
}

void MailReader::onAnswer(const proto::PcAnswer& answer)
{
    if (!m_number.acceptAnswer(answer.first))
        return;
    m_fetching = false;
    auto& ui = m_context.ui;
    std::size_t slash = answer.text.find('/');
    if (answer.text == "fail" || slash == std::string::npos) {
        ui.messageBox(kMailTitle, kBadFormatText, platform::Icon::Warning);
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(m_context.device.toLocal(mailUserFolder(m_context.settings)), ignored);
    std::string head = answer.text.substr(0, slash);
    std::string_view rest = std::string_view(answer.text).substr(slash + 1);
    if (head == "_success") {
        std::string name(rest);
        m_context.view.setRowRead(name);
        fetchMail(name);
    } else {
        m_context.view.setRowRead(head);
        writeInlineMail(head, rest);
    }
}

bool MailReader::askToCancelTransfer(const char* question)
{
    auto& transfer = m_context.transfer;
    if (!transfer.isRunning())
        return true;
    if (m_context.ui.question(kMailTitle, fillText(question, transfer.activity()), platform::Buttons::OkCancel)
        != platform::Answer::Ok)
        return false;
    transfer.cancel();
    return true;
}

void MailReader::fetchMail(const std::string& name)
{
    auto file = localMailFile(name);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    if (!askToCancelTransfer(kTransferQuestion))
        return;
    const auto& settings = m_context.settings;
    const auto& codePage = m_context.link.codePage();
    std::string id = urlComponent(platform::fromUtf8(settings.myId, codePage));
    std::string encoded = urlComponent(platform::fromUtf8(name, codePage));
    // A like worker to the transfer worker, with the list page's progress
    // bar: the same running flag, so the "현재 [%s]…" questions name it.
    mypc::TransferRequest request;
    request.kind = mypc::TransferKind::MailContent;
    request.url = settings.serverIp + ":" + std::to_string(settings.pcWebPort) + "/pda_Mail/" + id + "/" + encoded
        + "/" + encoded + (settings.mailFormat == 0 ? ".txt" : "");
    request.title = name;
    request.destination = file;
    request.progress = &m_listProgress;
    request.done = [this, name](mypc::TransferOutcome outcome) {
        if (outcome == mypc::TransferOutcome::Saved)
            (void)showMail(name);
    };
    (void)m_context.transfer.start(std::move(request), kContentActivity);
}

void MailReader::writeInlineMail(const std::string& name, std::string_view content)
{
    auto file = localMailFile(name);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    const auto& codePage = m_context.link.codePage();
    std::string ansi = platform::fromUtf8(content, codePage);
    if (!writeLocalFile(file, cutAnsi(ansi, kInlineMailBytes, codePage))) {
        m_context.ui.messageBox(kMailTitle, kCannotStoreText, platform::Icon::Warning);
        return;
    }
    (void)showMail(name);
}

bool MailReader::showMail(const std::string& name)
{
    auto& ui = m_context.ui;
    auto file = localMailFile(name);
    auto content = readLocalFile(file);
    if (!content) {
        ui.messageBox(kMailTitle, kMissingFileText, platform::Icon::Warning);
        return false;
    }
    MailFile mail = parseMailFile(*content);
    std::string base = file.string();
    if (mail.hasAttachments && !writeLocalFile(base + ".ah", mail.attachmentBlock))
        mail.hasAttachments = false;
    if (!writeLocalFile(base + ".body", mail.body))
        ui.messageBox(kMailTitle, kWriteErrorText, platform::Icon::Warning);
    const auto& codePage = m_context.link.codePage();
    m_current = name;
    m_content = parseMailFile(platform::toUtf8(*content, codePage));
    m_context.view.showMail(m_content.header, mail.hasAttachments, name);
    viewer::navigateView(m_viewer.mailView(), mailFilePath(m_context.settings, name) + ".body");
    return true;
}

std::vector<std::string> MailReader::attachments()
{
    auto block = m_current.empty() ? std::nullopt : readLocalFile(localMailFile(m_current).string() + ".ah");
    if (!block) {
        m_context.ui.messageBox(kMailTitle, kNoAttachmentListText, platform::Icon::Warning);
        return {};
    }
    return parseAttachmentList(platform::toUtf8(*block, m_context.link.codePage()));
}

void MailReader::saveAttachment(const std::string& attachment)
{
    if (m_current.empty() || !askToCancelTransfer(kRunningQuestion))
        return;
    const auto& settings = m_context.settings;
    const auto& codePage = m_context.link.codePage();
    std::string url = settings.serverIp + ":" + std::to_string(settings.pcWebPort) + "/pda_Mail/"
        + urlComponent(platform::fromUtf8(settings.myId, codePage)) + "/"
        + urlComponent(platform::fromUtf8(m_current, codePage)) + "/"
        + urlComponent(platform::fromUtf8(attachment, codePage));
    std::error_code ignored;
    std::filesystem::create_directories(m_context.device.toLocal(settings.saveFilePath), ignored);
    // The transfer worker (kind 4), with its progress dialog and messages.
    mypc::TransferRequest request;
    request.kind = mypc::TransferKind::MailAttachment;
    request.url = url;
    request.title = attachment;
    (void)m_context.transfer.start(std::move(request), kAttachmentActivity);
}

void MailReader::openAttachment(const std::string& attachment)
{
    if (!viewer::isViewableExtension(attachment)) {
        m_context.ui.messageBox(kMailTitle, kNotViewableText, platform::Icon::Information);
        return;
    }
    (void)m_viewer.viewMailAttachment(m_current, attachment);
}

void MailReader::storeInInbox()
{
    if (m_current.empty()) {
        m_context.ui.messageBox(kMailTitle, kStoreFailedText, platform::Icon::Warning);
        return;
    }
    auto body = readLocalFile(localMailFile(m_current).string() + ".body").value_or(m_content.body);
    auto stored = pocket::mail::storeInInbox(m_context.device, m_content,
        platform::toUtf8(body, m_context.link.codePage()), m_context.loop.clock().now());
    if (stored)
        m_context.ui.messageBox(kMailTitle, kStoredText, platform::Icon::Information);
    else
        m_context.ui.messageBox(kMailTitle, kStoreFailedText, platform::Icon::Warning);
}

void MailReader::reset()
{
    m_number.cancel();
    m_fetching = false;
}

platform::LResult MailReader::onMessage(int msg, platform::WParam wParam, platform::LParam)
{
    if (msg == kMsgReadTimeout && m_number.onTimeout(wParam)) {
        m_fetching = false;
        m_context.ui.messageBox(kMailTitle, kReadTimeoutText, platform::Icon::Warning);
    }
    return 0;
}

} // namespace pocket::mail
