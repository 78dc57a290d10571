#pragma once

// File: pc/mail/mail_store.h
// Where mail lives on the PC, and the files the handheld reads.
//
//   fetch area (private):   <boxes>/<id>_pda/<server>/index        seen ids
//                           <boxes>/<id>_pda/<server>/<uid>        raw RETR answer
//   handheld area:          <service root>/pda_Mail/MailList       new mail of the last check
//                           <service root>/pda_Mail/<id>/<uid>/    one decoded message
//
// Both roots are given by the caller. Ids, server names and unique ids come
// from outside and are made safe path components. Everything is created
// readable by its owner only. Text is UTF-8 inside; what the handheld reads
// (MailList and the mail files) is written in the handheld's code page,
// while file names stay UTF-8. Used from one thread at a time.

#include "pc/mail/mime_message.h"
#include "platform/codepage.h"
#include "platform/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pc::mail {

inline constexpr std::string_view kSeenIndexName = "index";
inline constexpr std::string_view kMailAreaName = "pda_Mail";
inline constexpr std::string_view kMailListName = "MailList";

class MailStore {
public:
    MailStore(std::filesystem::path mailBoxes, std::filesystem::path serviceRoot,
        std::string codePage = std::string(platform::kUtf8));

    // The handheld's code page, in which its files are written.
    [[nodiscard]] const std::string& codePage() const { return m_codePage; }

    [[nodiscard]] std::filesystem::path accountFolder(std::string_view id, std::string_view server) const;
    [[nodiscard]] std::filesystem::path seenIndexPath(std::string_view id, std::string_view server) const;
    [[nodiscard]] std::filesystem::path rawMessagePath(std::string_view id, std::string_view server,
        std::string_view uid) const;
    [[nodiscard]] std::filesystem::path mailListPath() const;
    [[nodiscard]] std::filesystem::path mailFolder(std::string_view id, std::string_view uid) const;

    // Creates the account's folders and an empty seen index when missing.
    [[nodiscard]] platform::IoResult<void> prepareAccount(std::string_view id, std::string_view server) const;

    // Creates pda_Mail, pda_Mail/<id> and pda_Mail/<id>/<uid>.
    [[nodiscard]] platform::IoResult<void> createMailFolder(std::string_view id, std::string_view uid) const;

    // Replaces MailList with `text` (UTF-8, written in the code page).
    [[nodiscard]] platform::IoResult<void> writeMailList(std::string_view text) const;

    // Writes one attachment into a mail folder; `fileName` is already safe.
    [[nodiscard]] platform::IoResult<void> writeAttachment(const std::filesystem::path& folder,
        std::string_view fileName, std::string_view data) const;

    // Writes the full mail file, "<uid>.body", "<uid>.temp" and the preview
    // "<uid>.txt" into message.mailFolder, in that order. A file that cannot
    // be written is skipped; the first failure is returned after the rest ran.
    [[nodiscard]] platform::IoResult<void> writeMailFiles(const MimeMessage& message,
        std::string_view attachmentList, std::string_view body) const;

private:
    std::filesystem::path m_mailBoxes;
    std::filesystem::path m_serviceRoot;
    std::string m_codePage;
};

// A unique id as the name of its raw message file: a safe component that
// can never be the seen index itself.
[[nodiscard]] std::string rawMessageFileName(std::string_view uid);

} // namespace pc::mail
