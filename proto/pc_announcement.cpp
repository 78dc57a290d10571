#include "proto/pc_announcement.h"

#include "platform/codepage.h"
#include "platform/tls/tls_identity.h"

#include <algorithm>
#include <cctype>

namespace proto {

namespace {

constexpr std::string_view kNameKey = "name";
constexpr std::string_view kFingerprintKey = "fp";

bool sameKey(std::string_view key, std::string_view wanted)
{
    return key.size() == wanted.size()
        && std::equal(key.begin(), key.end(), wanted.begin(),
            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

} // namespace

std::vector<std::string> pcTxtRecord(const PcAnnouncement& announcement)
{
    std::string name = "name=";
    name += platform::cutBytes(announcement.name, kTxtStringBytes - name.size());
    std::vector<std::string> strings { name };
    if (!announcement.fingerprint.empty())
        strings.push_back(std::string(kFingerprintKey) + "=" + announcement.fingerprint);
    return strings;
}

std::optional<PcAnnouncement> parsePcTxtRecord(const std::vector<std::string>& strings)
{
    std::optional<std::string> name;
    std::optional<std::string> fingerprint;
    for (const std::string& entry : strings) {
        auto equals = entry.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        std::string_view key(entry.data(), equals);
        std::string value = entry.substr(equals + 1);
        if (sameKey(key, kNameKey) && !name)
            name = value;
        else if (sameKey(key, kFingerprintKey) && !fingerprint)
            fingerprint = value;
    }
    if (!name && !fingerprint)
        return std::nullopt;
    PcAnnouncement announcement;
    announcement.name = name.value_or("");
    if (fingerprint && platform::isFingerprint(*fingerprint)) {
        announcement.fingerprint = *fingerprint;
        std::transform(announcement.fingerprint.begin(), announcement.fingerprint.end(),
            announcement.fingerprint.begin(), [](unsigned char c) { return std::toupper(c); });
    }
    return announcement;
}

} // namespace proto
