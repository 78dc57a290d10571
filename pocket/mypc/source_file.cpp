#include "pocket/mypc/source_file.h"

namespace pocket::mypc {

std::optional<SourceFile> openSourceFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    auto size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file)
        return std::nullopt;
    return SourceFile { file, static_cast<std::uint64_t>(size) };
}

} // namespace pocket::mypc
