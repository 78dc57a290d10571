#pragma once

// File: pocket/mail/mail_box.h
// The mail list of the "e-mail" tab: "REFRESH" has the PC check the user's
// accounts (command 304, 120-second time-out) and shows the list it answers
// with, inline or fetched as "pda_Mail/MailList"; "삭제" deletes a mail on
// its server (332); at start-up the list is filled from the mails already
// stored on the handheld, within the "mailviewperiod". Window thread only.

#include "platform/event_loop.h"
#include "pocket/mail/mail_view.h"

#include <vector>

namespace platform {
class HttpFetch;
}

namespace proto {
struct PcAnswer;
}

namespace pocket::mail {

class MailBox final : public platform::MessageTarget {
public:
    static constexpr int kMsgCheckTimeout = 1542;
    static constexpr unsigned kCheckTimeoutMs = 120000;

    MailBox(MailContext& context, platform::HttpFetch& fetch);
    ~MailBox() override;

    // "REFRESH".
    void check();
    bool isChecking() const { return m_checking; }

    // "삭제" on a row: asks, then has the PC delete the mail on its server
    // and forgets the local copy.
    void deleteMail(const MailListEntry& entry);

    // The stored mails of the login id, newest name first.
    void loadStoredMails(const platform::LocalTime& today);

    // The rows as the list shows them, top first.
    const std::vector<MailListEntry>& rows() const { return m_rows; }

    // The connection-lost reset.
    void reset();

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void onAnswer(const proto::PcAnswer& answer);
    void onTimeout();
    void stopTimer();
    void fetchAndShowList();
    void writeAndShowList(std::string_view list);
    void showList();
    void insertRow(const MailListEntry& entry);

    MailContext& m_context;
    platform::HttpFetch& m_fetch;
    bool m_checking = false;
    bool m_timedOut = false;
    platform::OneShotId m_timer = 0;
    std::vector<MailListEntry> m_rows;
};

} // namespace pocket::mail
