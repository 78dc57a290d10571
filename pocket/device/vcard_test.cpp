#include "pocket/device/vcard.h"

#include <gtest/gtest.h>

namespace pocket::device {
namespace {

    TEST(VCard, WritesRequiredPropertiesWithCrlfAndReadsThemBack)
    {
        VCard card;
        card.givenName = "길동";
        card.familyName = "홍";
        card.formattedName = "홍 길동";
        card.email = "hong@example.com";
        card.category = "MSN";
        std::string text = formatVCards({ card });
        EXPECT_EQ(text,
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:홍;길동;;;\r\nFN:홍 길동\r\n"
            "EMAIL;TYPE=INTERNET:hong@example.com\r\nCATEGORIES:MSN\r\nEND:VCARD\r\n");
        auto back = parseVCards(text);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].givenName, "길동");
        EXPECT_EQ(back[0].familyName, "홍");
        EXPECT_EQ(back[0].formattedName, "홍 길동");
        EXPECT_EQ(back[0].email, "hong@example.com");
        EXPECT_EQ(back[0].category, "MSN");
    }

    TEST(VCard, EscapesSeparatorsInTextValues)
    {
        const std::string_view raw[] = { "a;b", "a,b", "back\\slash", "two\nlines", "" };
        for (auto text : raw) {
            SCOPED_TRACE(text);
            VCard card;
            card.givenName = std::string(text);
            card.formattedName = std::string(text);
            auto back = parseVCards(formatVCards({ card }));
            ASSERT_EQ(back.size(), 1u);
            EXPECT_EQ(back[0].givenName, text);
            EXPECT_EQ(back[0].formattedName, text);
        }
    }

    TEST(VCard, FoldsLongLinesWithoutSplittingCharacters)
    {
        VCard card;
        for (int i = 0; i < 60; ++i)
            card.formattedName += "가"; // Three bytes each.
        std::string text = formatVCards({ card });
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            ASSERT_NE(end, std::string::npos);
            EXPECT_LE(end - start, 75u);
            // A continuation line never starts inside a character.
            if (text[start] == ' ' && end > start + 1) {
                EXPECT_NE(static_cast<unsigned char>(text[start + 1]) & 0xC0, 0x80);
            }
            start = end + 2;
        }
        EXPECT_EQ(parseVCards(text)[0].formattedName, card.formattedName);
    }

    TEST(VCard, ReadsLenientInputAndKeepsUnknownLines)
    {
        const std::string text = "junk before\n"
                                 "begin:vcard\n"
                                 "version:3.0\n"
                                 "item1.EMAIL;TYPE=INTERNET:first@example.com\n"
                                 "EMAIL:second@example.com\n"
                                 "TEL;TYPE=\"cell:home\":+82 10\n"
                                 "NOTE:long\n"
                                 "  folded\n"
                                 "CATEGORIES:ICQ,Friends\n"
                                 "end:vcard\n"
                                 "BEGIN:VCARD\r\nFN:cut off";
        auto cards = parseVCards(text);
        ASSERT_EQ(cards.size(), 2u);
        EXPECT_EQ(cards[0].email, "first@example.com");
        EXPECT_EQ(cards[0].category, "ICQ,Friends");
        EXPECT_EQ(cards[0].otherLines,
            (std::vector<std::string> {
                "EMAIL:second@example.com", "TEL;TYPE=\"cell:home\":+82 10", "NOTE:long folded" }));
        EXPECT_EQ(cards[1].formattedName, "cut off");

        // Written back, the unknown lines and the category list survive.
        auto again = parseVCards(formatVCards(cards));
        EXPECT_EQ(again[0].otherLines, cards[0].otherLines);
        EXPECT_EQ(again[0].category, "ICQ,Friends");
    }

} // namespace
} // namespace pocket::device
