#include "pc/mail/mail_sender.h"

#include "pc/mail/private_files.h"
#include "pc/mail/text_util.h"

#include <atomic>
#include <ctime>
#include <random>

namespace pc::mail {

namespace {

std::string rfc5322Date(std::time_t now)
{
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[64] = {};
    // The names are English whatever the locale, as RFC 5322 wants them.
    static const char* const kDays[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
    static const char* const kMonths[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct",
        "Nov", "Dec" };
    long offset = local.tm_gmtoff / 60;
    char sign = offset < 0 ? '-' : '+';
    if (offset < 0)
        offset = -offset;
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[local.tm_wday],
        local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, sign,
        offset / 60, offset % 60);
    return text;
}

std::string uniqueToken()
{
    static std::atomic<unsigned> counter { 0 };
    std::random_device random;
    char text[64] = {};
    std::snprintf(text, sizeof text, "%lx.%08x.%u", static_cast<long>(std::time(nullptr)), random(), ++counter);
    return text;
}

std::string domainOf(std::string_view address)
{
    auto at = address.rfind('@');
    return at == std::string_view::npos ? std::string("localhost") : std::string(address.substr(at + 1));
}

void say(std::string* cause, std::string text)
{
    if (cause)
        *cause = std::move(text);
}

// Why the relay did not take the mail, or what it refused.
std::string submitCause(const SmtpRelay& relay, const SubmitResult& result)
{
    std::string name = "SMTP 서버 " + relay.host + ":" + std::to_string(relay.port);
    if (result.outcome == SubmitOutcome::RecipientsRefused)
        return name + "가 받는 사람을 거부하였습니다: " + result.detail;
    if (result.relayReplied)
        return name + "가 메일을 거부하였습니다: " + result.detail;
    return name + "에 보낼 수 없습니다: " + result.detail;
}

std::string_view outcomeText(std::string_view word)
{
    if (word == kSendSuccess)
        return "보냈습니다";
    if (word == kSendFail3)
        return "일부 받는 사람을 빼고 보냈습니다";
    return "보내지 못했습니다";
}

} // namespace

LoadedAttachments loadAttachments(const std::vector<std::string>& entries, const SendSetup& setup)
{
    LoadedAttachments loaded;
    for (const std::string& entry : entries) {
        AttachmentSource source = attachmentSourceOf(entry);
        std::optional<std::filesystem::path> file;
        if (source.uploaded && !source.name.empty())
            file = setup.uploads / source.name;
        else if (!source.uploaded && setup.pcPathToLocal)
            file = setup.pcPathToLocal(source.pcPath);
        std::optional<std::string> bytes;
        if (file && !source.name.empty() && std::filesystem::is_regular_file(*file)) {
            if (auto read = readFileBytes(*file))
                bytes = std::move(*read);
        }
        if (!bytes) {
            loaded.unreadable = entry;
            return loaded;
        }
        loaded.files.push_back({ source.name, std::move(*bytes) });
    }
    return loaded;
}

std::string sendHandheldMail(std::string_view mailText, const SendSetup& setup, std::string* cause)
{
    OutgoingMail mail = parseOutgoingMail(mailText);
    if (mail.recipients.empty())
        return std::string(kSendNotUser);
    platform::Profile winIni(setup.winIni);
    auto relay = readSmtpRelay(winIni);
    if (!relay) {
        bool off = winIni.getInt(kMailSection, "MAPI", 1) == 0;
        say(cause, off ? "PC에서 메일 보내기가 꺼져 있습니다 (win.ini [MAIL] MAPI=0)"
                       : "PC의 보내는 메일(SMTP) 서버가 설정되어 있지 않습니다 (환경설정 - 메일 설정)");
        return std::string(kSendError);
    }
    std::vector<std::string> to;
    for (const auto& entry : mail.recipients) {
        if (std::string address = envelopeAddress(entry); !address.empty())
            to.push_back(std::move(address));
    }
    if (to.empty())
        return std::string(kSendNotRealUser);

    LoadedAttachments attachments = loadAttachments(mail.attachments, setup);
    if (attachments.unreadable) {
        say(cause, "첨부파일을 읽을 수 없습니다: " + *attachments.unreadable);
        return std::string(kSendFail1);
    }
    MessageParts parts;
    parts.from = senderAddressOf(*relay);
    parts.to = to;
    parts.subject = mail.subject;
    parts.noteText = mail.body + std::string(attachments.files.size(), ' ');
    parts.attachments = std::move(attachments.files);
    parts.date = rfc5322Date(std::time(nullptr));
    std::string token = uniqueToken();
    parts.messageId = token + ".quillon@" + domainOf(parts.from);
    parts.boundary = "=_quillon_" + token;
    std::string message = composeMessage(parts);

    SubmitResult result = submitMail(*relay, parts.from, to, message, setup.timeout);
    if (result.outcome != SubmitOutcome::Accepted)
        say(cause, submitCause(*relay, result));
    switch (result.outcome) {
    case SubmitOutcome::Accepted:
        return std::string(kSendSuccess);
    case SubmitOutcome::RecipientsRefused:
        return std::string(kSendFail3);
    case SubmitOutcome::Refused:
        break;
    }
    return std::string(kSendFail1);
}

std::string sendLogText(std::string_view mailText, std::string_view word, std::string_view cause)
{
    OutgoingMail mail = parseOutgoingMail(mailText);
    std::string to;
    for (const auto& recipient : mail.recipients)
        to += (to.empty() ? "" : ", ") + std::string(trim(recipient));
    std::string text = "메일 보내기: \"" + mail.subject + "\" -> " + (to.empty() ? "(받는 사람 없음)" : to) + ", "
        + std::string(outcomeText(word)) + " (" + std::string(word) + ")";
    if (!cause.empty())
        text += "\n" + std::string(cause);
    return text + "\n";
}

} // namespace pc::mail
