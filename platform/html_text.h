#pragma once

// Text placed into HTML pages the programs write themselves.

#include <string>
#include <string_view>

namespace platform {

// Text with "&", "<", ">" and '"' written as HTML entities.
std::string htmlEscape(std::string_view text);

} // namespace platform
