#pragma once

// File: pocket/msn/msn_status.h
// MSN presence: the status words of MSNP5 and the codes the handheld keeps
// for them, with the texts, pictures and menu items that show them.

#include <optional>
#include <string>
#include <string_view>

namespace pocket::msn {

using MsnStatusCode = int;

namespace status {
    constexpr MsnStatusCode kOnline = 1; // NLN
    constexpr MsnStatusCode kBlocked = -2; // BLK
    constexpr MsnStatusCode kOffline = -1; // FLN
    constexpr MsnStatusCode kHidden = 0; // HDN
    constexpr MsnStatusCode kBeRightBack = 2; // BRB
    constexpr MsnStatusCode kBusy = 4; // BSY
    constexpr MsnStatusCode kAway = 8; // AWY
    constexpr MsnStatusCode kIdle = 16; // IDL
    constexpr MsnStatusCode kOnPhone = 32; // PHN
    constexpr MsnStatusCode kAtLunch = 64; // LUN
    constexpr MsnStatusCode kUnknown = -4;
} // namespace status

// The status-word table: every word above, any other word kUnknown.
MsnStatusCode statusFromWord(std::string_view word);
// The own status after CHG: as the table, but BLK is not a status one can
// take and reads kUnknown.
MsnStatusCode ownStatusFromWord(std::string_view word);
// A contact's new presence in an NLN line: the seven presence words, else
// nothing (the status stays as it was).
std::optional<MsnStatusCode> presenceFromWord(std::string_view word);

// The word for a status the user can choose (CHG), "" for others.
std::string_view wordForStatus(MsnStatusCode code);

// The status line after CHG: "%s (온라인)" and the others, with the login id.
std::string ownStatusLine(MsnStatusCode code, std::string_view loginId);

// Texts of the contact tree and the status line ("알수없음" for others).
std::string_view treeStatusText(MsnStatusCode code);
// Texts of the contact information dialog ("알 수 없음" for others).
std::string_view infoStatusText(MsnStatusCode code);

// The tree image: 0 online, 1 offline, 2 busy, 3 away, 4 unknown.
int treeImageIndex(MsnStatusCode code);
// The bitmap of the status picture beside the status line.
int statusBitmap(MsnStatusCode code);
// The image list's bitmaps, in image-index order.
constexpr int kTreeBitmaps[5] = { 150, 153, 152, 154, 151 };

} // namespace pocket::msn
