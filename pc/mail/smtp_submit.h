#pragma once

// File: pc/mail/smtp_submit.h
// The PC's mail system for mail the handheld sends: SMTP submission with
// libcurl to the relay named in the [MAIL] section of the WIN.INI stand-in
// ("win.ini" in the home folder):
//
//     [MAIL]
//     MAPI=1            ; 0 turns sending off
//     host=smtp.example.com
//     port=587          ; 25 when missing
//     user=kim          ; no log-in when empty
//     password=secret
//     starttls=1        ; require STARTTLS; the relay's certificate must
//                       ; then be trusted (platform/curl_tls.h)
//     from=kim@example.com
//
// Blocking; runs on the sending worker.

#include "platform/profile.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

inline constexpr std::string_view kMailSection = "MAIL";

struct SmtpRelay {
    std::string host;
    unsigned port = 25;
    std::string user;
    std::string password;
    bool startTls = false;
    std::string from; // Empty: the user when it is an address, else quillon@<host name>.
};

// The relay of the profile, or nullopt when none is configured (no host) or
// sending is turned off (MAPI=0).
[[nodiscard]] std::optional<SmtpRelay> readSmtpRelay(const platform::Profile& winIni);

// The envelope sender for a relay.
[[nodiscard]] std::string senderAddressOf(const SmtpRelay& relay);

enum class SubmitOutcome {
    Refused, // No connection, log-in refused, sender or message refused.
    Accepted, // Every recipient accepted and the message taken.
    RecipientsRefused, // The relay refused one or more recipients.
};

struct SubmitResult {
    SubmitOutcome outcome = SubmitOutcome::Refused;
    std::size_t acceptedRecipients = 0;
    std::size_t refusedRecipients = 0;
    std::string detail; // What went wrong: the relay's reply, else libcurl's error.
    bool relayReplied = false; // The detail is a refusal the relay sent.
};

[[nodiscard]] SubmitResult submitMail(const SmtpRelay& relay, std::string_view sender,
    const std::vector<std::string>& recipients, std::string_view message, std::chrono::milliseconds timeout);

} // namespace pc::mail
