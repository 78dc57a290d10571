#include "pocket/link/pc_finder.h"

#include "platform/trace.h"
#include "pocket/link/pc_pairing.h"
#include "proto/pc_announcement.h"

#include <algorithm>
#include <cctype>

namespace pocket::link {

namespace {

bool sameFingerprint(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

PcFinder::PcFinder(std::unique_ptr<platform::ServiceBrowser> browser)
    : m_browser(std::move(browser))
{
}

FindResult PcFinder::find(std::chrono::milliseconds wait)
{
    FindResult result;
    if (!m_browser) {
        result.problem = discoveryProblemText("no discovery");
        return result;
    }
    auto found = m_browser->browse(std::string(proto::kQuillonServiceType), wait);
    if (!found) {
        platform::trace("PC discovery: " + platform::describe(found.error()));
        result.problem = discoveryProblemText(found.error().context);
        return result;
    }
    for (const auto& service : *found) {
        auto announcement = proto::parsePcTxtRecord(service.txt);
        if (!announcement)
            continue;
        std::string name = announcement->name.empty() ? service.name : announcement->name;
        result.pcs.push_back({ name, service.address, service.port, announcement->fingerprint });
    }
    return result;
}

PickOutcome pinPickedPc(PcPairing& pairing, const FoundPc& pc)
{
    if (pc.fingerprint.empty())
        return PickOutcome::NothingToPin;
    auto pinned = pairing.pinnedFingerprint(pc.address);
    if (pinned)
        return sameFingerprint(*pinned, pc.fingerprint) ? PickOutcome::AlreadyPinned : PickOutcome::PinDiffers;
    pairing.pin(pc.address, pc.fingerprint);
    return PickOutcome::Pinned;
}

std::string foundPcLine(const FoundPc& pc)
{
    std::string line = pc.name + "  " + pc.address + ":" + std::to_string(pc.port);
    return pc.fingerprint.empty() ? line + "  (보안 연결 없음)" : line + "  " + pc.fingerprint;
}

std::string pickOutcomeText(PickOutcome outcome, const FoundPc& pc)
{
    switch (outcome) {
    case PickOutcome::Pinned:
        return pc.address + "의 지문을 기억했습니다. 연결할 때 PC가 이 지문을 보여야 합니다.";
    case PickOutcome::AlreadyPinned:
        return pc.address + "의 지문은 이미 기억하고 있습니다.";
    case PickOutcome::NothingToPin:
        return pc.address + "는 지문을 알리지 않았습니다. 처음 연결할 때 지문을 확인해 주십시오.";
    case PickOutcome::PinDiffers:
        break;
    }
    return pc.address + "에 대해 기억한 지문이 이 PC가 알린 지문과 다릅니다. 기억한 지문을 그대로 둡니다. PC를 다시 "
                        "설치했다면 forgetpc로 지운 뒤 다시 고르십시오.";
}

std::string discoveryProblemText(std::string_view reason)
{
    return "PC 찾기를 쓸 수 없습니다 (" + std::string(reason) + "). PC 주소를 직접 넣어 주십시오.";
}

} // namespace pocket::link
