// MSN server text as the handheld receives it: chunks through the line
// block queue, every line through the field splitter, the name decoding and
// the message-length reading, and payloads through the body reader.

#include "pocket/link/line_block_queue.h"
#include "pocket/msn/msn_wire.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    pocket::link::LineBlockQueue queue;
    for (std::size_t at = 0; at < input.size(); at += pocket::link::kReceiveBytes) {
        queue.acceptChunk(input.substr(at, pocket::link::kReceiveBytes));
        while (auto block = queue.take()) {
            if (block->size() >= pocket::link::kBlockBytes)
                std::abort();
            auto fields = pocket::msn::splitFields(*block);
            for (std::size_t n = 0; n < fields.size(); ++n)
                (void)pocket::msn::decodeName(pocket::msn::fieldAt(fields, n));
            (void)pocket::msn::messageLength(*block);
        }
    }
    (void)pocket::msn::messageBody(input);
    return 0;
}
