#pragma once

// File: pc/service/testing/secure_service_fixture.h
// The service with private connections beside clear ones, as the PC
// program runs it, and a handheld's side of the private link.

#include "pc/service/testing/service_fixture.h"
#include "platform/tls/secure_link.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_relay.h"

#include <future>

namespace pc::service::testing {

class SecureServiceFixture : public ServiceFixture {
protected:
    SecureServiceFixture()
        : m_identityHome("secure-service")
        , m_identity(std::move(platform::TlsIdentity::loadOrCreate(m_identityHome.path()).value()))
        , m_serverRelay(std::move(platform::TlsRelay::forServer(m_identity).value()))
        , m_clientRelay(std::move(platform::TlsRelay::forClient().value()))
        , m_link(m_serverRelay.get(), platform::SecureLinkMode::Allowed)
    {
        service->setSecureLink(&m_link);
        WebConfig webConfig { root(), 0, "127.0.0.1" };
        webConfig.secureLink = &m_link;
        web = std::make_unique<HttpWebService>(clock, service->webAccess(), accessLog, webConfig);
        web->setCredentials(credentials);
        service->setWebService(web.get());
        service->start();
    }
    ~SecureServiceFixture() override
    {
        service.reset();
        web.reset();
    }

    // Runs the loop until a condition that other threads change holds
    // (pumpUntil checks only after the loop's own events).
    bool pumpUntilSettled(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        auto giveUp = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > giveUp)
                return false;
            loop.runUntil(done, std::chrono::milliseconds(10));
        }
        return true;
    }

    // The TLS handshake runs in the relays' threads, but the service must
    // accept and look at the first byte: the loop runs meanwhile.
    platform::IoResult<platform::TlsClientLink> connectPrivately(std::uint16_t port)
    {
        auto tcp = platform::connectTcp("127.0.0.1", port);
        if (!tcp)
            return tcp.error();
        auto pending = std::async(std::launch::async,
            [&, socket = std::move(*tcp)]() mutable { return m_clientRelay->connect(std::move(socket), std::chrono::seconds(5)); });
        pumpUntilSettled([&] { return pending.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; });
        return pending.get();
    }

    std::unique_ptr<ScriptedHandheld> privateHandheld()
    {
        auto link = connectPrivately(service->commandPort());
        EXPECT_TRUE(link) << platform::describe(link.error());
        if (!link)
            return nullptr;
        EXPECT_EQ(link->fingerprint, m_identity.fingerprint());
        return ScriptedHandheld::adopt(link->clear.release(), "127.0.0.1");
    }

    // Answers over the private link arrive after the loop's event is over.
    std::optional<proto::PcAnswer> askSettled(ScriptedHandheld& handheld, const proto::PcRequest& request)
    {
        handheld.send(request);
        return awaitSettled(handheld);
    }
    std::optional<proto::PcAnswer> awaitSettled(ScriptedHandheld& handheld)
    {
        pumpUntilSettled([&] { return handheld.pump(), !handheld.answers().empty(); });
        return handheld.takeAnswer();
    }

    // Sends raw bytes on a fresh clear connection and waits for the close.
    bool closedAfter(std::string_view bytes, std::function<void()> meanwhile = {})
    {
        auto peer = ScriptedHandheld::connect(service->commandPort());
        std::size_t before = service->commandConnectionCount();
        pumpUntil([&] { return service->commandConnectionCount() > before; });
        peer->sendRaw(bytes);
        if (meanwhile)
            meanwhile();
        return pumpUntilSettled([&] { return !peer->pump(); });
    }

    platform::TempFolder m_identityHome;
    platform::TlsIdentity m_identity;
    std::unique_ptr<platform::TlsRelay> m_serverRelay;
    std::unique_ptr<platform::TlsRelay> m_clientRelay;
    platform::SecureLinkServer m_link;
};

} // namespace pc::service::testing
