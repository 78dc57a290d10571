#include "pc/mail/mail_sender.h"

#include "pc/mail/private_files.h"

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

void say(std::string* detail, std::string text)
{
    if (detail)
        *detail = std::move(text);
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

std::string sendHandheldMail(std::string_view mailText, const SendSetup& setup, std::string* detail)
{
    OutgoingMail mail = parseOutgoingMail(mailText);
    if (mail.recipients.empty())
        return std::string(kSendNotUser);
    platform::Profile winIni(setup.winIni);
    auto relay = readSmtpRelay(winIni);
    if (!relay) {
        say(detail, "no SMTP relay in [MAIL] of " + setup.winIni.string());
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
        say(detail, "attachment not found: " + *attachments.unreadable);
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
    say(detail, result.detail);
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

} // namespace pc::mail
