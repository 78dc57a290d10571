#include "pc/mail/mail_relay.h"

#include "pc/mail/prepared_mail.h"
#include "proto/command_codes.h"

namespace pc::mail {

MailRelay::MailRelay(MailRelayConfig config, MailRelayHooks hooks)
    : m_config(std::move(config))
    , m_hooks(std::move(hooks))
    , m_store(m_config.mailBoxes, m_config.serviceRoot, m_config.codePage)
{
}

MailRelay::~MailRelay() = default;

void MailRelay::answer(std::int32_t code, std::string text, std::string detail)
{
    if (m_hooks.postAnswer)
        m_hooks.postAnswer(proto::PcAnswer { 0, code, std::move(text), std::move(detail) });
}

void MailRelay::trace(std::string_view text) const
{
    if (m_hooks.trace)
        m_hooks.trace(text);
}

void MailRelay::checkMail(const service::CommandContext&)
{
    if (!m_ready) {
        answer(proto::kCodeCheckMail, std::string(kCheckVersionFail));
        return;
    }
    // The accounts as they are now; the worker keeps its own copy.
    MailUser user = m_hooks.currentUser ? m_hooks.currentUser() : MailUser {};
    bool started = m_pop3Worker.post([this, user = std::move(user)] {
        CheckResult result = runMailCheck(m_store, user, m_config.pop3);
        if (m_hooks.postLog) {
            for (std::string& entry : result.logEntries)
                m_hooks.postLog(std::move(entry));
        }
        answer(proto::kCodeCheckMail, checkAnswerText(result, m_store.codePage()), checkAnswerDetail(result));
    });
    if (!started)
        answer(proto::kCodeCheckMail, std::string(kCheckFail));
}

void MailRelay::prepareMail(const service::CommandContext& context)
{
    std::string id = m_hooks.currentUser ? m_hooks.currentUser().id : std::string();
    proto::PcAnswer prepared = pc::mail::prepareMail(m_store, id, context.text);
    if (m_hooks.sendAnswer)
        m_hooks.sendAnswer(prepared);
}

void MailRelay::deleteMail(const service::CommandContext& context)
{
    MailUser user = m_hooks.currentUser ? m_hooks.currentUser() : MailUser {};
    bool started = m_pop3Worker.post([this, user = std::move(user), text = context.text] {
        DeleteOutcome outcome = pc::mail::deleteMail(user, text, m_config.pop3);
        if (outcome != DeleteOutcome::Deleted)
            trace("mail delete: nothing deleted (" + std::to_string(static_cast<int>(outcome)) + ")");
    });
    if (!started)
        trace("mail delete: no worker");
}

void MailRelay::sendMail(const std::string& text, const std::string&)
{
    SendSetup setup;
    setup.winIni = m_config.winIni;
    setup.uploads = m_config.serviceRoot / "pda_Upload";
    setup.pcPathToLocal = m_hooks.pcPathToLocal;
    setup.timeout = m_config.sendTimeout;
    bool started = m_sendWorker.post([this, setup = std::move(setup), text] {
        std::string cause;
        std::string word = sendHandheldMail(text, setup, &cause);
        if (m_hooks.postLog)
            m_hooks.postLog(sendLogText(text, word, cause));
        // The cause rides beside the word, which the handheld has always read.
        answer(proto::kCodeMailPiece, word, cause);
    });
    if (!started)
        answer(proto::kCodeMailPiece, std::string(kSendFail1));
}

bool MailRelay::waitIdle(std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    bool pop3Idle = m_pop3Worker.waitIdle(timeout);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return m_sendWorker.waitIdle(std::max(left, std::chrono::milliseconds(0))) && pop3Idle;
}

} // namespace pc::mail
