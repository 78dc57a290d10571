#pragma once

// File: pocket/link/fetch_to_file.h
// The handheld's HTTP channel to the PC: result files that a command
// produced are fetched from the PC's web server into local files, in blocks
// of 512 bytes. PC file URLs are written "%s:91\serverfolder" and fixed up
// into http URLs with slashes.

#include "platform/http_fetch.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
struct Error;
class Ui;
}

namespace pocket::link {

// URL fix-up: a leading "http://" is removed, backslashes become slashes and
// "http://" is put in front. An empty text shows "You must enter a URL." and
// gives nothing.
std::optional<std::string> fixUpUrl(platform::Ui& ui, std::string_view text);

// The scheme and host of a URL in lower case. The path keeps its case: the
// PC's file names ("Searchfilelist") are found case-sensitively on Linux.
std::string lowerCaseSchemeAndHost(std::string_view url);

// "%s:%d\name" for a file in the PC's service root.
std::string pcFileUrl(std::string_view pcAddress, int webPort, std::string_view name);

// Whether a fetch failed for lack of a connection: the host had no address
// or could not be reached. A refused connection is not one: the network
// answered, without a server behind the address.
bool isNoConnection(const platform::Error& error);

// What the PC sends in answer to a command is bounded, as the PC bounds
// what the handheld sends: a result file (a folder or search list, the mail
// list, a mail, a converted page) larger than this, or one that takes longer
// than the deadline (60 s, as a request's answer does), fails the fetch.
// Lists of a few thousand entries take well under a megabyte.
inline constexpr std::uint64_t kMaxFetchedFileBytes = 16 * 1024 * 1024;
inline constexpr std::chrono::milliseconds kFetchDeadline { 60000 };
inline constexpr platform::FetchLimits kResultFileLimits { kFetchDeadline, kMaxFetchedFileBytes };

// Fetches the URL into the local file (created or replaced). Fails on an
// empty URL, when the PC cannot be reached, on an answer other than 2xx,
// when the body passes kMaxFetchedFileBytes or kFetchDeadline passes, and
// when the transfer or a write breaks; a failure leaves the local file as it
// was. The body is written to a ".fetching-XXXXXX" file beside it first.
// Without a connection it shows "인터넷연결이 되어 있지 않습니다." first; the
// caller reports its own follow-up message. Window thread.
bool fetchToFile(platform::HttpFetch& fetch, platform::Ui& ui, std::string_view url,
    const std::filesystem::path& localPath, const platform::FetchLimits& limits = kResultFileLimits);

} // namespace pocket::link
