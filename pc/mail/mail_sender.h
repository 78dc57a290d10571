#pragma once

// File: pc/mail/mail_sender.h
// Sends one mail for the handheld (the assembled text of code 329) through
// the PC's mail system and gives the answer word:
//
//   "not user"      the text names no recipient at all
//   "error"         no mail system: no relay configured, or sending turned off
//   "not realuser"  no recipient is an address (none has "@")
//   "fail1"         the relay could not be reached or refused the mail, or an
//                   attachment could not be read
//   "success"       every recipient accepted
//   "fail3"         the relay refused recipients
//
// Attachments: "\...\x.doc" is the file x.doc the handheld uploaded into
// pda_Upload; any other entry is a PC path, read through the drive map.

#include "pc/mail/outgoing_mail.h"
#include "pc/mail/smtp_submit.h"
#include "platform/profile.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pc::mail {

inline constexpr std::string_view kSendNotUser = "not user";
inline constexpr std::string_view kSendError = "error";
inline constexpr std::string_view kSendNotRealUser = "not realuser";
inline constexpr std::string_view kSendFail1 = "fail1";
inline constexpr std::string_view kSendSuccess = "success";
inline constexpr std::string_view kSendFail3 = "fail3";

using PcPathResolver = std::function<std::optional<std::filesystem::path>(std::string_view pcPath)>;

struct SendSetup {
    std::filesystem::path winIni;
    std::filesystem::path uploads; // pda_Upload.
    PcPathResolver pcPathToLocal; // May be empty: PC paths then cannot be attached.
    std::chrono::milliseconds timeout { 120000 };
};

// The files of the attachment entries, in order; nullopt names the first
// entry whose file cannot be read.
struct LoadedAttachments {
    std::vector<MessageAttachment> files;
    std::optional<std::string> unreadable;
};
[[nodiscard]] LoadedAttachments loadAttachments(const std::vector<std::string>& entries, const SendSetup& setup);

// The whole send; `cause` (optional) receives, in words for the user, why
// the mail did not go out or which recipients the relay refused ("PC의 보내는
// 메일(SMTP) 서버가 설정되어 있지 않습니다", "SMTP 서버 smtp.example.com:25가
// 메일을 거부하였습니다: 550 5.7.1 Sender refused"); empty when there is
// nothing to add to the answer word.
[[nodiscard]] std::string sendHandheldMail(std::string_view mailText, const SendSetup& setup,
    std::string* cause = nullptr);

// The PC's log entry for one send: the subject, the recipients, the answer
// word's outcome and the cause.
[[nodiscard]] std::string sendLogText(std::string_view mailText, std::string_view word, std::string_view cause);

} // namespace pc::mail
