#pragma once

// File: pocket/mail/mail_inbox.h
// The device Inbox: a Maildir in the device root ("<root>/Inbox"), with the
// program's mails in its Maildir++ folder ".Quillon". A stored mail is one
// RFC 5322 file with From, To, Cc, Subject and Date taken from the mail file
// and its HTML body, written into "tmp" and moved into "new" whole.

#include "platform/clock.h"
#include "platform/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::mail {

struct MailFile;

constexpr const char* kInboxFolder = "Inbox";
constexpr const char* kInboxSubfolder = ".Quillon";

// The message text: headers (non-ASCII values as RFC 2047 encoded words),
// an empty line and the body as UTF-8 HTML. `received` stands in for the
// date when the mail's "Time : " field cannot be read.
std::string formatInboxMessage(const MailFile& mail, std::string_view bodyHtml, platform::WallTime received);

// Stores the message; returns the file's path.
platform::IoResult<std::filesystem::path> storeInInbox(const device::DeviceRoot& device, const MailFile& mail,
    std::string_view bodyHtml, platform::WallTime received);

} // namespace pocket::mail
