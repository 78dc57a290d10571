#include "pc/mail/mail_check.h"

#include "pc/mail/mail_file.h"
#include "pc/mail/pop3_client.h"
#include "pc/mail/seen_index.h"
#include "platform/codepage.h"

#include <memory>
#include <unordered_set>

namespace pc::mail {

namespace {

std::unique_ptr<Pop3Client> makeClient(const Pop3Account& account, const Pop3Options& options)
{
    Pop3Address address = pop3AddressOf(account.server);
    auto client = std::make_unique<Pop3Client>(address.host, address.port, account.user, account.password);
    client->setReceiveTimeout(options.timeout);
    client->setMaxAnswerBytes(options.maxAnswerBytes);
    return client;
}

// A connection that opens and logs in, closed again at once.
bool logInTest(const Pop3Account& account, const Pop3Options& options)
{
    auto client = makeClient(account, options);
    if (!client->connect())
        return false;
    return client->quit();
}

} // namespace

std::string mailListField(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return out;
}

bool fetchNewMail(const MailStore& store, std::string_view id, const Pop3Account& account,
    const Pop3Options& options, std::vector<FetchedMail>& fetched)
{
    // Folder failures show as failed raw-file writes, which end the fetch.
    (void)store.prepareAccount(id, account.server);
    std::filesystem::path indexPath = store.seenIndexPath(id, account.server);

    auto owned = makeClient(account, options);
    Pop3Client& client = *owned;
    if (!client.connect())
        return false;
    int count = client.stat();
    if (count < 0) {
        (void)client.quit();
        return false;
    }
    if (count == 0) {
        (void)client.quit();
        return true;
    }
    if (!client.uidl(count)) {
        (void)client.quit();
        return false;
    }

    // The index is read once; ids fetched now are added to the set as well,
    // so an id the server lists twice is fetched once.
    std::vector<std::string> seenIds = readSeenIndex(indexPath);
    std::unordered_set<std::string> seen(seenIds.begin(), seenIds.end());
    const auto& uids = client.uids();
    for (std::size_t i = 0; i < uids.size(); ++i) {
        const std::string& uid = uids[i];
        if (seen.contains(uid))
            continue;
        MailRecord record;
        if (!client.retrieve(static_cast<int>(i + 1), record, store.rawMessagePath(id, account.server, uid))) {
            if (client.lastError() == kPop3AnswerTooLarge)
                (void)markSeen(indexPath, uid);
            break;
        }
        fetched.push_back({ mailListField(record.subject), mailListField(record.from), account.server, uid });
        seen.insert(uid);
        (void)markSeen(indexPath, uid);
    }
    (void)client.quit();
    return true;
}

CheckResult runMailCheck(const MailStore& store, const MailUser& user, const Pop3Options& options)
{
    CheckResult result;
    for (const Pop3Account& account : user.accounts) {
        if (!logInTest(account, options)) {
            result.allAccountsOk = false;
            continue;
        }
        std::vector<FetchedMail> fetched;
        if (!fetchNewMail(store, user.id, account, options, fetched))
            result.allAccountsOk = false;
        for (const FetchedMail& mail : fetched)
            result.mailList += mailListLine(mail.subject, mail.from, mailListField(mail.server), mail.uid);
    }
    result.mailList += '\n';
    if (!store.writeMailList(result.mailList)) {
        result.allAccountsOk = false;
        result.listWritten = false;
    }
    return result;
}

std::string checkAnswerText(const CheckResult& result, std::string_view codePage)
{
    if (!result.listWritten)
        return std::string(kCheckFail);
    if (result.mailList == "\n")
        return std::string(result.allAccountsOk ? kCheckNothing : kCheckNothingButAnyFail);
    if (platform::encodedSize(result.mailList, codePage) < kInlineMailListLimit)
        return (result.allAccountsOk ? "." : ",") + result.mailList;
    return std::string(result.allAccountsOk ? kCheckSuccess : kCheckSuccessAny);
}

} // namespace pc::mail
