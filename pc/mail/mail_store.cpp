#include "pc/mail/mail_store.h"

#include "pc/mail/charset.h"
#include "platform/codepage.h"
#include "pc/mail/mail_file.h"
#include "pc/mail/plain_text.h"
#include "pc/mail/private_files.h"
#include "pc/mail/safe_name.h"

namespace pc::mail {

std::string rawMessageFileName(std::string_view uid)
{
    std::string name = mailName(uid);
    if (name == kSeenIndexName)
        name += '_';
    return name;
}

MailStore::MailStore(std::filesystem::path mailBoxes, std::filesystem::path serviceRoot, std::string codePage)
    : m_mailBoxes(std::move(mailBoxes))
    , m_serviceRoot(std::move(serviceRoot))
    , m_codePage(std::move(codePage))
{
}

std::filesystem::path MailStore::accountFolder(std::string_view id, std::string_view server) const
{
    return m_mailBoxes / mailName(std::string(id) + "_pda") / mailName(server);
}

std::filesystem::path MailStore::seenIndexPath(std::string_view id, std::string_view server) const
{
    return accountFolder(id, server) / kSeenIndexName;
}

std::filesystem::path MailStore::rawMessagePath(std::string_view id, std::string_view server,
    std::string_view uid) const
{
    return accountFolder(id, server) / rawMessageFileName(uid);
}

std::filesystem::path MailStore::mailListPath() const
{
    return m_serviceRoot / kMailAreaName / kMailListName;
}

std::filesystem::path MailStore::mailFolder(std::string_view id, std::string_view uid) const
{
    return m_serviceRoot / kMailAreaName / mailName(id) / mailName(uid);
}

platform::IoResult<void> MailStore::prepareAccount(std::string_view id, std::string_view server) const
{
    auto folder = createPrivateFolders(accountFolder(id, server));
    if (!folder)
        return folder;
    return createPrivateFileIfMissing(seenIndexPath(id, server));
}

platform::IoResult<void> MailStore::createMailFolder(std::string_view id, std::string_view uid) const
{
    return createPrivateFolders(mailFolder(id, uid));
}

platform::IoResult<void> MailStore::writeMailList(std::string_view text) const
{
    auto folder = createPrivateFolders(m_serviceRoot / kMailAreaName);
    if (!folder)
        return folder;
    return writePrivateFile(mailListPath(), platform::fromUtf8(text, m_codePage));
}

platform::IoResult<void> MailStore::writeAttachment(const std::filesystem::path& folder,
    std::string_view fileName, std::string_view data) const
{
    return writePrivateFile(folder / mailName(fileName), data);
}

platform::IoResult<void> MailStore::writeMailFiles(const MimeMessage& message, std::string_view attachmentList,
    std::string_view body) const
{
    std::filesystem::path folder = message.mailFolder;
    if (folder.empty())
        return platform::Error { platform::ErrorCode::InvalidArgument, "no mail folder for " + message.uid };
    std::string base = mailName(message.uid);
    // The mail files are read by the handheld, in its code page; attachments
    // stay the bytes they were decoded into.
    MailFileHeader fields { std::string(attachmentList), message.from, message.to, message.cc, message.subject,
        message.time, message.server };
    std::string header = platform::fromUtf8(buildMailHeaderBlock(fields), m_codePage);
    std::string wireBody = platform::fromUtf8(body, m_codePage);

    platform::IoResult<void> first;
    auto keepFirst = [&first](platform::IoResult<void> result) {
        if (!result && first)
            first = result;
    };
    keepFirst(writePrivateFile(folder / base, buildMailFile(header, wireBody)));
    keepFirst(writePrivateFile(folder / (base + ".body"), wireBody));
    std::string stored = toCrLf(platform::fromUtf8(reduceToPlainText(body), m_codePage));
    keepFirst(writePrivateFile(folder / (base + ".temp"), stored));
    std::string preview = fromCrLf(stored, kPreviewBodyBytes);
    preview.resize(platform::cutAnsi(preview, kPreviewBodyBytes, m_codePage).size());
    keepFirst(writePrivateFile(folder / (base + ".txt"), buildMailFile(header, preview)));
    return first;
}

} // namespace pc::mail
