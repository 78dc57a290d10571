#pragma once

// File: pocket/icq/contact_file.h
// The local contact file "\Program Files\Quillon\icq_<own number>": narrow
// text holding every contact's ICQ number followed by "/" ("1234/5678/").
// It keeps the contact list between sessions and is mirrored to the
// server's buddy list at each sign-on. Window thread only.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::icq {

std::filesystem::path contactFilePath(const std::filesystem::path& deviceRoot, std::uint32_t ownUin);

// Creates the file empty when it is missing.
void ensureContactFile(const std::filesystem::path& file);

// The "/"-terminated numbers, in order. Anything that is not a number of at
// most ten digits is skipped, and at most `limit` numbers are read.
std::vector<std::string> readContactNumbers(const std::filesystem::path& file, std::size_t limit);

// Appends "<number>/" unless the file already holds the number.
bool appendContactNumber(const std::filesystem::path& file, std::string_view number);

// Replaces the file's content with these numbers.
bool rewriteContactFile(const std::filesystem::path& file, const std::vector<std::string>& numbers);

// Whether the text is an ICQ number as the contact file keeps it.
bool isIcqNumber(std::string_view text);

} // namespace pocket::icq
