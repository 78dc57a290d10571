#pragma once

// File: pocket/viewer/load_failure_page.h
// The page the HTML view shows in place of one it could not load: the title
// "페이지를 열 수 없습니다", what went wrong in words (with the HTTP status
// when the server answered one), and the address, so that the user can tell
// a wrong address from a PC that refuses or does not answer.

#include "platform/result.h"

#include <string>
#include <string_view>

namespace pocket::viewer {

inline constexpr std::string_view kLoadFailureTitle = "페이지를 열 수 없습니다";

// The cause of a failed load in a line ("HTTP 404 - 페이지가 없습니다").
[[nodiscard]] std::string loadFailureCause(const platform::Error& error);

// The whole page, in HTML (UTF-8), the texts escaped.
[[nodiscard]] std::string loadFailurePage(std::string_view address, const platform::Error& error);

} // namespace pocket::viewer
