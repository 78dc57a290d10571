// Random bytes from a peer through every parser of the handheld core: none
// may crash, and each keeps its limits (block and tail sizes, drive count).

#include "platform/codepage.h"
#include "pocket/link/line_block_queue.h"
#include "pocket/link/pc_folder_request.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/pda_settings.h"
#include "proto/pc_answer.h"

#include <gtest/gtest.h>

#include <random>

namespace pocket::link {
namespace {

// Random text rich in the bytes the parsers look for.
std::string randomBytes(std::mt19937& random, std::size_t maxLength)
{
    static const char kMarkers[] = { '\n', '\r', '\\', ':', '.', '0', '\0', 'C', ' ' };
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text(length(random), '\0');
    for (char& c : text) {
        int value = byte(random);
        c = value < 96 ? kMarkers[static_cast<std::size_t>(value) % sizeof kMarkers] : static_cast<char>(value);
    }
    return text;
}

TEST(HostileInput, LineBlockQueueKeepsBlocksAndTailWithinTheirSizes)
{
    std::mt19937 random(1530);
    LineBlockQueue queue;
    std::uniform_int_distribution<int> consume(0, 3);
    for (int round = 0; round < 1000; ++round) {
        queue.acceptChunk(randomBytes(random, kReceiveBytes));
        ASSERT_LT(queue.pendingTail().size(), kTailBytes);
        for (int i = consume(random); i > 0; --i) {
            if (auto block = queue.take()) {
                ASSERT_LT(block->size(), kBlockBytes);
            }
        }
        ASSERT_LE(queue.queuedCount(), kBlockSlots);
    }
}

TEST(HostileInput, AnswerParsersStayWithinTheirLimits)
{
    std::mt19937 random(4000);
    for (int round = 0; round < 1000; ++round) {
        std::string record = randomBytes(random, proto::kAnswerBytes + 8);
        auto answer = proto::decodePcAnswer(record);
        std::string text = answer ? answer->text : record;
        ASSERT_LE(text.size(), record.size());

        auto drives = parseDriveList(text);
        ASSERT_LE(drives.size(), kMaxDrives);
        for (const auto& drive : drives)
            ASSERT_EQ(drive.size(), 2u);

        std::size_t names = 0;
        for (const auto& entry : parseFolderList(text))
            names += entry.name.size() + 2;
        ASSERT_LE(names, text.size());

        for (const auto& name : settings::parseTerseNames(text))
            ASSERT_FALSE(name.empty());

        ASSERT_LE(std::string(platform::cutBytes(text, 255)).size(), 255u);
        ASSERT_LE(platform::countCodePoints(std::string(platform::cutCodePoints(text, 49))), 49u);
    }
}

} // namespace
} // namespace pocket::link
