#include "pc/convert/libreoffice_office.h"
#include "pc/convert/office_converter.h"
#include "pc/convert/testing/office_fixture.h"

namespace pc::convert::testing {
namespace {

class LibreOfficeOfficeTest : public OfficeFixture {
protected:
    void SetUp() override
    {
        OfficeFixture::SetUp();
        if (IsSkipped())
            return;
        registerLibreOfficeOffice(registry, office);
        converter = std::make_unique<OfficeConverter>(registry, root());
    }

    DispatchRegistry registry;
    std::unique_ptr<OfficeConverter> converter;
};

TEST_F(LibreOfficeOfficeTest, WordDocumentBecomesHtmlUnderItsBaseName)
{
    auto source = writeSource("report.doc", rtfPages({ "Quarterly figures" }));
    EXPECT_TRUE(converter->convertWord(source, "report.doc"));
    std::string html = readFile(root() / "report.htm");
    EXPECT_NE(html.find("Quarterly figures"), std::string::npos) << html;
}

TEST_F(LibreOfficeOfficeTest, PresentationBecomesOneJpegPerSlide)
{
    auto source = writeSource("slides.ppt", flatPresentation(3));
    // Slides of an earlier, longer presentation do not survive.
    std::filesystem::create_directories(root() / "slides");
    std::ofstream(root() / "slides" / slideImageName(4)) << "old";
    EXPECT_TRUE(converter->convertPowerPoint(source, "slides.ppt"));
    for (int slide = 1; slide <= 3; ++slide) {
        std::string jpeg = readFile(root() / "slides" / slideImageName(slide));
        ASSERT_GT(jpeg.size(), 3u) << slide;
        EXPECT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF") << slide;
    }
    EXPECT_FALSE(std::filesystem::exists(root() / "slides" / slideImageName(4)));
    EXPECT_EQ(slideImageName(1), "슬라이드1.jpg");
}

TEST_F(LibreOfficeOfficeTest, MissingDocumentOrProgramLeavesNoOutput)
{
    // The program runs, but the document is not there: no output.
    EXPECT_TRUE(converter->convertExcel(folder() / "docs/absent.xls", "absent.xls"));
    EXPECT_FALSE(std::filesystem::exists(root() / "absent.htm"));

    LibreOfficeConfig missing;
    missing.soffice = (folder() / "no-such-soffice").string();
    DispatchRegistry withoutOffice;
    registerLibreOfficeOffice(withoutOffice, std::make_shared<LibreOffice>(missing));
    OfficeConverter noOffice(withoutOffice, root());
    auto source = writeSource("sheet.xls", "a,b\n1,2\n");
    EXPECT_FALSE(noOffice.convertExcel(source, "sheet.xls"));
    EXPECT_FALSE(noOffice.convertWord(source, "sheet.doc"));
}

TEST(RenderedPageNumber, ReadsPdftoppmNames)
{
    EXPECT_EQ(renderedPageNumber("slide-1.jpg", "slide", ".jpg"), 1);
    EXPECT_EQ(renderedPageNumber("slide-07.jpg", "slide", ".jpg"), 7);
    EXPECT_EQ(renderedPageNumber("slide-.jpg", "slide", ".jpg"), 0);
    EXPECT_EQ(renderedPageNumber("slide-1.png", "slide", ".jpg"), 0);
    EXPECT_EQ(renderedPageNumber("other-1.jpg", "slide", ".jpg"), 0);
    EXPECT_EQ(renderedPageNumber("slide-1x.jpg", "slide", ".jpg"), 0);
}

} // namespace
} // namespace pc::convert::testing
