#pragma once

// File: platform/tls/file_digest.h
// The SHA-256 of the first bytes of a file, in lower-case hex: how the two
// programs tell, before an upload continues, that the part the PC holds is
// the beginning of the handheld's file.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// nullopt when the file holds fewer than `bytes` bytes or cannot be read,
// or when `stop` turned true meanwhile (it is looked at every MiB).
std::optional<std::string> sha256OfPrefix(int fd, std::uint64_t bytes, const std::atomic<bool>* stop = nullptr);

} // namespace platform
