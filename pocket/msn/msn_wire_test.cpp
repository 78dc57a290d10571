#include "pocket/msn/msn_wire.h"

#include "platform/codec/md5.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    std::vector<MsnUnit> splitAll(MsnSplitter& splitter)
    {
        std::vector<MsnUnit> units;
        for (;;) {
            auto unit = splitter.next();
            if (!unit || !*unit)
                return units;
            units.push_back(std::move(**unit));
        }
    }

    std::string describe(const std::vector<MsnUnit>& units)
    {
        std::string out;
        for (const auto& u : units)
            out += "[" + u.line + (u.payload ? "|" + *u.payload : "") + "]";
        return out;
    }

    TEST(MsnSplitter, SameUnitsForEverySplitOfTheStream)
    {
        const std::string stream = "VER 0 MSNP5\r\n"
                                   "MSG a@example.com A 18\r\nX: 1\r\n\r\nhi\r\nthere!"
                                   "NLN NLN a@example.com A\n"
                                   "MSG b@example.com B 0\r\n"
                                   "BYE b@example.com\r\n";
        const std::string expected = "[VER 0 MSNP5][MSG a@example.com A 18|X: 1\r\n\r\nhi\r\nthere!]"
                                     "[NLN NLN a@example.com A][MSG b@example.com B 0|][BYE b@example.com]";
        for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
            SCOPED_TRACE(cut);
            MsnSplitter splitter;
            splitter.feed(stream.substr(0, cut));
            auto units = splitAll(splitter);
            splitter.feed(stream.substr(cut));
            auto rest = splitAll(splitter);
            units.insert(units.end(), rest.begin(), rest.end());
            EXPECT_EQ(describe(units), expected);
        }
        MsnSplitter bytewise;
        std::vector<MsnUnit> units;
        for (char c : stream) {
            bytewise.feed(std::string_view(&c, 1));
            auto got = splitAll(bytewise);
            units.insert(units.end(), got.begin(), got.end());
        }
        EXPECT_EQ(describe(units), expected);
    }

    TEST(MsnSplitter, RefusesOversizedLinesAndPayloads)
    {
        struct Case {
            std::string_view name;
            std::string stream;
            std::optional<MsnStreamError> error;
        };
        const Case cases[] = {
            { "line at limit", std::string(kMaxLineBytes, 'x') + "\r\n", std::nullopt },
            { "line over limit", std::string(kMaxLineBytes + 1, 'x') + "\r\n", MsnStreamError::LineTooLong },
            { "unended line over limit", std::string(kMaxLineBytes + 1, 'x'), MsnStreamError::LineTooLong },
            { "payload at limit", "MSG a b " + std::to_string(kMaxPayloadBytes) + "\r\n", std::nullopt },
            { "payload over limit", "MSG a b " + std::to_string(kMaxPayloadBytes + 1) + "\r\n",
                MsnStreamError::PayloadTooLarge },
            { "length not a number", "MSG a b 1x\r\n", std::nullopt },
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            MsnSplitter splitter;
            splitter.feed(c.stream);
            auto unit = splitter.next();
            if (c.error) {
                ASSERT_FALSE(unit);
                EXPECT_EQ(unit.error(), *c.error);
            } else {
                EXPECT_TRUE(unit);
            }
        }
    }

    TEST(MsnWire, FieldsNamesAndLengths)
    {
        EXPECT_EQ(splitFields("USR 6 OK a@b.c My%20Name"),
            (std::vector<std::string> { "USR", "6", "OK", "a@b.c", "My%20Name" }));
        EXPECT_EQ(splitFields("A  B"), (std::vector<std::string> { "A", "", "B" }));
        auto fields = splitFields("XFR 1 SB");
        EXPECT_EQ(fieldAt(fields, 3), "SB");
        EXPECT_EQ(fieldAt(fields, 4), "");
        EXPECT_EQ(fieldAt(fields, 0), "");

        EXPECT_EQ(decodeName("Kim%20Min%2C%20Su\nrest"), "Kim Min%2C Su");
        EXPECT_EQ(encodeName("김 민수 "), "김%20민수%20");
        // The REA text stays within 1023 bytes and whole characters.
        std::string longName(400, ' ');
        EXPECT_EQ(encodeName(longName).size(), 1023u);
        std::string korean;
        for (int i = 0; i < 400; ++i)
            korean += "가";
        EXPECT_EQ(encodeName(korean).size() % 3, 0u);

        EXPECT_EQ(messageLength("MSG a b 108"), 108u);
        EXPECT_FALSE(messageLength("MSGX a b 1"));
        EXPECT_FALSE(messageLength("MSG a b"));
        EXPECT_EQ(messageBody(std::string(kTextHeader) + "hello"), "hello");
        EXPECT_EQ(kTextHeader.size(), 108u);
    }

    TEST(MsnWire, ChallengeAnswerIsTheDigestOfChallengeAndPassword)
    {
        struct Case {
            std::string_view name;
            std::string_view challenge;
            std::string_view password;
            std::string_view digestOf;
        };
        const Case cases[] = {
            { "plain", "1013928519.693957190", "secret", "1013928519.693957190secret" },
            { "challenge ends at a control byte", "123.456\r", "pw", "123.456pw" },
            { "challenge ends below '.'", "123-456", "pw", "123pw" },
            // The whole password counts, blanks and all: the server computes
            // the digest over it.
            { "password with a space", "99.1", "two words", "99.1two words" },
            { "password with symbols", "99.1", "a-b!c", "99.1a-b!c" },
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(challengeAnswer(c.challenge, c.password), platform::codec::md5Hex(c.digestOf));
        }
        std::string longChallenge(300, '7');
        EXPECT_EQ(challengeAnswer(longChallenge, "p"), platform::codec::md5Hex(std::string(256, '7') + "p"));
    }

} // namespace
} // namespace pocket::msn
