// POP3 answers as the mail check receives them: single lines, STAT, UIDL and
// multi-line answers in any chunks.

#include "pc/mail/pop3_answer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)pc::mail::passesSingleLineCheck(input);
    (void)pc::mail::parseStatCount(input);
    (void)pc::mail::parseUidlAnswer(input);
    constexpr std::size_t kLimit = 4096;
    pc::mail::MultiLineAnswer answer(kLimit);
    std::size_t chunk = input.empty() ? 1 : static_cast<unsigned char>(input.back()) % 32 + 1;
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        auto progress = answer.feed(input.substr(at, chunk));
        if (!progress || *progress == pc::mail::MultiLineAnswer::Progress::Complete)
            break;
    }
    if (answer.text().size() > kLimit + 64 * 1024)
        std::abort();
    return 0;
}
