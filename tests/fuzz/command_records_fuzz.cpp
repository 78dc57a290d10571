// The command channel both ways: the NUL-ended request stream the PC splits
// and parses, the 1032-byte answer records the handheld splits, and the
// upload announcement of command 309.

#include "proto/pc_answer.h"
#include "proto/pc_request.h"
#include "proto/upload_block.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    proto::RequestSplitter requests;
    requests.feed(input);
    while (auto unit = requests.next()) {
        if (unit->size() > proto::kMaxRequestBytes)
            std::abort();
        if (auto request = proto::parsePcRequest(*unit))
            (void)proto::parseUploadAnnouncement(request->text);
    }
    proto::AnswerSplitter answers;
    answers.feed(input);
    while (auto answer = answers.next()) {
        if (answer->text.size() >= proto::kAnswerTextBytes)
            std::abort();
    }
    (void)proto::classifyUploadBlock(input);
    (void)proto::parseUploadAck(input);
    return 0;
}
