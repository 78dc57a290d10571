#include "pc/service/listen_ports.h"

namespace pc::service {

namespace {

std::string portText(std::uint16_t port)
{
    return port == 0 ? std::string("열리지 않음") : std::to_string(port);
}

} // namespace

std::string describePorts(const ListenPorts& ports)
{
    return "명령 " + portText(ports.command) + ", 업로드 " + portText(ports.upload) + ", 웹 " + portText(ports.web);
}

std::optional<std::string> portsProblem(const ListenPorts& ports)
{
    if (ports.command == 0 || ports.upload == 0 || ports.web == 0)
        return "포트는 1부터 65535까지의 숫자로 입력해주십시오.";
    if (ports.command == ports.upload || ports.command == ports.web || ports.upload == ports.web)
        return "명령, 업로드, 웹 포트는 서로 달라야 합니다.";
    return std::nullopt;
}

} // namespace pc::service
