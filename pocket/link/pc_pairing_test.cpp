#include "pocket/link/pc_pairing.h"

#include "pocket/link/pc_finder.h"

#include "platform/registry.h"
#include "platform/tcp_listener.h"
#include "platform/temp_folder.h"
#include "platform/testing/accept_within.h"
#include "platform/testing/fake_ui.h"
#include "platform/tls/tls_identity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace pocket::link {
namespace {

using namespace std::chrono_literals;
using platform::Answer;

// A PC's side of the link: its own key on a loopback port, recording what
// its service would have received from each connection.
class PcEnd {
public:
    PcEnd()
        : m_home("pairing-pc")
    {
        m_identity = std::make_unique<platform::TlsIdentity>(
            std::move(platform::TlsIdentity::loadOrCreate(m_home.path()).value()));
        m_relay = std::move(platform::TlsRelay::forServer(*m_identity).value());
        m_listener = std::move(platform::TcpListener::listen("127.0.0.1", 0).value());
    }
    ~PcEnd()
    {
        if (m_server.joinable())
            m_server.join();
    }

    // Accepts one connection in the background and collects its clear bytes
    // until it closes; a clear server when `clear` is set.
    void serveOne(bool clear = false)
    {
        m_server = std::thread([this, clear] {
            auto accepted = platform::testing::acceptWithin(m_listener);
            if (!accepted)
                return;
            platform::SocketFd socket = std::move(accepted->socket);
            if (clear) {
                (void)platform::sendAll(socket.fd(), std::string(1032, 'x'));
            } else {
                socket = std::move(m_relay->accept(std::move(socket)).value());
            }
            timeval tv { 10, 0 };
            ::setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
            char buffer[4096];
            ssize_t n;
            while ((n = ::recv(socket.fd(), buffer, sizeof buffer, 0)) > 0) {
                if (!clear)
                    m_received.append(buffer, static_cast<std::size_t>(n));
            }
        });
    }
    std::string received()
    {
        m_server.join();
        return m_received;
    }
    platform::SocketFd dial() { return std::move(platform::connectTcp("127.0.0.1", m_listener.port()).value()); }
    const std::string& fingerprint() const { return m_identity->fingerprint(); }

private:
    platform::TempFolder m_home;
    std::unique_ptr<platform::TlsIdentity> m_identity;
    std::unique_ptr<platform::TlsRelay> m_relay;
    platform::TcpListener m_listener;
    std::thread m_server;
    std::string m_received;
};

class PcPairingTest : public ::testing::Test {
protected:
    PcPairingTest()
        : m_registry(platform::Registry::inMemory())
        , m_pairing(*m_registry, ui, std::move(platform::TlsRelay::forClient().value()))
    {
    }

    // Connects to the PC and, when the link is accepted, sends a log-in.
    bool connectAndLogIn(PcEnd& pc)
    {
        pc.serveOne();
        auto clear = m_pairing.secure(pc.dial(), "127.0.0.1");
        if (!clear)
            return false;
        EXPECT_TRUE(platform::sendAll(clear->fd(), "0xx0:0 0xx1:310 0xx2:owner\nsecret"));
        return true;
    }

    platform::testing::FakeUi ui;
    std::unique_ptr<platform::Registry> m_registry;
    PcPairing m_pairing;
};

TEST_F(PcPairingTest, FirstConnectionShowsTheFingerprintAndAYesPinsIt)
{
    PcEnd pc;
    EXPECT_TRUE(m_pairing.isOn());
    ui.pushAnswer(Answer::Yes);
    ASSERT_TRUE(connectAndLogIn(pc));
    EXPECT_EQ(pc.received(), "0xx0:0 0xx1:310 0xx2:owner\nsecret");
    ASSERT_EQ(ui.callCount(), 1u);
    auto question = ui.calls().front();
    EXPECT_TRUE(question.isQuestion);
    EXPECT_EQ(question.text, firstPairingQuestion("127.0.0.1", pc.fingerprint()));
    // Four lines of eight groups: the fingerprint read as the PC shows it.
    const std::string lines = fingerprintLines(pc.fingerprint());
    EXPECT_NE(question.text.find("\n" + lines + "\n"), std::string::npos);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3);
    std::string joined = lines;
    std::replace(joined.begin(), joined.end(), '\n', ':');
    EXPECT_EQ(joined, pc.fingerprint());
    EXPECT_EQ(m_pairing.pinnedFingerprint("127.0.0.1"), pc.fingerprint());

    // Later connections to the same PC ask nothing.
    ASSERT_TRUE(connectAndLogIn(pc));
    EXPECT_FALSE(pc.received().empty());
    EXPECT_EQ(ui.callCount(), 1u);
}

TEST_F(PcPairingTest, ANoSendsNothingAndPinsNothing)
{
    PcEnd pc;
    ui.pushAnswer(Answer::No);
    EXPECT_FALSE(connectAndLogIn(pc));
    EXPECT_EQ(pc.received(), "");
    EXPECT_EQ(m_pairing.pinnedFingerprint("127.0.0.1"), std::nullopt);
}

TEST_F(PcPairingTest, AnotherPcOnThePinnedAddressIsRefusedBeforeAnythingIsSent)
{
    PcEnd first;
    ui.pushAnswer(Answer::Yes);
    ASSERT_TRUE(connectAndLogIn(first));
    EXPECT_FALSE(first.received().empty());

    PcEnd impostor; // Another key, the same address.
    ui.clear();
    ui.pushAnswer(Answer::Yes); // Must not be asked.
    EXPECT_FALSE(connectAndLogIn(impostor));
    EXPECT_EQ(impostor.received(), "") << "the password went out";
    ASSERT_EQ(ui.callCount(), 1u);
    EXPECT_FALSE(ui.calls().front().isQuestion);
    EXPECT_EQ(ui.lastText(), changedKeyMessage("127.0.0.1", first.fingerprint(), impostor.fingerprint()));
    EXPECT_EQ(m_pairing.pinnedFingerprint("127.0.0.1"), first.fingerprint());

    // Once the user forgets the old key, the new PC is asked about.
    m_pairing.forget("127.0.0.1");
    ui.clear();
    ui.pushAnswer(Answer::Yes);
    ASSERT_TRUE(connectAndLogIn(impostor));
    EXPECT_FALSE(impostor.received().empty());
    EXPECT_EQ(m_pairing.pinnedFingerprint("127.0.0.1"), impostor.fingerprint());
}

TEST_F(PcPairingTest, APcPickedFromTheListIsTakenWithoutAskingAndOnlyWithItsKey)
{
    PcEnd pc;
    FoundPc picked { "study", "127.0.0.1", 4000, pc.fingerprint() };
    EXPECT_EQ(pinPickedPc(m_pairing, picked), PickOutcome::Pinned);
    EXPECT_EQ(pinPickedPc(m_pairing, picked), PickOutcome::AlreadyPinned);
    ASSERT_TRUE(connectAndLogIn(pc));
    EXPECT_FALSE(pc.received().empty());
    EXPECT_EQ(ui.callCount(), 0u) << "the pick stands for the comparison";

    // Another key at that address is refused like a changed key, and an
    // announcement of another key does not replace the pin.
    PcEnd impostor;
    EXPECT_EQ(pinPickedPc(m_pairing, { "study", "127.0.0.1", 4000, impostor.fingerprint() }), PickOutcome::PinDiffers);
    EXPECT_FALSE(connectAndLogIn(impostor));
    EXPECT_EQ(impostor.received(), "");
    EXPECT_EQ(ui.lastText(), changedKeyMessage("127.0.0.1", pc.fingerprint(), impostor.fingerprint()));
    EXPECT_EQ(m_pairing.pinnedFingerprint("127.0.0.1"), pc.fingerprint());
}

TEST_F(PcPairingTest, AClearPcIsRefusedWithAMessage)
{
    PcEnd pc;
    pc.serveOne(true);
    EXPECT_FALSE(m_pairing.secure(pc.dial(), "127.0.0.1"));
    (void)pc.received();
    EXPECT_EQ(ui.lastText(), kNoPrivateLinkMessage);

    m_pairing.setOn(false);
    EXPECT_FALSE(m_pairing.isOn());
}

} // namespace
} // namespace pocket::link
