#include "pc/service/testing/service_fixture.h"
#include "pc/service/view_request.h"

#include <condition_variable>
#include <mutex>

namespace pc::service::testing {
namespace {

// Converters that write what a real one would, or fail, as told; one of them
// can be held until the test lets it go.
class FakeConverters final : public DocumentConverters {
public:
    explicit FakeConverters(std::filesystem::path root)
        : m_root(std::move(root))
    {
    }
    bool convertWord(const std::filesystem::path& source, const std::string& base) override
    {
        return record("word", source, base, base + ".htm");
    }
    bool convertExcel(const std::filesystem::path& source, const std::string& base) override
    {
        excelSawStaleResult = std::filesystem::exists(m_root / (base + ".htm"));
        return record("excel", source, base, base + ".htm");
    }
    bool convertPowerPoint(const std::filesystem::path& source, const std::string& base) override
    {
        return record("ppt", source, base, base + "/슬라이드1.jpg");
    }
    bool convertPdf(const std::filesystem::path& source, const std::string& base) override
    {
        return record("pdf", source, base, base + "/슬라이드1.jpg");
    }
    bool convertImage(const std::filesystem::path& source, const std::string& resultPath) override
    {
        return record("image", source, resultPath, resultPath);
    }
    bool convertHwp(const std::filesystem::path& source, const std::string& name) override
    {
        return record("hwp", source, name, baseOf(name) + "/" + baseOf(name) + "0.gif");
    }

    std::size_t callCount()
    {
        std::lock_guard lock(m_mutex);
        return calls.size();
    }

    void hold()
    {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_held = false;
        }
        m_changed.notify_all();
    }

    bool succeed = true;
    bool writeResult = true;
    bool excelSawStaleResult = false;
    std::vector<std::string> calls;

private:
    static std::string baseOf(const std::string& name) { return name.substr(0, name.rfind('.')); }

    bool record(const std::string& kind, const std::filesystem::path& source, const std::string& name,
        const std::string& result)
    {
        {
            std::unique_lock lock(m_mutex);
            calls.push_back(kind + " " + source.filename().string() + " " + name);
            m_changed.wait(lock, [this] { return !m_held; });
        }
        if (succeed && writeResult) {
            std::filesystem::create_directories((m_root / result).parent_path());
            std::ofstream(m_root / result) << "converted";
        }
        return succeed;
    }

    std::filesystem::path m_root;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
};

class ViewHandlersTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        service->start();
        service->setDocumentConverters(&converters);
        handheld = loggedInHandheld();
        // The PC's first address is 10.0.0.5 (the fixture's), but the
        // handheld came in by loopback: the answers name loopback.
        host = "127.0.0.1:" + std::to_string(web->webPort());
    }

    std::optional<proto::PcAnswer> view(std::int32_t first, const std::string& path)
    {
        return ask(*handheld, { first, 303, path });
    }

    std::string url(const std::string& path) const { return "http://" + host + "/" + path; }

    FakeConverters converters { root() };
    std::unique_ptr<ScriptedHandheld> handheld;
    std::string host;
};

TEST_F(ViewHandlersTest, TextFileIsCopiedAndItsUrlAnswered)
{
    writeFile(disk() / "docs/report.txt", "hello");
    auto answer = view(7, "C:\\docs\\report.txt");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 7, 303, url("pda_ReqDoc/report.txt") }));
    EXPECT_EQ(readFile(root() / "pda_ReqDoc/report.txt"), "hello");
}

// The handheld reached the command port by an address other than the PC's
// first one; the view answers that address, which the web server serves it
// on, instead of one the handheld may not reach (and is refused from).
TEST_F(ViewHandlersTest, AnsweredAddressIsTheOneTheHandheldCameInBy)
{
    ASSERT_EQ(service->session().pcAddress, "10.0.0.5");
    writeFile(disk() / "docs/page.html", "<p>hi</p>");
    auto answer = view(0, "C:\\docs\\page.html");
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->text, url("pda_ReqDoc/page.html"));
    auto fetched = httpGet(web->webPort(), "/pda_ReqDoc/page.html");
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->status, 200);
    EXPECT_EQ(fetched->body, "<p>hi</p>");

    auto page = ask(*handheld, { 0, 313, "http://example.com/cat.png" });
    ASSERT_TRUE(page);
    EXPECT_EQ(page->text, url("imageparsing.html"));
}

TEST_F(ViewHandlersTest, ImageIsCopiedAndWrappedInPage)
{
    writeFile(disk() / "pics/cat.JPG", "jpeg bytes");
    auto answer = view(3, "C:\\pics\\cat.JPG");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 3, 303, url("pda_ReqDoc/imageparsing.html") }));
    EXPECT_EQ(readFile(root() / "pda_ReqDoc/imageparsing.html"),
        "<html><body><img src=\"" + url("pda_ReqDoc/cat.JPG") + "\"></body></html>");
    EXPECT_EQ(readFile(root() / "pda_ReqDoc/cat.JPG"), "jpeg bytes");
}

TEST_F(ViewHandlersTest, FailuresAnswerFail)
{
    writeFile(disk() / "a/paper.xyz", "%PDF");
    struct Case {
        const char* name;
        std::string path;
    } cases[] = {
        { "unknown extension", "C:\\a\\paper.xyz" },
        { "missing copied file", "C:\\a\\absent.txt" },
        { "unknown drive", "Q:\\a\\note.txt" },
        { "folder with a copied extension", "C:\\a" + std::string(".txt") },
    };
    std::filesystem::create_directories(disk() / "a.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto answer = view(5, c.path);
        ASSERT_TRUE(answer);
        EXPECT_EQ(*answer, (proto::PcAnswer { 5, 303, "fail" }));
    }
    EXPECT_TRUE(converters.calls.empty());
}

TEST_F(ViewHandlersTest, ConvertersProduceTheirResultUrls)
{
    struct Case {
        std::string file;
        std::string answer;
        std::string wrappedImage; // Empty when the answer is the result itself.
    } cases[] = {
        { "report.doc", "report.htm", "" },
        { "sheet.XLS", "sheet.htm", "" },
        { "slides.ppt", "pda_ReqDoc/imageparsing.html", "slides/슬라이드1.jpg" },
        { "memo.hwp", "pda_ReqDoc/imageparsing.html", "memo/memo0.gif" },
        // Newer formats keep their extension in the result's name.
        { "report.docx", "report.docx.htm", "" },
        { "sheet.ods", "sheet.ods.htm", "" },
        { "slides.pptx", "pda_ReqDoc/imageparsing.html", "slides.pptx/슬라이드1.jpg" },
        { "paper.pdf", "pda_ReqDoc/imageparsing.html", "paper.pdf/슬라이드1.jpg" },
        { "logo.svg", "pda_ReqDoc/imageparsing.html", "pda_ReqDoc/logo.svg.jpg" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(disk() / "docs" / c.file, "source");
        auto answer = view(2, "C:\\docs\\" + c.file);
        ASSERT_TRUE(answer);
        EXPECT_EQ(*answer, (proto::PcAnswer { 2, 303, url(c.answer) }));
        if (!c.wrappedImage.empty()) {
            EXPECT_EQ(readFile(root() / "pda_ReqDoc/imageparsing.html"),
                "<html><body><img src=\"" + url(c.wrappedImage) + "\"></body></html>");
        }
    }
    EXPECT_EQ(converters.calls,
        (std::vector<std::string> { "word report.doc report", "excel sheet.XLS sheet", "ppt slides.ppt slides",
            "hwp memo.hwp memo.hwp", "word report.docx report.docx", "excel sheet.ods sheet.ods",
            "ppt slides.pptx slides.pptx", "pdf paper.pdf paper.pdf", "image logo.svg pda_ReqDoc/logo.svg.jpg" }));
}

TEST_F(ViewHandlersTest, ConverterWithoutResultFails)
{
    writeFile(disk() / "docs/report.doc", "source");
    writeFile(root() / "sheet.htm", "stale");
    writeFile(disk() / "docs/sheet.xls", "source");
    converters.writeResult = false;
    EXPECT_EQ(view(2, "C:\\docs\\report.doc")->text, "fail");
    // The Excel result of an earlier view is removed first, so it cannot
    // stand in for a conversion that wrote nothing.
    EXPECT_EQ(view(2, "C:\\docs\\sheet.xls")->text, "fail");
    EXPECT_FALSE(converters.excelSawStaleResult);
    converters.writeResult = true;
    converters.succeed = false;
    EXPECT_EQ(view(2, "C:\\docs\\report.doc")->text, "fail");

    service->setDocumentConverters(nullptr);
    EXPECT_EQ(view(2, "C:\\docs\\report.doc")->text, "fail");
}

TEST_F(ViewHandlersTest, PathRelativeToServiceRootWhenFirstIsOne)
{
    writeFile(root() / "pda_Upload/notes.txt", "uploaded");
    auto answer = view(1, "pda_Upload/notes.txt");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 1, 303, url("pda_ReqDoc/notes.txt") }));
    EXPECT_EQ(readFile(root() / "pda_ReqDoc/notes.txt"), "uploaded");

    // A file already in the request folder is served where it is.
    auto again = view(1, "pda_ReqDoc\\notes.txt");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->text, url("pda_ReqDoc/notes.txt"));
    auto bare = view(1, "pda_ReqDoc\\README");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->text, url("pda_ReqDoc/README"));
}

TEST_F(ViewHandlersTest, SecondViewWhileConvertingAnswersPrev)
{
    writeFile(disk() / "docs/report.doc", "source");
    converters.hold();
    // Both arrive while the first conversion is held on its worker.
    handheld->send({ 11, 303, "C:\\docs\\report.doc" });
    auto busy = view(12, "C:\\docs\\report.doc");
    ASSERT_TRUE(busy);
    EXPECT_EQ(*busy, (proto::PcAnswer { 12, 303, "prev" }));
    converters.release();
    auto done = awaitAnswer(*handheld);
    ASSERT_TRUE(done);
    EXPECT_EQ(*done, (proto::PcAnswer { 11, 303, url("report.htm") }));
    EXPECT_EQ(converters.calls.size(), 1u);
}

TEST_F(ViewHandlersTest, ImageAddressIsWrappedOthersEchoed)
{
    auto image = ask(*handheld, { 4, 313, "http://example.test/pics/a.PNG" });
    ASSERT_TRUE(image);
    EXPECT_EQ(*image, (proto::PcAnswer { 0, 313, url("imageparsing.html") }));
    EXPECT_EQ(readFile(root() / "imageparsing.html"),
        "<html><body><img src=\"http://example.test/pics/a.PNG\"></body></html>");

    auto page = ask(*handheld, { 4, 313, "http:\\\\example.test\\index.html" });
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, (proto::PcAnswer { 0, 313, "http://example.test/index.html" }));
}

TEST(ViewRequest, ExtensionsSelectGroups)
{
    struct Case {
        const char* name;
        ViewGroup group;
        bool image;
    } cases[] = {
        { "a.DOC", ViewGroup::Word, false },
        { "a.xls", ViewGroup::Excel, false },
        { "a.Ppt", ViewGroup::PowerPoint, false },
        { "a.hwp", ViewGroup::Hwp, false },
        { "a.tiff", ViewGroup::Copied, true },
        { "a.b.c", ViewGroup::Copied, false },
        { "a.htm", ViewGroup::Copied, false },
        { "README", ViewGroup::NoExtension, false },
        { "a.png", ViewGroup::Copied, true },
        { "a.", ViewGroup::NoExtension, false },
        { "a.docx", ViewGroup::Word, false },
        { "a.DOCM", ViewGroup::Word, false },
        { "a.dot", ViewGroup::Word, false },
        { "a.dotx", ViewGroup::Word, false },
        { "a.odt", ViewGroup::Word, false },
        { "a.rtf", ViewGroup::Word, false },
        { "a.xlsx", ViewGroup::Excel, false },
        { "a.xlsm", ViewGroup::Excel, false },
        { "a.ods", ViewGroup::Excel, false },
        { "a.csv", ViewGroup::Excel, false },
        { "a.pptx", ViewGroup::PowerPoint, false },
        { "a.pps", ViewGroup::PowerPoint, false },
        { "a.ppsx", ViewGroup::PowerPoint, false },
        { "a.odp", ViewGroup::PowerPoint, false },
        { "a.Pdf", ViewGroup::Pdf, false },
        { "a.webp", ViewGroup::Image, false },
        { "a.svg", ViewGroup::Image, false },
        { "a.xps", ViewGroup::Unsupported, false },
        { "a.docx.bak", ViewGroup::Unsupported, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(viewGroupOf(extensionOf(c.name)), c.group);
        EXPECT_EQ(isViewImageExtension(extensionOf(c.name)), c.image);
    }
}

TEST(ViewRequest, ResultNamesKeepFormatsApart)
{
    // Each group's first extension keeps the name it always had.
    EXPECT_EQ(resultBaseOf("report.doc"), "report");
    EXPECT_EQ(resultBaseOf("Sheet.XLS"), "Sheet");
    EXPECT_EQ(resultBaseOf("slides.ppt"), "slides");
    EXPECT_EQ(resultBaseOf("report.docx"), "report.docx");
    EXPECT_EQ(resultBaseOf("report.rtf"), "report.rtf");
    EXPECT_EQ(resultBaseOf("paper.pdf"), "paper.pdf");
    EXPECT_NE(resultBaseOf("x.doc") + ".htm", resultBaseOf("x.docx") + ".htm");
    EXPECT_EQ(convertedImageName("logo.svg"), "logo.svg.jpg");
    EXPECT_NE(convertedImageName("logo.svg"), convertedImageName("logo.webp"));
}

} // namespace
} // namespace pc::service::testing
