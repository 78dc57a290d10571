// Pen-message files as they arrive from another handheld: the ink decoder
// never reads past the input, and what it reads writes back to bytes it
// reads the same way.

#include "pocket/ink/ink_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto message = pocket::ink::decodeInk(input);
    if (!message)
        return 0;
    auto again = pocket::ink::decodeInk(pocket::ink::encodeInk(*message));
    if (!again)
        std::abort();
    return 0;
}
