#pragma once

// File: pc/mail/stored_message.h
// Decodes one fetched message for the handheld: reads its raw file from the
// fetch area, decodes it and writes its mail folder (attachments first, then
// the mail files). Runs on the thread that handles the handheld's commands.

#include "pc/mail/mail_store.h"
#include "pc/mail/mime_message.h"
#include "platform/result.h"

#include <filesystem>
#include <string_view>

namespace pc::mail {

enum class StoredMessageError {
    Unreadable, // The raw file could not be read.
    MissingBoundary, // A multipart message without boundary: nothing written.
};

struct StoredMessage {
    MimeMessage message; // mailFolder filled in.
    std::string attachmentList; // "/a.doc/b.jpg": the attachments written.
};

[[nodiscard]] platform::Result<StoredMessage, StoredMessageError> decodeStoredMessage(const MailStore& store,
    std::string_view id, const std::filesystem::path& rawFilePath, std::string_view server, std::string_view uid);

} // namespace pc::mail
