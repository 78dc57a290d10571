#include "pocket/viewer/document_pages.h"

#include <gtest/gtest.h>

namespace pocket::viewer {
namespace {

    TEST(DocumentPages, FindsThePictureOfAWrapperPage)
    {
        const std::pair<const char*, const char*> cases[] = {
            { "<html><body><img src=\"http://10.0.0.2:91/report/report0.gif\"></body></html>",
                "http://10.0.0.2:91/report/report0.gif" },
            { "<HTML><BODY><IMG SRC='a/b1.jpg' width=240></BODY></HTML>", "a/b1.jpg" },
            { "<img src=x3.png>", "x3.png" },
            { "<html><body><p>one page of text</p></body></html>", "" },
            { "<img alt=\"no source\"><p src=\"x\">", "" },
            { "<img src=\"unterminated", "" },
        };
        for (const auto& [page, image] : cases)
            EXPECT_EQ(wrappedImage(page), image) << page;
    }

    TEST(DocumentPages, MovesTheNumberBeforeTheExtension)
    {
        EXPECT_EQ(neighbourPage("http://a:91/report/report0.gif", 1), "http://a:91/report/report1.gif");
        EXPECT_EQ(neighbourPage("http://a:91/report/report9.gif", 1), "http://a:91/report/report10.gif");
        EXPECT_EQ(neighbourPage("http://a:91/report/report10.gif", -1), "http://a:91/report/report9.gif");
        EXPECT_EQ(neighbourPage("http://a:91/deck/슬라이드2.jpg", -1), "http://a:91/deck/슬라이드1.jpg");
        // The folder's own digits stay.
        EXPECT_EQ(neighbourPage("http://a:91/r2d2/r2d27.gif", 1), "http://a:91/r2d2/r2d28.gif");
        EXPECT_EQ(neighbourPage("http://a:91/report/report0.gif", -1), std::nullopt);
        EXPECT_EQ(neighbourPage("http://a:91/pics/cat.jpg", 1), std::nullopt);
        EXPECT_EQ(neighbourPage("http://a:91/docs/2026.htm/", 1), std::nullopt);
        EXPECT_EQ(neighbourPage("http://a:91/page7", 1), "http://a:91/page8");
    }

} // namespace
} // namespace pocket::viewer
