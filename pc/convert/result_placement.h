#pragma once

// File: pc/convert/result_placement.h
// Puts a finished conversion result where the web server serves it without
// anyone ever seeing half of it: the result is copied into a staging folder
// beside its place (same file system), then renamed into place in one step;
// a folder takes the place of the old one by an atomic exchange, and the old
// one is removed afterwards. A failure leaves the old result as it was.

#include "platform/result.h"

#include <filesystem>

namespace pc::convert {

// `from` (a file or a folder, anywhere) replaces `to`.
platform::IoResult<void> placeResult(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace pc::convert
