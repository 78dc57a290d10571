#include "pc/mail/mail_check.h"

#include "pc/mail/mail_file.h"
#include "pc/mail/oversized_mail.h"
#include "pc/mail/pop3_client.h"
#include "pc/mail/private_files.h"
#include "pc/mail/seen_index.h"
#include "platform/codepage.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>

namespace pc::mail {

std::unique_ptr<Pop3Client> makePop3Client(const Pop3Account& account, const Pop3Options& options)
{
    Pop3Address address = pop3AddressOf(account.server, defaultPop3Port(account.security));
    auto client = std::make_unique<Pop3Client>(address.host, address.port, account.user, account.password);
    client->setSecurity(account.security);
    client->setReceiveTimeout(options.timeout);
    client->setMaxAnswerBytes(options.maxAnswerBytes);
    return client;
}

std::optional<std::string> logInTest(const Pop3Account& account, const Pop3Options& options)
{
    auto client = makePop3Client(account, options);
    if (!client->connect() || !client->quit())
        return describePop3Failure(*client);
    return std::nullopt;
}

namespace {

void fail(CheckResult& result, const Pop3Account& account, std::string cause)
{
    result.allAccountsOk = false;
    AccountFailure failure { account.server, account.user, std::move(cause) };
    result.logEntries.push_back("메일 체크 실패: " + failure.text() + "\n");
    result.failures.push_back(std::move(failure));
}

std::string checkSummary(const CheckResult& result, std::size_t accounts)
{
    std::string line = "메일 체크: 계정 " + std::to_string(accounts) + "개, 새 메일 "
        + std::to_string(result.newMessages) + "통";
    if (!result.failures.empty())
        line += ", 실패한 계정 " + std::to_string(result.failures.size()) + "개";
    if (!result.listWritten)
        line += ", 메일 목록을 쓰지 못했습니다";
    return line + "\n";
}

// Stores the stand-in of a message too large to fetch under its unique id
// and lists it; the message itself stays on the server. False when the
// stand-in could not be stored, which ends the fetch as a failed retrieve
// does.
bool listStandIn(const MailStore& store, std::string_view id, const Pop3Account& account,
    const std::string& uid, const MailRecord& original, std::int64_t size, std::vector<FetchedMail>& fetched)
{
    std::string raw = oversizedStandIn(original.headerText, size);
    if (!writePrivateFile(store.rawMessagePath(id, account.server, uid), raw))
        return false;
    fetched.push_back(
        { mailListField(original.subject), mailListField(original.from), account.server, uid, size });
    return true;
}

// Fetches the listed messages that the seen index does not hold, in UIDL
// order. Sizes come from one LIST, asked for once something is new, so that
// a message beyond the answer limit is never retrieved: its header (TOP)
// makes its stand-in. A failed retrieve ends the loop.
void fetchListedMail(Pop3Client& client, const MailStore& store, std::string_view id,
    const Pop3Account& account, const Pop3Options& options, std::vector<FetchedMail>& fetched)
{
    std::filesystem::path indexPath = store.seenIndexPath(id, account.server);
    // The index is read once; ids fetched now are added to the set as well,
    // so an id the server lists twice is fetched once.
    std::vector<std::string> seenIds = readSeenIndex(indexPath);
    std::unordered_set<std::string> seen(seenIds.begin(), seenIds.end());
    const auto limit = static_cast<std::int64_t>(options.maxAnswerBytes);
    bool sizesAsked = false;
    const auto& uids = client.uids();
    for (std::size_t i = 0; i < uids.size() && client.isConnected(); ++i) {
        const std::string uid = uids[i];
        if (seen.contains(uid))
            continue;
        if (!std::exchange(sizesAsked, true))
            (void)client.list(); // Without sizes every message is retrieved.
        int number = static_cast<int>(i + 1);
        auto listed = client.sizes().find(number);
        std::optional<std::int64_t> size;
        if (listed != client.sizes().end())
            size = listed->second;
        MailRecord record;
        bool stored = false;
        if (size && *size > limit) {
            (void)client.top(number, record); // Without a header the stand-in has none.
            stored = listStandIn(store, id, account, uid, record, *size, fetched);
        } else if (client.retrieve(number, record, store.rawMessagePath(id, account.server, uid))) {
            fetched.push_back(
                { mailListField(record.subject), mailListField(record.from), account.server, uid });
            stored = true;
        } else if (client.lastError() == kPop3AnswerTooLarge) {
            // LIST told too little (or nothing); the size is at least the limit.
            stored = listStandIn(store, id, account, uid, record, std::max(size.value_or(limit), limit), fetched);
        }
        if (!stored)
            break;
        // Seen, also when too large: it must not stop every later check here.
        seen.insert(uid);
        (void)markSeen(indexPath, uid);
    }
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
    const Pop3Options& options, std::vector<FetchedMail>& fetched, std::string* failure)
{
    // Folder failures show as failed raw-file writes, which end the fetch.
    (void)store.prepareAccount(id, account.server);

    auto owned = makePop3Client(account, options);
    Pop3Client& client = *owned;
    auto failed = [&] {
        if (failure)
            *failure = describePop3Failure(client);
        return false;
    };
    if (!client.connect())
        return failed();
    // A count the answer does not give (-1) is no reason to stop: the UIDL
    // answer tells what the mailbox holds.
    int count = client.stat();
    if (count == 0) {
        (void)client.quit();
        return true;
    }
    if (!client.uidl(count)) {
        bool result = failed();
        (void)client.quit();
        return result;
    }
    fetchListedMail(client, store, id, account, options, fetched);
    (void)client.quit();
    return true;
}

CheckResult runMailCheck(const MailStore& store, const MailUser& user, const Pop3Options& options)
{
    CheckResult result;
    for (const Pop3Account& account : user.accounts) {
        if (auto cause = logInTest(account, options)) {
            fail(result, account, std::move(*cause));
            continue;
        }
        std::vector<FetchedMail> fetched;
        std::string cause;
        if (!fetchNewMail(store, user.id, account, options, fetched, &cause))
            fail(result, account, std::move(cause));
        result.newMessages += fetched.size();
        for (const FetchedMail& mail : fetched) {
            result.mailList += mailListLine(mail.subject, mail.from, mailListField(mail.server), mail.uid);
            if (mail.tooLargeBytes > 0)
                result.logEntries.push_back(oversizedLogText(account, mail.tooLargeBytes, mail.subject));
        }
    }
    result.mailList += '\n';
    if (!store.writeMailList(result.mailList)) {
        result.allAccountsOk = false;
        result.listWritten = false;
    }
    result.logEntries.push_back(checkSummary(result, user.accounts.size()));
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

std::string checkAnswerDetail(const CheckResult& result)
{
    std::string detail;
    for (const AccountFailure& failure : result.failures)
        detail += (detail.empty() ? "" : "\n") + failure.text();
    return detail;
}

} // namespace pc::mail
