#include "pc/service/login_gate.h"

#include <algorithm>

namespace pc::service {

LoginGate::LoginGate(platform::EventLoop& loop, ServiceLog& log, Check check)
    : m_loop(loop)
    , m_log(log)
    , m_check(std::move(check))
{
}

LoginGate::~LoginGate()
{
    clear();
}

void LoginGate::onLogIn(ConnectionId connection, const std::string& address, const std::string& text)
{
    platform::Ticks wait = m_throttle.delayFor(address, m_loop.clock().ticks());
    if (wait.count() <= 0 && !m_waiting.contains(connection)) {
        checkNow(connection, address, text);
        return;
    }
    Waiting& waiting = m_waiting[connection];
    waiting.address = address;
    waiting.text = text;
    if (waiting.timer == 0) {
        waiting.timer = m_loop.setOneShot(this, static_cast<unsigned>(std::max<long long>(wait.count(), 0)),
            kMsgDelayOver, static_cast<platform::WParam>(connection));
    }
}

void LoginGate::checkNow(ConnectionId connection, const std::string& address, const std::string& text)
{
    // The refusal line is written for the first failure of a burst only.
    bool logRefusal = m_throttle.failures(address, m_loop.clock().ticks()) == 0;
    if (m_check(connection, address, text, logRefusal)) {
        m_throttle.onSuccess(address);
        return;
    }
    auto failure = m_throttle.onFailure(address, m_loop.clock().ticks());
    if (failure.startsDelay)
        m_log.appendLog("접속 IP: " + address + "\n로그인 실패가 되풀이되어 이 주소의 로그인을 늦춥니다..\n");
}

void LoginGate::onConnectionClosed(ConnectionId connection)
{
    auto found = m_waiting.find(connection);
    if (found == m_waiting.end())
        return;
    m_loop.cancelOneShot(found->second.timer);
    m_waiting.erase(found);
}

void LoginGate::clear()
{
    for (auto& [connection, waiting] : m_waiting)
        m_loop.cancelOneShot(waiting.timer);
    m_waiting.clear();
}

platform::LResult LoginGate::onMessage(int msg, platform::WParam wParam, platform::LParam)
{
    if (msg != kMsgDelayOver)
        return 0;
    auto found = m_waiting.find(static_cast<ConnectionId>(wParam));
    if (found == m_waiting.end())
        return 1;
    Waiting waiting = std::move(found->second);
    m_waiting.erase(found);
    // Another failure from the address may have pushed its delay further.
    onLogIn(static_cast<ConnectionId>(wParam), waiting.address, waiting.text);
    return 1;
}

} // namespace pc::service
