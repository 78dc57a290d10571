// Stored messages through the MIME decoder: headers, encoded words, parts
// and attachment names. Whatever arrives, the header fields that go into the
// handheld's mail files are UTF-8 and attachment names are single safe
// components.

#include "pc/mail/mime_message.h"
#include "platform/codepage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto decoded = pc::mail::decodeMessageText(input, "pop.example.com", "u1");
    if (!decoded)
        return 0;
    const auto& message = decoded->message;
    for (const std::string* field : { &message.subject, &message.from, &message.to, &message.cc }) {
        if (!platform::isValidUtf8(*field))
            std::abort();
    }
    for (const auto& attachment : decoded->attachments) {
        if (attachment.fileName.find_first_of("/\\") != std::string::npos || attachment.fileName == ".."
            || attachment.fileName == ".")
            std::abort();
    }
    return 0;
}
