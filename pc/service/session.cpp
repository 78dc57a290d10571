#include "pc/service/session.h"

#include "proto/command_codes.h"

namespace pc::service {

Session::Session(ServiceLog& log, AnswerSink& answers, ProbeTimer& timer, LoginSource source)
    : m_log(log)
    , m_answers(answers)
    , m_timer(timer)
    , m_source(std::move(source))
{
}

bool Session::isLoggedInAddress(std::string_view address) const
{
    return m_state.isLoggedIn && m_state.loggedInAddress == address;
}

bool Session::isLoggedInConnection(ConnectionId connection) const
{
    return m_state.isLoggedIn && connection != 0 && m_state.loggedInConnection == connection;
}

Session::LoginOutcome Session::logIn(std::string_view text, const std::string& sender, ConnectionId connection,
    bool logRefusal)
{
    std::size_t newline = text.find('\n');
    std::string_view id = text.substr(0, newline);
    std::string_view password = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    Credentials expected = m_source.credentials ? m_source.credentials() : Credentials {};

    if (id != expected.id || password != expected.password) {
        if (logRefusal)
            m_log.appendLog("접속 IP: " + sender + "\n사용자 인증에 실패하였습니다..\n");
        m_answers.sendAnswer({ 0, proto::kCodeLogIn, "NO" });
        return LoginOutcome::Refused;
    }
    // A newer log-in, on this or another connection, takes the session over;
    // the older connection no longer speaks for the handheld.
    m_state.loggedInAddress = sender;
    m_state.loggedInConnection = connection;
    m_state.isLoggedIn = true;
    int kind = m_source.mailClientKind ? m_source.mailClientKind() : 1;
    std::string drives = m_source.driveList ? m_source.driveList() : std::string("\\\\");
    m_answers.sendAnswer({ kind, proto::kCodeLogIn, "YES\\" + drives });
    startProbe();
    m_log.appendLog("접속 IP: " + sender + "\n사용자 인증을 완료하였습니다..\n");
    return LoginOutcome::Accepted;
}

bool Session::namesThisPc(std::string_view text, std::string_view connectionLocalAddress) const
{
    if (!m_state.pcAddress.empty() && text == m_state.pcAddress)
        return true;
    return !connectionLocalAddress.empty() && text == connectionLocalAddress;
}

void Session::onConnectionClosed(const std::string& peerAddress, ConnectionId connection)
{
    m_log.appendLog(peerAddress + " 소켓 연결을 종료합니다.\n");
    if (!isLoggedInConnection(connection))
        return;
    m_state.isLoggedIn = false;
    m_state.loggedInAddress.clear();
    m_state.loggedInConnection = 0;
    m_timer.killProbeTimer();
    m_log.appendLog("PDA 사용자 로그아웃\n");
}

void Session::startProbe()
{
    m_timer.killProbeTimer();
    m_answers.sendAnswer({ 0, proto::kCodeKeepAlive, "" });
    m_state.isActive = false;
    m_timer.startProbeTimer(kProbeMs);
}

Session::ProbeVerdict Session::onProbeExpired()
{
    m_timer.killProbeTimer();
    if (!m_state.isLoggedIn)
        return ProbeVerdict::Nothing;
    if (!m_state.isActive) {
        m_log.appendLog("PDA 사용자가 3분 동안 응답이 없으므로, 서버를 초기화 합니다.\n");
        return ProbeVerdict::ResetSession;
    }
    startProbe();
    return ProbeVerdict::ProbeAgain;
}

void Session::reset()
{
    m_timer.killProbeTimer();
    m_state.isLoggedIn = false;
    m_state.loggedInAddress.clear();
    m_state.loggedInConnection = 0;
}

} // namespace pc::service
