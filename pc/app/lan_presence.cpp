#include "pc/app/lan_presence.h"

#include "platform/net_address.h"
#include "platform/trace.h"
#include "proto/pc_announcement.h"

namespace pc::app {

LanPresence::LanPresence(std::unique_ptr<platform::ServiceAnnouncer> announcer, LogLine log)
    : m_announcer(std::move(announcer))
    , m_log(std::move(log))
{
}

platform::DnsSdService LanPresence::serviceFor(const std::string& hostName, std::uint16_t commandPort,
    const std::string& fingerprint)
{
    std::string name = hostName.empty() ? std::string("PC") : hostName;
    return { "Quillon " + name, std::string(proto::kQuillonServiceType), commandPort,
        proto::pcTxtRecord({ name, fingerprint }) };
}

void LanPresence::start(std::uint16_t commandPort, const std::string& fingerprint)
{
    if (!m_announcer || commandPort == 0)
        return;
    auto announced = m_announcer->announce(serviceFor(platform::localHostName(), commandPort, fingerprint));
    if (announced)
        return;
    platform::trace("LAN announcement: " + platform::describe(announced.error()));
    if (m_toldUnavailable)
        return;
    m_toldUnavailable = true;
    m_log("PDA가 이 PC를 찾도록 알리지 못했습니다 (" + announced.error().context
        + "). PDA에는 PC 주소를 직접 넣어 주십시오.\n");
}

void LanPresence::stop()
{
    if (m_announcer)
        m_announcer->withdraw();
}

} // namespace pc::app
