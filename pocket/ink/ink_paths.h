#pragma once

// File: pocket/ink/ink_paths.h
// Where pen messages live on the handheld. Paths are handheld paths with
// backslashes ("\Program Files\Quillon\MSN\MSNInk_Recv\index"), as the index
// files store them; hostPath() maps one into the device root folder.
// Every part that comes from outside (peer ids, announced file names) is
// reduced to a single safe path component first.

#include "platform/clock.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pocket::ink {

enum class Network { Msn = 1, Icq = 2, Yahoo = 3 };

// The handheld's service folder.
constexpr std::string_view kServiceHome = "\\Program Files\\Quillon";

// Local wall-clock time, printed into file names without zero padding.
using LocalTime = platform::LocalTime;

// "MSN", "ICQ" or "YAHOO".
std::string_view networkName(Network network);

// "\Program Files\Quillon\MSN\Ink_Send_<peer>". Slashes and backslashes
// in ids (peer's or own) become "_", so an id never moves a file elsewhere.
std::string sentFolder(Network network, std::string_view peerId);

// "<folder>\<id> <y>.<m>.<d> <h>시<m>분<s>초.ink": the sent file (own id)
// and, over ICQ and YAHOO, the received file (sender's id).
std::string timedInkPath(std::string_view folder, std::string_view id, const LocalTime& time);

// "\Program Files\Quillon\MSN\MSNInk_Recv" (likewise ICQInk_Recv, YAHOOInk_Recv).
std::string receiveFolder(Network network);

// The receive folder's "index" file.
std::string indexPath(Network network);

// The received file over MSN: the name the sender announced, made safe.
std::string announcedInkPath(Network network, std::string_view announcedName);

// Pen-message names stay well within a file name's 255 bytes.
constexpr std::size_t kMaxComponentBytes = 200;

// A name from outside as one path component (platform/safe_name.h): the part
// after the last slash or backslash, made safe, at most `maxBytes` bytes.
std::string safeComponent(std::string_view name, std::size_t maxBytes = kMaxComponentBytes);

// The part of a handheld path after its last backslash.
std::string_view fileNameOf(std::string_view handheldPath);

// Maps a handheld path into the device root. Empty, "." and ".." parts are
// dropped, so the result never leaves the root.
std::filesystem::path hostPath(const std::filesystem::path& deviceRoot, std::string_view handheldPath);

} // namespace pocket::ink
