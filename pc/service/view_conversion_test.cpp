#include "pc/convert/testing/office_fixture.h"
#include "pc/service/converter_set_adapter.h"
#include "pc/service/testing/service_fixture.h"
#include "platform/profile.h"

namespace pc::service::testing {
namespace {

// A handheld views a presentation: the PC converts it with LibreOffice and
// the handheld fetches the wrapper page and the first slide from the web
// server, as it would.
class ViewConversionTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        if (!convert::programExists("soffice") || !convert::programExists("pdftoppm"))
            GTEST_SKIP() << "LibreOffice or poppler-utils is not installed";
        convert::LibreOfficeConfig office;
        office.profileFolder = home() / "office-profile";
        converters = std::make_unique<convert::DocumentConverterSet>(root(), winIni, office);
        adapter = std::make_unique<ConverterSetAdapter>(*converters);
        service->start();
        service->setDocumentConverters(adapter.get());
    }

    void TearDown() override
    {
        if (service)
            service->setDocumentConverters(nullptr);
    }

    platform::Profile winIni { home() / "win.ini" };
    std::unique_ptr<convert::DocumentConverterSet> converters;
    std::unique_ptr<ConverterSetAdapter> adapter;
};

TEST_F(ViewConversionTest, PresentationSlidesReachTheHandheld)
{
    writeFile(disk() / "talks/slides.ppt", convert::testing::flatPresentation(2));
    auto handheld = loggedInHandheld();
    handheld->send({ 21, 303, "C:\\talks\\slides.ppt" });
    ASSERT_TRUE(
        pumpUntil([&] { return handheld->pump(), !handheld->answers().empty(); }, std::chrono::seconds(60)));
    auto answer = handheld->takeAnswer();
    std::string host = "http://10.0.0.5:" + std::to_string(web->webPort()) + "/";
    EXPECT_EQ(*answer, (proto::PcAnswer { 21, 303, host + "pda_ReqDoc/imageparsing.html" }));

    auto page = httpGet(web->webPort(), "/pda_ReqDoc/imageparsing.html");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->body, "<html><body><img src=\"" + host + "slides/슬라이드1.jpg\"></body></html>");
    auto slide = httpGet(web->webPort(), "/slides/슬라이드2.jpg");
    ASSERT_TRUE(slide);
    EXPECT_EQ(slide->status, 200);
    EXPECT_EQ(slide->body.substr(0, 3), "\xFF\xD8\xFF");
}

} // namespace
} // namespace pc::service::testing
