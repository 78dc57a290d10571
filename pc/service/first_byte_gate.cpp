#include "pc/service/first_byte_gate.h"

namespace pc::service {

FirstByteGate::Pass FirstByteGate::pass(platform::EventLoop& loop, platform::SocketFd& socket,
    const platform::SocketCallbacks& callbacks)
{
    if (m_decided || !m_secureLink)
        return Pass::Read;
    int watched = socket.fd();
    switch (m_secureLink->admit(socket)) {
    case platform::FirstByte::Undecided:
        return Pass::Wait;
    case platform::FirstByte::Refused:
        m_decided = true;
        return Pass::Refuse;
    case platform::FirstByte::Clear:
        m_decided = true;
        return Pass::Read;
    case platform::FirstByte::Private:
        break;
    }
    m_decided = true;
    m_isPrivate = true;
    // The TCP socket now belongs to the relay's thread.
    loop.unwatchSocket(watched);
    loop.watchSocket(socket.fd(), callbacks);
    return Pass::Wait;
}

} // namespace pc::service
