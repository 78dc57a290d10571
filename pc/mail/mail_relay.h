#pragma once

// File: pc/mail/mail_relay.h
// The mail relay of the command channel: check mail (304), prepare one mail
// (305), delete one mail (332) and send the assembled mail (329).
//
// Checks and deletes run one after the other on the POP3 worker (a check
// that arrives while another runs is carried out after it, and a delete
// never meets a check on the same mailbox); sends run on their own worker.
// Both answer through postAnswer(). Preparing a mail decodes local files and
// answers at once on the window thread.
//
//     MailRelay relay(config, hooks);
//     relay.setMailClientReady(setUpMailClient(registry, kind, ui));
//     service.setMailCommands(&relay);   // destroy the relay first

#include "pc/mail/mail_check.h"
#include "pc/mail/mail_sender.h"
#include "pc/mail/mail_store.h"
#include "pc/mail/pop3_account.h"
#include "pc/mail/serial_worker.h"
#include "pc/service/mail_commands.h"
#include "proto/pc_answer.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>

namespace pc::mail {

struct MailRelayConfig {
    std::filesystem::path mailBoxes; // The fetch area ("boxes").
    std::filesystem::path serviceRoot; // Holds pda_Mail and pda_Upload.
    std::filesystem::path winIni;
    Pop3Options pop3;
    std::chrono::milliseconds sendTimeout { 120000 };
    // The handheld's code page, in which MailList and the mail files are
    // written (mail text is UTF-8 inside the program).
    std::string codePage = "UTF-8";
};

struct MailRelayHooks {
    // The logged-in user's id and accounts, read on the window thread.
    std::function<MailUser()> currentUser;
    // Sends an answer from any thread (RemoteService::postAnswer).
    std::function<void(proto::PcAnswer)> postAnswer;
    // Sends an answer on the window thread (RemoteService::sendAnswer).
    std::function<void(const proto::PcAnswer&)> sendAnswer;
    // Appends an entry to the PC's log from any thread (optional).
    std::function<void(std::string)> postLog;
    PcPathResolver pcPathToLocal; // Optional.
    std::function<void(std::string_view)> trace; // Optional.
};

class MailRelay final : public service::MailCommands {
public:
    MailRelay(MailRelayConfig config, MailRelayHooks hooks);
    ~MailRelay() override;

    void setMailClientReady(bool ready) { m_ready = ready; }
    bool mailClientReady() const { return m_ready; }
    const MailStore& store() const { return m_store; }

    void checkMail(const service::CommandContext& context) override;
    void prepareMail(const service::CommandContext& context) override;
    void deleteMail(const service::CommandContext& context) override;
    void sendMail(const std::string& text, const std::string& senderAddress) override;

    // Waits until both workers have nothing left to do; for tests and for an
    // orderly end. False at the deadline.
    bool waitIdle(std::chrono::milliseconds timeout);

private:
    void answer(std::int32_t code, std::string text, std::string detail = {});
    void trace(std::string_view text) const;

    MailRelayConfig m_config;
    MailRelayHooks m_hooks;
    MailStore m_store;
    std::atomic<bool> m_ready = false;
    SerialWorker m_sendWorker;
    SerialWorker m_pop3Worker; // Declared last: its jobs stop first.
};

} // namespace pc::mail
