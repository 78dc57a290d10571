#pragma once

// File: pocket/icq/icq_title.h
// The title of every ICQ message box.

#include <string_view>

namespace pocket::icq {

constexpr std::string_view kIcqTitle = "ICQ";

} // namespace pocket::icq
