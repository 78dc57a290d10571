#pragma once

// File: pocket/viewer/document_pages.h
// The pages of a converted PC document, as pure functions. The PC shows a
// document it turned into page pictures through a wrapper page ("<html>
// <body><img src="..."></body></html>") around its first picture, and names
// the pictures with a running number before the extension: an HWP file's
// "report/report0.gif", "report1.gif" ..., a presentation's
// "deck/슬라이드1.jpg", "슬라이드2.jpg" .... "P" and "N" of the document view
// move from one picture to the next.

#include <optional>
#include <string>
#include <string_view>

namespace pocket::viewer {

// The picture a wrapper page shows: the source of its first <img>; "" when
// the page shows none (a document converted to one HTML page).
std::string wrappedImage(std::string_view page);

// The picture `step` pages away: the number at the end of the file name
// (before its extension) moved by `step`, written without leading zeros.
// Nothing when the name ends in no number or the number would go below 0.
std::optional<std::string> neighbourPage(std::string_view imageUrl, int step);

} // namespace pocket::viewer
