#pragma once

// File: proto/pc_announcement.h
// How the PC program announces itself on the local network with DNS-SD:
// service type "_quillon._tcp" on its command port, and a TXT record of
// two strings, "name=<the PC's name>" and "fp=<its key's fingerprint>" (the
// fingerprint the private link shows, 32 hex pairs joined by ":"). The
// handheld lists what it finds and pins the fingerprint of the PC the user
// picks. TXT strings are at most 255 bytes each (RFC 6763 §6.1).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace proto {

inline constexpr std::string_view kQuillonServiceType = "_quillon._tcp";
inline constexpr std::size_t kTxtStringBytes = 255;

struct PcAnnouncement {
    std::string name;
    std::string fingerprint; // "" when the PC offers no private link.

    bool operator==(const PcAnnouncement&) const = default;
};

// The TXT strings of an announcement; a long name is cut (never inside a
// UTF-8 character) so that its string fits.
std::vector<std::string> pcTxtRecord(const PcAnnouncement& announcement);

// Reads TXT strings the way RFC 6763 §6 says: keys without regard to case,
// the first string of a key counts, strings without "=" or with an empty key
// are skipped. A "fp" value that is not a fingerprint is dropped (the PC is
// still listed, as one that cannot be pinned from the list). nullopt when
// the record has neither key: not a Quillon PC's record.
std::optional<PcAnnouncement> parsePcTxtRecord(const std::vector<std::string>& strings);

} // namespace proto
