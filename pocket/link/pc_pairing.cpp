#include "pocket/link/pc_pairing.h"

#include "platform/registry.h"
#include "platform/tls/tls_identity.h"
#include "platform/trace.h"
#include "platform/ui.h"
#include "pocket/settings/pda_settings.h"

#include <algorithm>
#include <cctype>

namespace pocket::link {

namespace {

constexpr std::string_view kTitle = "Quillon";

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

std::string fingerprintLines(std::string_view fingerprint)
{
    constexpr std::size_t kGroupsPerLine = 8;
    std::string lines;
    std::size_t groups = 0;
    for (char c : fingerprint) {
        if (c == ':' && ++groups % kGroupsPerLine == 0) {
            lines += '\n';
            continue;
        }
        lines += c;
    }
    return lines;
}

std::string firstPairingQuestion(std::string_view address, std::string_view fingerprint)
{
    return "처음 연결하는 PC입니다 (" + std::string(address) + ").\nPC 인증서 지문:\n" + fingerprintLines(fingerprint)
        + "\n\nPC 프로그램이 보여 주는 지문(로그, Quillon 정보)과 같습니까?";
}

std::string changedKeyMessage(std::string_view address, std::string_view pinned, std::string_view seen)
{
    return "PC(" + std::string(address) + ")의 인증서가 처음 연결할 때와 다릅니다. 다른 컴퓨터가 PC인 척할 수 "
        "있으므로 연결하지 않았습니다. 아무것도 보내지 않았습니다.\n기억한 지문:\n" + fingerprintLines(pinned)
        + "\n받은 지문:\n" + fingerprintLines(seen);
}

PcPairing::PcPairing(platform::Registry& registry, platform::Ui& ui, std::unique_ptr<platform::TlsRelay> relay)
    : m_registry(registry)
    , m_ui(ui)
    , m_relay(std::move(relay))
{
}

bool PcPairing::isOn() const
{
    return m_relay && m_registry.getDword(settings::kSettingsKey, kSecureLinkValue).value_or(1) != 0;
}

void PcPairing::setOn(bool on)
{
    (void)m_registry.createKey(settings::kSettingsKey);
    if (auto written = m_registry.setDword(settings::kSettingsKey, kSecureLinkValue, on ? 1 : 0); !written)
        platform::trace("SecureLink: " + platform::describe(written.error()));
}

std::optional<std::string> PcPairing::pinnedFingerprint(const std::string& address) const
{
    return m_registry.getString(kPairedPcsKey, address);
}

void PcPairing::forget(const std::string& address)
{
    (void)m_registry.deleteValue(kPairedPcsKey, address);
}

std::optional<platform::SocketFd> PcPairing::secure(platform::SocketFd socket, const std::string& address)
{
    if (!m_relay)
        return std::nullopt;
    auto link = m_relay->connect(std::move(socket), kHandshakeTimeout);
    if (!link) {
        platform::trace("private link to " + address + ": " + platform::describe(link.error()));
        m_ui.messageBox(kTitle, kNoPrivateLinkMessage, platform::Icon::Warning);
        return std::nullopt;
    }
    auto pinned = pinnedFingerprint(address);
    if (!pinned) {
        if (!acceptNewPc(address, link->fingerprint))
            return std::nullopt;
    } else if (upper(*pinned) != upper(link->fingerprint)) {
        m_ui.messageBox(kTitle, changedKeyMessage(address, *pinned, link->fingerprint), platform::Icon::Warning);
        return std::nullopt;
    }
    return std::move(link->clear);
}

bool PcPairing::acceptNewPc(const std::string& address, const std::string& fingerprint)
{
    auto answer = m_ui.question(kTitle, firstPairingQuestion(address, fingerprint), platform::Buttons::YesNo);
    if (answer != platform::Answer::Yes)
        return false;
    pin(address, fingerprint);
    return true;
}

void PcPairing::pin(const std::string& address, const std::string& fingerprint)
{
    (void)m_registry.createKey(kPairedPcsKey);
    if (auto written = m_registry.setString(kPairedPcsKey, address, fingerprint); !written)
        platform::trace("PairedPcs: " + platform::describe(written.error()));
}

} // namespace pocket::link
