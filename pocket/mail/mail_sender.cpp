#include "pocket/mail/mail_sender.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/pc_link.h"
#include "pocket/mail/mail_composer.h"
#include "pocket/mypc/mypc_upload.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"
#include "proto/pc_answer.h"

#include <algorithm>
#include <filesystem>

namespace pocket::mail {

namespace {

constexpr const char* kNoRecipientText = "받을 사람을 선택해주세요!";
constexpr const char* kTooManyRecipientsText = "받는 사람은 10명까지 가능합니다.";
constexpr const char* kWaitText = "%s초 후에 메일을 보내실 수 있습니다.";
constexpr const char* kOutlookQuestion = "pc outlook의 버전이 outlook2000이므로\n새메일 가져오기를 하지 않고 메일을 "
                                         "보내시는경우\npda로 현재까지 도착한 새메일을 보실 수 없습니다.\n계속 "
                                         "하시겠습니까?";
constexpr const char* kSendFailedText = "mail을 보내는데 실패하였습니다.";
constexpr const char* kTempFile = "sended_temp";
constexpr const char* kKeptInComposerText = "작성하신 메일은 메일 쓰기 창에 그대로 남아 있습니다.";
constexpr const char* kKeptInFileText = "작성하신 메일을 %s 에 저장하였습니다.";
constexpr const char* kNotKeptText = "작성하신 메일을 보관하지 못했습니다.";
constexpr std::string_view kSuccessWord = "success";
constexpr std::string_view kPartlySentWord = "fail3";
constexpr int kFirstWhole = 4;
constexpr int kFirstStart = 3;
constexpr int kFirstMore = 0;
constexpr int kFirstLast = 1;
constexpr int kOutlookKind = 2;

struct ResultWord {
    std::string_view word;
    const char* text;
};

constexpr ResultWord kResultWords[] = {
    { "not user", "받는사람의 정보를 찾을 수 없습니다." },
    { "error", "pc의 outlook 설정이 잘못되었습니다. outlook 프로그램 설치여부 및 default email client로 "
               "설정되어있는지 확인해주십시오." },
    { "not realuser", "사용자의 이메일 정보를 찾을 수 없습니다." },
    { "fail1", "사용자의 이메일 정보가 없거나, 잘못된 이메일 주소입니다." },
    { "fail2", "잘못된 이메일 주소가 있습니다." },
    { "fail3", "이메일 주소 정보가 없는 사용자를 제외하고 , 이메일 전송에 성공하였습니다." },
    { "success", "이메일 전송을 완료하였습니다." },
};

} // namespace

bool MyPcMailUpload::uploadForMail(const std::string& handheldPath)
{
    // The upload takes the tree item's path: "PDA" and the handheld path.
    return m_upload.start("PDA" + handheldPath, mypc::kUploadMailAttachment);
}

void MyPcMailUpload::arrived()
{
    // For a mail attachment the PC answers 331 instead of 309 "done" and
    // keeps the upload connection: without this the upload stayed running
    // and refused every later one as busy.
    if (m_upload.isRunning())
        m_upload.end();
}

MailSender::MailSender(MailContext& context, AttachmentUpload* upload)
    : m_context(context)
    , m_upload(upload)
{
    auto& link = m_context.link;
    link.setHandler(proto::kCodeNext, [this](const proto::PcAnswer& answer) { onNext(answer); });
    link.setHandler(proto::kCodeAttachmentUploaded, [this](const proto::PcAnswer& answer) { onRepeat(answer); });
    link.setHandler(proto::kCodeMailPiece, [this](const proto::PcAnswer& answer) { onResult(answer); });
}

MailSender::~MailSender()
{
    if (m_waiting)
        m_context.loop.killTimer(*this, kWaitTimer);
}

void MailSender::send(MailComposer& composer)
{
    auto& ui = m_context.ui;
    auto& link = m_context.link;
    if (!link.isLoggedIn()) {
        link.setAttachmentWaiting([this, &composer] { send(composer); });
        if (m_context.openLogin)
            m_context.openLogin();
        return;
    }
    const auto& to = composer.draft().to;
    if (to.empty()) {
        ui.messageBox(kMailTitle, kNoRecipientText, platform::Icon::Warning);
        return;
    }
    if (countRecipients(to) > kMaxRecipients) {
        ui.messageBox(kMailTitle, kTooManyRecipientsText, platform::Icon::Information);
        return;
    }
    if (m_waiting) {
        ui.messageBox(kMailTitle, fillText(kWaitText, std::to_string(waitSecondsLeft())), platform::Icon::Information);
        return;
    }
    if (link.mailClientKind() == kOutlookKind
        && ui.question(kMailTitle, kOutlookQuestion, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;

    // The text is fixed now; the composer is emptied as the mail leaves.
    const auto& codePage = link.codePage();
    std::string ansi = platform::fromUtf8(buildMailText(composer.draft(), composer.attachments()), codePage);
    m_pendingText = std::string(cutAnsi(ansi, kMailTextBytes, codePage));
    m_composer = &composer;
    m_unconfirmed = SentMail { composer.draft(), composer.attachments() };
    const auto& attachments = composer.attachments();
    auto handheld = std::find_if(attachments.begin(), attachments.end(),
        [](const std::string& path) { return !path.empty() && path.front() == '\\'; });
    if (handheld != attachments.end() && m_upload) {
        std::string path = *handheld;
        composer.clear();
        m_uploading = m_upload->uploadForMail(path);
        if (!m_uploading) {
            m_pendingText.reset();
            (void)keepUnsent();
        }
        return;
    }
    composer.clear();
    sendText();
}

std::string MailSender::keepUnsent()
{
    std::optional<SentMail> mail = std::move(m_unconfirmed);
    m_unconfirmed.reset();
    if (!mail)
        return {};
    if (m_composer && m_composer->restore(*mail))
        return kKeptInComposerText;
    auto saved = m_composer ? m_composer->saveUnsent(mail->draft) : std::nullopt;
    return saved ? fillText(kKeptInFileText, *saved) : kNotKeptText;
}

void MailSender::sendText()
{
    if (!m_pendingText)
        return;
    std::string text = std::move(*m_pendingText);
    m_pendingText.reset();
    auto& link = m_context.link;
    closeTemp();
    if (text.size() <= kMailChunkBytes) {
        m_sentWhole = link.sendAnsiRequest(kFirstWhole, proto::kCodeMailPiece, text);
        if (!m_sentWhole)
            (void)keepUnsent();
        return;
    }
    auto folder = m_context.device.toLocal(m_context.settings.sndMailPath);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    auto file = folder / kTempFile;
    if (m_context.settings.sndMailPath.empty() || !writeLocalFile(file, text)) {
        m_context.ui.messageBox(kMailTitle, withCause(kSendFailedText, keepUnsent()), platform::Icon::Warning);
        return;
    }
    m_temp.open(file, std::ios::binary);
    if (!m_temp) {
        m_context.ui.messageBox(kMailTitle, withCause(kSendFailedText, keepUnsent()), platform::Icon::Warning);
        return;
    }
    if (!link.sendAnsiRequest(kFirstStart, proto::kCodeMailPiece, readPiece()))
        closeTemp();
}

std::string MailSender::readPiece()
{
    // One byte more than a piece tells whether the piece would end inside a
    // character; what is not sent goes back to the file.
    std::string piece(kMailChunkBytes + 1, '\0');
    m_temp.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    piece.resize(static_cast<std::size_t>(m_temp.gcount()));
    std::size_t whole = cutAnsi(piece, kMailChunkBytes, m_context.link.codePage()).size();
    if (whole < piece.size()) {
        m_temp.clear();
        m_temp.seekg(-static_cast<std::streamoff>(piece.size() - whole), std::ios::cur);
        piece.resize(whole);
    }
    return piece;
}

void MailSender::onNext(const proto::PcAnswer&)
{
    if (!m_temp.is_open())
        return;
    std::string piece = readPiece();
    auto& link = m_context.link;
    if (piece.empty()) {
        closeTemp();
        m_sentWhole = link.sendAnsiRequest(kFirstLast, proto::kCodeMailPiece, "");
        return;
    }
    if (!link.sendAnsiRequest(kFirstMore, proto::kCodeMailPiece, piece))
        closeTemp();
}

void MailSender::onRepeat(const proto::PcAnswer&)
{
    if (m_uploading && m_upload) {
        m_uploading = false;
        m_upload->arrived();
    }
    if (m_composer)
        sendText();
}

void MailSender::onResult(const proto::PcAnswer& answer)
{
    m_sentWhole = false;
    closeTemp();
    // A mail the PC sent (also without the recipients it had no address
    // for) is gone; any other word leaves it with the user.
    bool taken = answer.text == kSuccessWord || answer.text == kPartlySentWord;
    std::string kept;
    if (taken)
        m_unconfirmed.reset();
    else
        kept = keepUnsent();
    for (const auto& word : kResultWords) {
        if (answer.text == word.word) {
            m_context.ui.messageBox(kMailTitle, withCause(withCause(word.text, answer.detail), kept),
                platform::Icon::Information);
            break;
        }
    }
    if (answer.text == "success" && m_context.link.mailClientKind() == kOutlookKind) {
        m_waiting = true;
        m_waited = 0;
        m_context.loop.setTimer(*this, kWaitTimer, 1000);
    }
}

void MailSender::onTimer(int id)
{
    if (id != kWaitTimer)
        return;
    if (++m_waited >= kWaitSeconds) {
        m_context.loop.killTimer(*this, kWaitTimer);
        m_waiting = false;
    }
}

void MailSender::closeTemp()
{
    if (m_temp.is_open())
        m_temp.close();
    m_temp.clear();
}

void MailSender::reset()
{
    closeTemp();
    m_sentWhole = false;
    m_uploading = false;
    m_pendingText.reset();
    // The connection went before the PC answered: the mail may not have
    // gone out, so it stays with the user (the link says the connection is lost).
    (void)keepUnsent();
}

} // namespace pocket::mail
