#pragma once

// File: pc/mail/mail_client_setup.h
// The PC's mail program, decided once at start-up from the registry store:
// which kind it is (1 = of the Outlook Express kind, 2 = Outlook) and
// whether it is ready, which mail checks need. On Linux the mail setup is
// the POP3 client and the SMTP relay of this program; the registry store is
// seeded on its first run so that it counts as a ready mail program of the
// Outlook Express kind (nothing to start after sending, no wait on the
// handheld).
//
//     seedMailRegistry(registry);
//     int kind = readMailClientKind(registry);
//     bool ready = setUpMailClient(registry, kind, ui);

#include "platform/registry.h"
#include "platform/ui.h"

#include <string_view>

namespace pc::mail {

inline constexpr int kMailClientOutlookExpress = 1;
inline constexpr int kMailClientOutlook = 2;

inline constexpr std::string_view kMailClientsKey = "HKLM\\SOFTWARE\\Clients\\Mail";
inline constexpr std::string_view kExpressVersionKey = "HKLM\\SOFTWARE\\Microsoft\\Outlook Express\\Version Info";
inline constexpr std::string_view kIdentitiesKey = "HKCU\\Identities";
inline constexpr std::string_view kOutlookClassKey = "HKCR\\Outlook.Application.9";
inline constexpr std::string_view kOutlookOptionsKey = "HKCU\\Software\\Microsoft\\Office\\9.0\\Outlook\\Options\\Mail";

// Shown when the mail identity cannot be read.
inline constexpr std::string_view kMailSettingFailed = "메일 setting 초기화 실패!";

// Writes what is missing of the mail program's registration: the default
// mail program "Outlook Express", its version "6,0,..." and a mail identity.
// Values already there are kept, so a user's own entries win.
platform::IoResult<void> seedMailRegistry(platform::Registry& registry);

// 1 when the default value of HKLM\SOFTWARE\Clients\Mail, upper-cased, is
// "OUTLOOK EXPRESS"; 2 otherwise, also when it is missing.
[[nodiscard]] int readMailClientKind(const platform::Registry& registry);

// Decides whether mail checks are allowed and writes the mail program's
// polling options. Tells the user (title "Quillon", warning) when the mail
// identity is missing; the mail program still counts as ready then.
[[nodiscard]] bool setUpMailClient(platform::Registry& registry, int kind, platform::Ui& ui);

} // namespace pc::mail
