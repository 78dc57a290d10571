#pragma once

// File: pc/service/list_text.h
// The list files the handheld parses ("serverfolder", "Searchfilelist" ...):
// every entry followed by "\n", then one more "\n". An empty list is a single
// "\n". Short lists also travel inline in an answer as "." and the content.

#include "platform/codepage.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace pc::service {

// Lists shorter than this many bytes travel inline in the answer text.
constexpr std::size_t kInlineListLimit = 900;

class ListText {
public:
    void add(std::string_view entry);
    void clear() { m_content.clear(); }
    bool isEmpty() const { return m_content.empty(); }
    // The file content: entries, each ended by "\n", and one more "\n".
    std::string content() const { return m_content + "\n"; }

private:
    std::string m_content;
};

// "." + content when the content, in the handheld's code page, is shorter
// than kInlineListLimit bytes, otherwise the list file's name. Bytes are
// counted rather than characters, and in the code page the answer travels
// in, so that an inline list always fits the 1024-byte answer text.
std::string inlineOrFileName(const std::string& content, std::string_view fileName,
    std::string_view codePage = platform::kUtf8);

// Writes a list file so that a reader sees the old or the new content whole:
// the content goes to a temporary file in the same folder, which then
// replaces the target. UTF-8 `content` is written in the handheld's code
// page; `trailer` follows it as it stands.
bool writeListFile(const std::filesystem::path& file, std::string_view content,
    std::string_view codePage = platform::kUtf8, std::string_view trailer = {});

} // namespace pc::service
