#include "pc/mail/smtp_submit.h"

#include "platform/curl_tls.h"
#include "platform/net_address.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace pc::mail {

namespace {

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Upload {
    std::string_view rest;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* upload = static_cast<Upload*>(user);
    size_t n = std::min(size * count, upload->rest.size());
    std::memcpy(buffer, upload->rest.data(), n);
    upload->rest.remove_prefix(n);
    return n;
}

// Follows the conversation to learn each recipient's answer: after a
// "RCPT TO" goes out, the next final reply line (a code without "-") is
// that recipient's. The last refusal of any command is kept too: it is the
// relay's own word on why it did not take the mail.
struct RecipientReplies {
    bool awaitingRcpt = false;
    std::size_t accepted = 0;
    std::size_t refused = 0;
    std::string lastRefusal;
    std::string lastNegativeReply;
};

std::string_view withoutLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

int watchConversation(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto* replies = static_cast<RecipientReplies*>(user);
    std::string_view text(data, size);
    if (type == CURLINFO_HEADER_OUT) {
        replies->awaitingRcpt = text.size() >= 7 && strncasecmp(text.data(), "RCPT TO", 7) == 0;
    } else if (type == CURLINFO_HEADER_IN) {
        // A reply may arrive as several lines in one piece.
        while (!text.empty()) {
            auto end = text.find('\n');
            std::string_view line = withoutLineEnd(text.substr(0, end));
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (line.size() < 3 || (line.size() > 3 && line[3] == '-'))
                continue;
            if (line[0] == '4' || line[0] == '5')
                replies->lastNegativeReply = std::string(line);
            if (!replies->awaitingRcpt)
                continue;
            if (line[0] == '2') {
                ++replies->accepted;
            } else {
                ++replies->refused;
                replies->lastRefusal = std::string(line);
            }
            replies->awaitingRcpt = false;
            break;
        }
    }
    return 0;
}

std::string urlHost(const std::string& host)
{
    if (host.find(':') != std::string::npos && !host.starts_with('['))
        return "[" + host + "]";
    return host;
}

std::string mailHostName()
{
    std::string name = platform::localHostName();
    return name.empty() ? "localhost" : name;
}

} // namespace

std::optional<SmtpRelay> readSmtpRelay(const platform::Profile& winIni)
{
    if (winIni.getInt(kMailSection, "MAPI", 1) == 0)
        return std::nullopt;
    SmtpRelay relay;
    relay.host = winIni.getString(kMailSection, "host", "");
    if (relay.host.empty())
        return std::nullopt;
    int port = winIni.getInt(kMailSection, "port", 25);
    relay.port = port > 0 && port <= 65535 ? static_cast<unsigned>(port) : 25;
    relay.user = winIni.getString(kMailSection, "user", "");
    relay.password = winIni.getString(kMailSection, "password", "");
    relay.startTls = winIni.getInt(kMailSection, "starttls", 0) != 0;
    relay.from = winIni.getString(kMailSection, "from", "");
    return relay;
}

std::string senderAddressOf(const SmtpRelay& relay)
{
    if (!relay.from.empty())
        return relay.from;
    if (relay.user.find('@') != std::string::npos)
        return relay.user;
    return "quillon@" + mailHostName();
}

SubmitResult submitMail(const SmtpRelay& relay, std::string_view sender, const std::vector<std::string>& recipients,
    std::string_view message, std::chrono::milliseconds timeout)
{
    SubmitResult result;
    initialiseCurlOnce();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        result.detail = "libcurl could not start";
        return result;
    }
    curl_slist* list = nullptr;
    for (const auto& recipient : recipients)
        list = curl_slist_append(list, ("<" + recipient + ">").c_str());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> rcpt(list, curl_slist_free_all);

    std::string url = "smtp://" + urlHost(relay.host) + ":" + std::to_string(relay.port);
    std::string from = "<" + std::string(sender) + ">";
    Upload upload { message };
    RecipientReplies replies;
    char error[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
#if LIBCURL_VERSION_NUM >= 0x080200
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT_ALLOWFAILS, 1L);
#else
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
#endif
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, watchConversation);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &replies);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min<long long>(timeout.count(), 30000)));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    if (relay.startTls) {
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        platform::verifyCertificates(c);
    }
    if (!relay.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, relay.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, relay.password.c_str());
    }

    CURLcode code = curl_easy_perform(c);
    result.acceptedRecipients = replies.accepted;
    result.refusedRecipients = replies.refused;
    if (code == CURLE_OK) {
        result.outcome = replies.refused == 0 ? SubmitOutcome::Accepted : SubmitOutcome::RecipientsRefused;
        if (replies.refused)
            result.detail = replies.lastRefusal;
        return result;
    }
    // The relay answered every recipient with a refusal: a recipient
    // outcome, not a refusal of the relay itself.
    if (replies.refused > 0 && replies.accepted == 0) {
        result.outcome = SubmitOutcome::RecipientsRefused;
        result.detail = replies.lastRefusal;
        return result;
    }
    result.outcome = SubmitOutcome::Refused;
    if (platform::isCertificateFailure(code)) {
        result.detail = platform::certificateFailureText(relay.host, code, error);
        return result;
    }
    result.relayReplied = !replies.lastNegativeReply.empty();
    result.detail = !replies.lastNegativeReply.empty() ? replies.lastNegativeReply
        : error[0]                                     ? error
                                                       : curl_easy_strerror(code);
    return result;
}

} // namespace pc::mail
