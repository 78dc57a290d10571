#include "platform/codec/md5.h"

#include <gtest/gtest.h>

namespace platform::codec {
namespace {

    struct Vector {
        std::string_view message;
        std::string_view digest;
    };

    // RFC 1321 §A.5 test suite.
    const Vector kRfcSuite[] = {
        { "", "d41d8cd98f00b204e9800998ecf8427e" },
        { "a", "0cc175b9c0f1b6a831c399e269772661" },
        { "abc", "900150983cd24fb0d6963f7d28e17f72" },
        { "message digest", "f96b697d7cb7938d525a2f31aaf161d0" },
        { "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b" },
        { "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
            "d174ab98d277d9f5a5611c2c9f419d9f" },
        { "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
            "57edf4a22be3c955ac49da2e2107b67a" },
    };

    TEST(Md5, MatchesRfc1321TestSuite)
    {
        for (const auto& v : kRfcSuite) {
            SCOPED_TRACE(v.message);
            EXPECT_EQ(md5Hex(v.message), v.digest);
        }
    }

    TEST(Md5, SameDigestForEverySplitOfTheInput)
    {
        // The 80-byte vector crosses a block boundary; every split must agree.
        const auto& v = kRfcSuite[6];
        for (std::size_t cut = 0; cut <= v.message.size(); ++cut) {
            SCOPED_TRACE(cut);
            Md5 hasher;
            hasher.update(v.message.substr(0, cut));
            hasher.update(v.message.substr(cut));
            EXPECT_EQ(toHex(hasher.finish()), v.digest);
        }
    }

    TEST(Md5, PaddingBoundaryLengths)
    {
        // Lengths 55, 56 and 64 are where the length field does or does not fit
        // the last block; digests computed independently.
        EXPECT_EQ(md5Hex(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
        EXPECT_EQ(md5Hex(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
        EXPECT_EQ(md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
    }

    TEST(Md5, FinishResetsForTheNextMessage)
    {
        Md5 hasher;
        hasher.update("junk");
        (void)hasher.finish();
        hasher.update("abc");
        EXPECT_EQ(toHex(hasher.finish()), "900150983cd24fb0d6963f7d28e17f72");
    }

} // namespace
} // namespace platform::codec
