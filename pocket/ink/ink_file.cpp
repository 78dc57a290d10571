#include "pocket/ink/ink_file.h"

#include <cerrno>
#include <fstream>

namespace pocket::ink {

namespace {

platform::IoResult<void> writeAll(const std::filesystem::path& path, std::string_view bytes,
    std::ios::openmode mode)
{
    std::ofstream out(path, std::ios::binary | mode);
    if (!out)
        return platform::errorFromErrno("open " + path.string(), errno);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        return platform::errorFromErrno("write " + path.string(), errno);
    return {};
}

} // namespace

std::string_view writeErrorText(WriteError)
{
    return "Can`t open file !";
}

platform::Result<void, WriteError> writeInkFile(const std::filesystem::path& path, const InkMessage& message)
{
    if (!writeAll(path, encodeInk(message), std::ios::trunc))
        return platform::unexpected(WriteError::CannotCreate);
    return {};
}

platform::Result<InkMessage, ReadError> readInkFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return platform::unexpected(ReadError::Missing);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return platform::unexpected(ReadError::Missing);
    std::string bytes(kMaxInkFileBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return decodeInk(bytes);
}

platform::IoResult<void> appendIndexLine(const std::filesystem::path& indexFile, std::string_view inkPath)
{
    std::string line(inkPath);
    line += '\n';
    return writeAll(indexFile, line, std::ios::app);
}

std::vector<std::string> readIndexLines(const std::filesystem::path& indexFile)
{
    std::vector<std::string> lines;
    std::ifstream in(indexFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

platform::IoResult<void> rewriteIndex(const std::filesystem::path& indexFile,
    const std::vector<std::string>& oldestFirst)
{
    std::string text;
    for (const auto& line : oldestFirst) {
        text += line;
        text += '\n';
    }
    return writeAll(indexFile, text, std::ios::trunc);
}

} // namespace pocket::ink
