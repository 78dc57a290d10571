#include "pocket/msn/msn_status.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    struct StatusRow {
        std::string_view word;
        MsnStatusCode code;
        std::string_view ownLine; // After "me (".
        std::string_view tree;
        std::string_view info;
        int image;
        int bitmap;
    };

    // Every status the handheld knows, with every text and picture it shows.
    const StatusRow kRows[] = {
        { "NLN", 1, "온라인", "온라인", "온라인", 0, 150 },
        { "BLK", -2, "알 수 없음", "알수없음", "알 수 없음", 4, 153 },
        { "FLN", -1, "오프라인", "오프라인", "오프라인", 4, 153 },
        { "HDN", 0, "오프라인으로 표시", "오프라인으로 표시", "오프라인으로 표시", 1, 153 },
        { "BRB", 2, "곧 돌아오겠음", "곧 돌아오겠음", "곧 돌아오겠음", 3, 154 },
        { "BSY", 4, "다른 용무 중", "다른 용무중", "바쁨", 2, 152 },
        { "AWY", 8, "자리비움", "자리비움", "자리비움", 3, 154 },
        { "IDL", 16, "자리비움", "자리비움", "자리비움", 3, 154 },
        { "PHN", 32, "통화중", "통화 중", "통화중", 2, 152 },
        { "LUN", 64, "식사중", "식사 중", "식사중", 3, 154 },
        { "XYZ", -4, "알 수 없음", "알수없음", "알 수 없음", 4, 151 },
    };

    TEST(MsnStatus, WordsCodesTextsAndPictures)
    {
        for (const auto& row : kRows) {
            SCOPED_TRACE(row.word);
            EXPECT_EQ(statusFromWord(row.word), row.code);
            // BLK is no status of one's own; it reads as unknown after CHG.
            MsnStatusCode own = row.word == "BLK" ? -4 : row.code;
            EXPECT_EQ(ownStatusFromWord(row.word), own);
            EXPECT_EQ(ownStatusLine(own, "me"), "me (" + std::string(row.ownLine) + ")");
            EXPECT_EQ(treeStatusText(row.code), row.tree);
            EXPECT_EQ(infoStatusText(row.code), row.info);
            EXPECT_EQ(treeImageIndex(row.code), row.image);
            EXPECT_EQ(statusBitmap(row.code), row.bitmap);
        }
    }

    TEST(MsnStatus, PresenceWordsOfContacts)
    {
        for (std::string_view word : { "NLN", "BSY", "IDL", "BRB", "AWY", "PHN", "LUN" })
            EXPECT_EQ(presenceFromWord(word), statusFromWord(word)) << word;
        for (std::string_view word : { "HDN", "FLN", "BLK", "ZZZ", "" })
            EXPECT_FALSE(presenceFromWord(word)) << word;
        EXPECT_EQ(wordForStatus(status::kHidden), "HDN");
        EXPECT_EQ(wordForStatus(status::kOffline), "");
    }

} // namespace
} // namespace pocket::msn
