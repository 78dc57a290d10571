#include "pc/convert/office_bridge_wire.h"

#include <gtest/gtest.h>

namespace pc::convert {
namespace {

TEST(OfficeBridgeWire, RequestFieldsSurviveTabsLineBreaksAndKorean)
{
    EXPECT_EQ(convertRequestLine("/d/보고서 1.docx", "/o/a\tb\nc.htm", "htm:HTML (StarWriter)"),
        "convert\t%2Fd%2F%EB%B3%B4%EA%B3%A0%EC%84%9C%201.docx\t%2Fo%2Fa%09b%0Ac.htm\t"
        "htm%3AHTML%20%28StarWriter%29\n");
    EXPECT_EQ(quitRequestLine(), "quit\n");
}

TEST(OfficeBridgeWire, ParsesReplies)
{
    using Kind = BridgeReply::Kind;
    struct Case {
        const char* line;
        Kind kind;
        std::vector<std::string> fields;
    } cases[] = {
        { "ready", Kind::Ready, {} },
        { "ok", Kind::Ok, {} },
        { "ok\tSheet1\t%EB%91%90%20%EB%B2%88%EC%A7%B8\t", Kind::Ok, { "Sheet1", "두 번째", "" } },
        { "fail\tnot%20a%20document", Kind::Fail, { "not a document" } },
        { "gone", Kind::Gone, {} },
        // Anything else is malformed, and the bridge is not trusted further.
        { "", Kind::Malformed, {} },
        { "fail", Kind::Malformed, {} },
        { "fail\ta\tb", Kind::Malformed, {} },
        { "ready\tx", Kind::Malformed, {} },
        { "OK", Kind::Malformed, {} },
        { "Traceback (most recent call last):", Kind::Malformed, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        BridgeReply reply = parseBridgeReply(c.line);
        EXPECT_EQ(reply.kind, c.kind);
        if (c.kind != Kind::Malformed) {
            EXPECT_EQ(reply.fields, c.fields);
        }
    }
}

} // namespace
} // namespace pc::convert
