#include "platform/poll_event_loop.h"
#include "platform/testing/manual_clock.h"
#include "pocket/msn/msn_pen_codec.h"
#include "pocket/msn/testing/chat_pair.h"

#include <gtest/gtest.h>

#include <random>

namespace pocket::msn {
namespace {

    // Random lines built from the words the handlers look at, so that they
    // reach deep into the handlers rather than stopping at the command.
    std::string randomStream(std::mt19937& random, int lines)
    {
        static const std::string_view kWords[]
            = { "VER", "INF", "XFR", "USR", "MSG", "CHG", "ILN", "LST", "NLN", "FLN", "RNG", "REA", "REM",
                  "ADD", "OUT", "911", "JOI", "IRO", "BYE", "NS", "SB", "OK", "MD5", "S", "FL", "Hotmail",
                  "a@example.com", "b@example.com", "127.0.0.1:1863", "1", "0", "5", "%20", "",
                  "\x07"
                  "2",
                  "\x07"
                  "1" };
        std::string stream;
        for (int i = 0; i < lines; ++i) {
            int fields = static_cast<int>(random() % 9);
            std::string line;
            for (int f = 0; f < fields; ++f) {
                if (f > 0)
                    line += ' ';
                line += kWords[random() % std::size(kWords)];
            }
            if (line.rfind("MSG", 0) == 0) {
                // A payload of the announced size, random bytes included.
                std::size_t size = random() % 600;
                line += " " + std::to_string(size) + "\r\n";
                for (std::size_t b = 0; b < size; ++b)
                    line += static_cast<char>(random() % 4 == 0 ? random() % 256
                                                                : "\x07"
                                                                  "12345789ghijk"[random() % 14]);
                stream += line;
                continue;
            }
            stream += line + (random() % 5 == 0 ? "\n" : "\r\n");
        }
        return stream;
    }

    TEST(MsnHostileInput, RandomServerLinesKeepEveryTableWithinItsLimits)
    {
        platform::testing::ManualClock clock;
        platform::PollEventLoop loop { clock };
        std::mt19937 random(20261207);
        int chatsReached = 0;
        for (int round = 0; round < 30; ++round) {
            testing::Handheld side(loop, "me@example.com", "Me");
            side.logIn({ { "a@example.com", "A" } });
            for (int batch = 0; batch < 20; ++batch) {
                side.notification().deliver(randomStream(random, 20));
                for (int slot = 0; slot < MsnChats::kSlots; ++slot)
                    if (side.chats.chat(slot).isInUse()) {
                        ++chatsReached;
                        side.chatLink(slot).deliver(randomStream(random, 20));
                    }
                loop.processPending();
                ASSERT_LE(side.session.contacts().size(), MsnContactTable::kMaxContacts);
                for (int slot = 0; slot < MsnChats::kSlots; ++slot) {
                    int count = side.chats.chat(slot).participantCount();
                    ASSERT_GE(count, 0);
                    ASSERT_LE(count, MsnChat::kMaxParticipants + 1);
                }
            }
            clock.advance(std::chrono::seconds(30));
            // Whatever arrived, files stay inside the receive folder.
            for (const auto& entry : std::filesystem::recursive_directory_iterator(side.root.path())) {
                auto relative = std::filesystem::relative(entry.path(), side.root.path()).string();
                ASSERT_EQ(relative.find(".."), std::string::npos) << relative;
            }
        }
        EXPECT_GT(chatsReached, 100);
    }

} // namespace
} // namespace pocket::msn
