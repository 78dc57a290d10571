#include "pc/mail/stored_message.h"

#include "pc/mail/private_files.h"

namespace pc::mail {

platform::Result<StoredMessage, StoredMessageError> decodeStoredMessage(const MailStore& store,
    std::string_view id, const std::filesystem::path& rawFilePath, std::string_view server, std::string_view uid)
{
    auto raw = readFileBytes(rawFilePath);
    if (!raw)
        return platform::unexpected(StoredMessageError::Unreadable);

    std::filesystem::path folder = store.mailFolder(id, uid);
    // Folder failures show as failed writes below; they are not fatal here.
    (void)store.createMailFolder(id, uid);

    auto decoded = decodeMessageText(*raw, server, uid);
    if (!decoded)
        return platform::unexpected(StoredMessageError::MissingBoundary);

    StoredMessage result;
    for (const Attachment& attachment : decoded->attachments) {
        // An attachment that cannot be written is left out of the list, so
        // the handheld never asks for a file that is not there.
        if (store.writeAttachment(folder, attachment.fileName, decoded->data(attachment)))
            result.attachmentList += "/" + attachment.fileName;
    }
    result.message = std::move(decoded->message);
    result.message.mailFolder = folder.string();
    (void)store.writeMailFiles(result.message, result.attachmentList, result.message.body);
    return result;
}

} // namespace pc::mail
