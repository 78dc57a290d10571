#include "pocket/mail/mail_files.h"

#include "platform/codepage.h"
#include "platform/decimal_number.h"
#include "pocket/settings/pda_settings.h"

#include <algorithm>
#include <cctype>

namespace pocket::mail {

namespace {

constexpr std::string_view kDraftBreak = " [MSGBR]";
constexpr std::string_view kDraftEnd = " [MSGEND]";
constexpr std::string_view kAttachmentEnd = "//";
constexpr std::string_view kBodyMarker = "Body : <pre>";
constexpr std::string_view kPreOpen = "<pre>";
constexpr std::string_view kPreClose = "</pre>";
constexpr std::string_view kFromPrefix = "From : ";

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

// A header field runs from its marker up to two characters (the line break)
// before the next marker.
std::string fieldBetween(std::string_view text, std::string_view marker, std::string_view next)
{
    std::size_t start = text.find(marker);
    if (start == std::string_view::npos)
        return {};
    start += marker.size();
    std::size_t end = text.find(next, start);
    if (end == std::string_view::npos)
        return {};
    std::string_view field = text.substr(start, end >= start + 2 ? end - start - 2 : 0);
    // The PC ends every header value with a blank before the line break.
    while (!field.empty() && field.back() == ' ')
        field.remove_suffix(1);
    return std::string(field);
}

bool readNumber(std::string_view text, int& value)
{
    auto number = platform::parseDecimal<int>(text);
    value = number.value_or(value);
    return number.has_value();
}

} // namespace

std::vector<MailListEntry> parseMailList(std::string_view content)
{
    std::vector<MailListEntry> entries;
    for (;;) {
        std::size_t end = content.find('\n');
        if (end == std::string_view::npos || end == 0)
            return entries;
        auto fields = splitTabs(content.substr(0, end));
        fields.resize(4);
        entries.push_back({ std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
            std::string(fields[3]) });
        content.remove_prefix(end + 1);
    }
}

std::vector<std::string> parseAttachmentList(std::string_view block)
{
    std::vector<std::string> names;
    for (;;) {
        std::size_t slash = block.find('/');
        if (slash == std::string_view::npos)
            return names;
        std::string_view piece = block.substr(0, slash);
        bool last = slash + 1 < block.size() && block[slash + 1] == '/';
        if (!piece.empty())
            names.emplace_back(piece);
        if (last)
            return names;
        block.remove_prefix(slash + 1);
    }
}

MailFile parseMailFile(std::string_view content)
{
    MailFile mail;
    std::size_t marker = content.find(kAttachmentEnd);
    std::size_t headerStart = 0;
    if (marker != std::string_view::npos) {
        headerStart = marker + kAttachmentEnd.size();
        if (marker > 0) {
            mail.hasAttachments = true;
            mail.attachmentBlock = std::string(content.substr(0, headerStart));
            mail.attachments = parseAttachmentList(mail.attachmentBlock);
        }
    }
    std::string_view scan = content.substr(0, std::min(content.size(), kHeaderScanBytes));
    std::size_t bodyMarker = scan.find(kBodyMarker, headerStart);
    if (headerStart <= scan.size())
        mail.header = std::string(scan.substr(headerStart,
            bodyMarker == std::string_view::npos ? std::string_view::npos : bodyMarker - headerStart));

    std::string_view rest = content.substr(headerStart);
    std::size_t to = rest.find("To : ");
    if (to != std::string_view::npos) {
        std::string_view sender = rest.substr(0, to >= 2 ? to - 2 : 0);
        if (sender.starts_with(kFromPrefix))
            sender.remove_prefix(kFromPrefix.size());
        while (!sender.empty() && sender.back() == ' ')
            sender.remove_suffix(1);
        mail.sender = std::string(sender);
    }
    mail.to = fieldBetween(rest, "To : ", "Cc : ");
    mail.cc = fieldBetween(rest, "Cc : ", "Title : ");
    mail.title = fieldBetween(rest, "Title : ", "Time : ");
    mail.time = fieldBetween(rest, "Time : ", "Pop3 : ");
    mail.pop3 = fieldBetween(rest, "Pop3 : ", kBodyMarker);

    std::size_t bodyStart = rest.find(kBodyMarker);
    if (bodyStart != std::string_view::npos) {
        bodyStart += kBodyMarker.size() - kPreOpen.size();
        std::size_t close = rest.rfind(kPreClose);
        if (close != std::string_view::npos && close >= bodyStart)
            mail.body = std::string(rest.substr(bodyStart, close + kPreClose.size() - bodyStart));
    }
    return mail;
}

std::string formatMailDraft(const MailDraft& draft)
{
    std::string text = draft.to;
    text.append(kDraftBreak).append(draft.subject).append(kDraftBreak).append(draft.body).append(kDraftEnd);
    return text;
}

std::optional<MailDraft> parseMailDraft(std::string_view text)
{
    std::size_t first = text.find(kDraftBreak);
    if (first == std::string_view::npos)
        return std::nullopt;
    std::size_t second = text.find(kDraftBreak, first + kDraftBreak.size());
    if (second == std::string_view::npos)
        return std::nullopt;
    std::size_t end = text.find(kDraftEnd, second + kDraftBreak.size());
    if (end == std::string_view::npos)
        return std::nullopt;
    std::size_t subjectStart = first + kDraftBreak.size();
    std::size_t bodyStart = second + kDraftBreak.size();
    return MailDraft { std::string(platform::cutCodePoints(text.substr(0, first), kMailToChars)),
        std::string(platform::cutCodePoints(text.substr(subjectStart, second - subjectStart), kMailSubjectChars)),
        std::string(platform::cutCodePoints(text.substr(bodyStart, end - bodyStart), kMailBodyChars)) };
}

std::string buildMailText(const MailDraft& draft, const std::vector<std::string>& attachments)
{
    std::string text = std::string(platform::cutCodePoints(draft.to, kMailToChars));
    text += '\n';
    text += std::string(platform::cutCodePoints(draft.subject, kMailSubjectChars));
    text += '\n';
    for (std::size_t i = 0; i < attachments.size() && i < kMaxSentAttachmentEntries; ++i)
        text += attachments[i] + ";";
    text += '\n';
    text += std::string(platform::cutCodePoints(draft.body, kMailBodyChars));
    return text;
}

std::size_t countRecipients(std::string_view to)
{
    if (to.empty())
        return 0;
    return static_cast<std::size_t>(std::count(to.begin(), to.end(), ',')) + 1;
}

std::optional<MailDate> parseMailDate(std::string_view time)
{
    // "YYYY.MM.DD W HH:MM:SS"; only the date counts.
    std::size_t blank = time.find(' ');
    std::string_view date = time.substr(0, blank);
    std::size_t dot1 = date.find('.');
    std::size_t dot2 = dot1 == std::string_view::npos ? dot1 : date.find('.', dot1 + 1);
    if (dot2 == std::string_view::npos)
        return std::nullopt;
    MailDate result;
    if (!readNumber(date.substr(0, dot1), result.year) || !readNumber(date.substr(dot1 + 1, dot2 - dot1 - 1), result.month)
        || !readNumber(date.substr(dot2 + 1), result.day))
        return std::nullopt;
    return result;
}

int mailAgeDays(const MailDate& date, const platform::LocalTime& today)
{
    return (today.year - date.year) * 365 + (today.month - date.month) * 30 + (today.day - date.day);
}

bool isWithinViewPeriod(std::string_view time, int periodDays, const platform::LocalTime& today)
{
    if (periodDays == -1)
        return true;
    auto date = parseMailDate(time);
    if (!date)
        return true;
    return mailAgeDays(*date, today) <= periodDays;
}

} // namespace pocket::mail
