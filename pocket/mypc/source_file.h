#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace pocket::mypc {

// A handheld file opened to be sent to the PC, with its size at opening.
// Only regular files are sent; the caller owns `file` and closes it.
struct SourceFile {
    std::FILE* file = nullptr;
    std::uint64_t size = 0;
};

std::optional<SourceFile> openSourceFile(const std::filesystem::path& path);

} // namespace pocket::mypc
