#include "pocket/viewer/viewer_address.h"

#include <gtest/gtest.h>

namespace pocket::viewer {
namespace {

TEST(ViewerAddress, MapsPcPagesBetweenTheLoginIdAndThePcAddress)
{
    EXPECT_EQ(fetchAddress("http://kim/doc/a.html", "kim", "10.0.0.2", 91), "http://10.0.0.2:91/doc/a.html");
    EXPECT_EQ(fetchAddress("kim/x.txt", "kim", "10.0.0.2", 8091), "http://10.0.0.2:8091/x.txt");
    EXPECT_EQ(displayAddress("http://10.0.0.2:91/x.html", "10.0.0.2", "kim"), "http://kim/x.html");
    // The login id past the ninth character is no host: loaded unchanged.
    EXPECT_EQ(fetchAddress("http://www.kim.com/a", "kim", "10.0.0.2", 91), "http://www.kim.com/a");
    EXPECT_EQ(fetchAddress("http://kim/a", "", "10.0.0.2", 91), "http://kim/a");
    EXPECT_EQ(fetchAddress("\\Windows\\pda_hello.html", "in", "10.0.0.2", 91), "\\Windows\\pda_hello.html");
    EXPECT_EQ(displayAddress("http://other/x.html", "10.0.0.2", "kim"), "http://other/x.html");
    EXPECT_EQ(displayAddress("http://10.0.0.2:91/x.html", "10.0.0.2", ""), "http://10.0.0.2:91/x.html");
}

TEST(ViewerAddress, NamesSavedPages)
{
    struct Case {
        const char* address;
        const char* name;
    };
    const Case cases[] = {
        { "http://kim/a/dir/", "dir.html" },
        { "http://kim/a/page.asp", "page.html" },
        { "http://kim/a/pic.JPG", "pic.jpg" },
        { "http://kim\\docs\\Report.DOC", "report.doc" },
        { "http://kim/a/noext", "noext.html" },
        { "http://kim/a/x.tar.gz", "x.html" },
        { "http://", "index.html" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(savedPageName(c.address), c.name);
    }
}

TEST(ViewerAddress, KnowsTheViewableExtensions)
{
    for (const char* name : { "a.htm", "a.HTML", "b.txt", "c.bmp", "d.gif", "e.jpg", "f.JPEG", "g.hwp", "h.doc",
             "i.xls", "j.ppt", "x.zip.txt", "k.DOCX", "l.xlsx", "m.pptx", "n.odt", "o.pdf", "p.svg", "q.webp",
             "r.csv" })
        EXPECT_TRUE(isViewableExtension(name)) << name;
    for (const char* name : { "a.zip", "a.exe", "noext", "a.txt.zip", "a.", "a.pdf.zip" })
        EXPECT_FALSE(isViewableExtension(name)) << name;
}

TEST(ViewerAddress, ResolvesReferencesOfAPage)
{
    const char* page = "http://10.0.0.2:91/pda_ReqDoc/imageparsing.html";
    EXPECT_EQ(resolveReference(page, "cat.jpg"), "http://10.0.0.2:91/pda_ReqDoc/cat.jpg");
    EXPECT_EQ(resolveReference(page, "/pda_ReqDoc/x/0.gif"), "http://10.0.0.2:91/pda_ReqDoc/x/0.gif");
    EXPECT_EQ(resolveReference(page, "../a/../b.gif?v=1"), "http://10.0.0.2:91/b.gif?v=1");
    EXPECT_EQ(resolveReference(page, "http://other/x.png"), "http://other/x.png");
    EXPECT_EQ(resolveReference("http://h", "x.gif"), "http://h/x.gif");
    EXPECT_EQ(resolveReference("\\Windows\\pda_hello.html", "logo.gif"), "\\Windows\\logo.gif");
    EXPECT_EQ(resolveReference("\\Windows\\pda_hello.html", "../../etc/x"), "\\etc\\x");
}

} // namespace
} // namespace pocket::viewer
