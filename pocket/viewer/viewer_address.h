#pragma once

// File: pocket/viewer/viewer_address.h
// How the handheld's web view names pages, as pure functions. Pages of the
// PC are shown under an http address whose host is the login id
// ("http://kim/doc/a.html") and loaded from the PC's web server
// ("http://192.168.0.2:91/doc/a.html"). Also: the file name a saved page
// gets, the extensions a mail attachment may be opened with, and how a page's
// relative resource references resolve.

#include <cstdint>
#include <string>
#include <string_view>

namespace pocket::viewer {

constexpr const char* kStartPage = "\\Windows\\pda_hello.html";
constexpr std::size_t kAddressChars = 255;

// What the address box shows for a URL: with the PC address in the URL,
// "http://<login id>/" + the part after the first "/" that follows the PC
// address; otherwise the URL itself.
std::string displayAddress(std::string_view url, std::string_view pcAddress, std::string_view loginId);

// What the view loads for a URL: when the login id occurs within the first
// nine characters (the host of an "http://" address, or the very start),
// "http://<PC address>:<web port>/" + the part after the first "/" that
// follows the login id; otherwise (and for handheld paths) the URL itself.
std::string fetchAddress(std::string_view url, std::string_view loginId, std::string_view pcAddress,
    std::uint16_t webPort);

// The file name of a saved page: the last path piece of the address in
// lower case, kept when its extension (from the first ".") is one the
// handheld shows, else the name up to the first "." plus ".html".
std::string savedPageName(std::string_view address);

// Extensions a mail attachment may be opened with directly ("htm", "html",
// "txt", "bmp", "gif", "jpg", "jpeg", "hwp", "doc", "xls", "ppt", and the
// newer formats the PC converts: Word, Excel and PowerPoint files of today,
// OpenDocument, RTF, CSV, PDF, PNG, WebP, SVG), compared in lower case on
// the text after the last ".".
bool isViewableExtension(std::string_view fileName);

// Whether the address is a handheld path ("\Windows\pda_hello.html").
bool isHandheldPath(std::string_view address);

// A reference of a page (an image source, a link) resolved against the page's
// address: absolute URLs stay, "/x" goes to the host's root, anything else is
// taken relative to the page's folder. Handheld pages resolve to handheld
// paths.
std::string resolveReference(std::string_view pageAddress, std::string_view reference);

} // namespace pocket::viewer
