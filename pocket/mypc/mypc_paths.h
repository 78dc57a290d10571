#pragma once

// File: pocket/mypc/mypc_paths.h
// Paths of the My PC tree. An item's path joins the texts of the item and
// its ancestors with backslashes, root first: "C:\docs\a.txt" for a PC item,
// "PDA\My Documents\a.txt" for a handheld item, whose handheld path is the
// same text without the leading "PDA".

#include <optional>
#include <string>
#include <string_view>

namespace pocket::mypc {

constexpr std::string_view kPdaRootText = "PDA";
// The selected path is kept to this many characters.
constexpr std::size_t kSelectedPathChars = 1023;

// Whether the tree path lies under the root "PDA".
bool isPdaPath(std::string_view treePath);

// The handheld path of a "PDA" tree path: "PDA\My Documents\a.txt" gives
// "\My Documents\a.txt", "PDA" gives ""; nothing for a PC path.
std::optional<std::string> handheldPathOf(std::string_view treePath);

// The text after the last backslash.
std::string_view lastComponent(std::string_view path);

} // namespace pocket::mypc
