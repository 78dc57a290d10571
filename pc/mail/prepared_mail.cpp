#include "pc/mail/prepared_mail.h"

#include "pc/mail/mail_check.h"
#include "pc/mail/pop3_client.h"
#include "pc/mail/private_files.h"
#include "pc/mail/safe_name.h"
#include "pc/mail/stored_message.h"
#include "platform/codepage.h"
#include "platform/decimal_number.h"
#include "proto/command_codes.h"

namespace pc::mail {

namespace {

std::int32_t leadingNumber(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return platform::leadingDecimal<std::int32_t>(text);
}

} // namespace

proto::PcAnswer prepareMail(const MailStore& store, std::string_view id, std::string_view text)
{
    proto::PcAnswer answer { 0, proto::kCodePrepareMail, std::string(kPrepareFail) };
    auto firstBreak = text.find('\n');
    answer.first = leadingNumber(text.substr(0, firstBreak));
    if (firstBreak == std::string_view::npos)
        return answer;
    auto secondBreak = text.find('\n', firstBreak + 1);
    if (secondBreak == std::string_view::npos)
        return answer;
    std::string_view server = text.substr(firstBreak + 1, secondBreak - firstBreak - 1);
    std::string_view uid = text.substr(secondBreak + 1);
    if (server.empty() || uid.empty())
        return answer;

    auto stored = decodeStoredMessage(store, id, store.rawMessagePath(id, server, uid), server, uid);
    if (!stored)
        return answer;
    std::filesystem::path mailFolder = store.mailFolder(id, uid);
    auto content = readFileBytes(mailFolder / mailName(uid));
    if (!content)
        return answer;
    // The file is in the handheld's code page, and so is the limit; the
    // answer text goes back to UTF-8 until it is sent.
    if (content->size() < kInlineMailListLimit)
        answer.text = std::string(uid) + "/" + platform::toUtf8(*content, store.codePage());
    else
        answer.text = std::string(kPreparedInFile) + std::string(uid);
    return answer;
}

DeleteOutcome deleteMail(const MailUser& user, std::string_view text, const Pop3Options& options)
{
    auto lineBreak = text.find('\n');
    if (lineBreak == std::string_view::npos)
        return DeleteOutcome::NoSuchAccount;
    std::string_view uid = text.substr(0, lineBreak);
    std::string_view server = text.substr(lineBreak + 1);
    const Pop3Account* account = nullptr;
    for (const Pop3Account& candidate : user.accounts) {
        if (candidate.server == server) {
            account = &candidate;
            break;
        }
    }
    if (!account)
        return DeleteOutcome::NoSuchAccount;

    auto owned = makePop3Client(*account, options);
    Pop3Client& client = *owned;
    if (!client.connect())
        return DeleteOutcome::ServerFailed;
    // As in a check, only a count of 0 ends the work here; without a count
    // (-1) the UIDL answer decides.
    int count = client.stat();
    if (count == 0) {
        (void)client.quit();
        return DeleteOutcome::NoSuchMessage;
    }
    if (!client.uidl(count)) {
        (void)client.quit();
        return DeleteOutcome::ServerFailed;
    }
    DeleteOutcome outcome = DeleteOutcome::NoSuchMessage;
    const auto& uids = client.uids();
    for (std::size_t i = 0; i < uids.size(); ++i) {
        if (uids[i] == uid) {
            // The deletion takes effect with the QUIT below.
            if (client.dele(static_cast<int>(i + 1)))
                outcome = DeleteOutcome::Deleted;
            break;
        }
    }
    if (!client.quit() && outcome == DeleteOutcome::Deleted)
        outcome = DeleteOutcome::ServerFailed;
    return outcome;
}

} // namespace pc::mail
