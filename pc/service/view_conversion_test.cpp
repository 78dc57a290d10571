#include "pc/convert/testing/office_samples.h"
#include "pc/service/converter_set_adapter.h"
#include "pc/service/testing/service_fixture.h"
#include "platform/profile.h"

#include <random>

namespace pc::service::testing {
namespace {

// Handhelds view real documents of every format the PC converts: LibreOffice
// (one warm office for the whole binary, see office_samples.h) and poppler
// do the work, and the handheld fetches what it is answered from the web
// server, as it would.

// The size of a JPEG image from its frame header; {0, 0} when there is none.
std::pair<int, int> jpegSize(std::string_view jpeg)
{
    std::size_t at = 2;
    while (at + 9 < jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        auto length = static_cast<std::size_t>(static_cast<unsigned char>(jpeg[at + 2]) << 8
            | static_cast<unsigned char>(jpeg[at + 3]));
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            auto byte = [&](std::size_t i) { return static_cast<unsigned char>(jpeg[at + i]); };
            return { byte(7) << 8 | byte(8), byte(5) << 8 | byte(6) };
        }
        at += 2 + length;
    }
    return { 0, 0 };
}

struct Samples {
    std::filesystem::path folder;
    std::string failure;
};

// Made once for the binary by the shared office.
const Samples& samples()
{
    static Samples made = [] {
        Samples s;
        auto& shared = convert::testing::sharedOffice();
        if (!shared.office) {
            s.failure = "no temporary folder";
            return s;
        }
        s.folder = shared.folder->path() / "samples";
        if (auto written = convert::testing::makeOfficeSamples(*shared.office, s.folder); !written)
            s.failure = platform::describe(written.error());
        return s;
    }();
    return made;
}

class ViewConversionTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        if (!convert::programExists("soffice") || !convert::programExists("pdftoppm"))
            GTEST_SKIP() << "LibreOffice or poppler-utils is not installed";
        ASSERT_EQ(samples().failure, "");
        office = convert::testing::sharedOffice().office;
        converters = std::make_unique<convert::DocumentConverterSet>(root(), winIni, office);
        adapter = std::make_unique<ConverterSetAdapter>(*converters);
        service->start();
        service->setDocumentConverters(adapter.get());
        handheld = loggedInHandheld();
        host = "http://127.0.0.1:" + std::to_string(web->webPort()) + "/";
    }

    void TearDown() override
    {
        if (service)
            service->setDocumentConverters(nullptr);
    }

    // Copies a sample onto the PC's disk under `name` and views it.
    std::string view(const std::string& sample, const std::string& name)
    {
        std::filesystem::create_directories(disk() / "docs");
        std::filesystem::copy_file(samples().folder / sample, disk() / "docs" / name,
            std::filesystem::copy_options::overwrite_existing);
        return viewPath("C:\\docs\\" + name);
    }

    std::string viewPath(const std::string& pcPath)
    {
        handheld->send({ 0, 303, pcPath });
        bool answered = pumpUntil([&] { return handheld->pump(), !handheld->answers().empty(); }, std::chrono::seconds(240));
        EXPECT_TRUE(answered) << pcPath;
        auto answer = handheld->takeAnswer();
        return answer ? answer->text : "";
    }

    // What the handheld fetches for an answered URL of the PC.
    std::string fetch(const std::string& url)
    {
        EXPECT_EQ(url.rfind(host, 0), 0u) << url;
        std::string path = "/" + url.substr(std::min(url.size(), host.size()));
        auto response = httpGet(web->webPort(), path);
        EXPECT_TRUE(response && response->status == 200) << path;
        return response ? response->body : "";
    }

    // The image a wrapper page shows.
    std::string wrappedImage(const std::string& answer)
    {
        EXPECT_EQ(answer, host + "pda_ReqDoc/imageparsing.html");
        std::string page = fetch(answer);
        std::size_t start = page.find("src=\"") + 5;
        return page.substr(start, page.find('"', start) - start);
    }

    platform::Profile winIni { home() / "win.ini" };
    std::shared_ptr<convert::LibreOffice> office;
    std::unique_ptr<convert::DocumentConverterSet> converters;
    std::unique_ptr<ConverterSetAdapter> adapter;
    std::unique_ptr<ScriptedHandheld> handheld;
    std::string host;
};

TEST_F(ViewConversionTest, WordDocumentsOfEveryFormatBecomeUtf8Pages)
{
    for (const char* extension : { "docx", "docm", "dot", "dotx", "odt", "rtf", "doc" }) {
        SCOPED_TRACE(extension);
        std::string name = std::string("보고서.") + extension;
        std::string answer = view(std::string("letter.") + extension, name);
        std::string result = extension == std::string("doc") ? "보고서.htm" : name + ".htm";
        ASSERT_EQ(answer, host + result);
        std::string page = fetch(answer);
        EXPECT_NE(page.find("charset=utf-8"), std::string::npos);
        // The office breaks long lines; each word is there.
        for (const char* word : { "분기", "매출이", "늘었습니다" })
            EXPECT_NE(page.find(word), std::string::npos) << word;
    }
}

TEST_F(ViewConversionTest, EverySheetAndRowOfAWorkbookIsReachable)
{
    for (const char* extension : { "xlsx", "xlsm", "ods", "xls" }) {
        SCOPED_TRACE(extension);
        std::string name = std::string("book.") + extension;
        std::string answer = view(name, name);
        std::string base = extension == std::string("xls") ? "book" : name;
        ASSERT_EQ(answer, host + base + ".htm");
        std::string first = fetch(answer);
        EXPECT_NE(first.find("charset=utf-8"), std::string::npos);
        EXPECT_NE(first.find("<b>매출</b>"), std::string::npos);
        EXPECT_NE(first.find("<td>서울 1</td>"), std::string::npos);
        // The second sheet and the last rows of the first are a link away.
        EXPECT_NE(first.find("<a href=\"" + base + ".sheets/2-1.htm\">메모</a>"), std::string::npos);
        EXPECT_NE(fetch(host + base + ".sheets/2-1.htm").find("<td>참고</td>"), std::string::npos);
        std::string last = fetch(host + base + ".sheets/1-3.htm");
        EXPECT_NE(last.find("<td>서울 449</td>"), std::string::npos);
        EXPECT_NE(last.find("401-450 / 450"), std::string::npos);
    }
    std::string csv = view("book.csv", "표.csv");
    ASSERT_EQ(csv, host + "표.csv.htm");
    EXPECT_NE(fetch(csv).find("<td>부산</td><td align=\"right\">200</td>"), std::string::npos);
}

TEST_F(ViewConversionTest, SlidesAndPdfPagesBecomeImagesOfTheSetWidth)
{
    int width = office->config().pageWidth;
    struct Case {
        const char* sample;
        const char* name;
        const char* folder;
        int pages;
    } cases[] = {
        { "talk.pptx", "talk.pptx", "talk.pptx", 3 },
        { "talk.pps", "talk.pps", "talk.pps", 3 },
        { "talk.ppsx", "talk.ppsx", "talk.ppsx", 3 },
        { "talk.odp", "talk.odp", "talk.odp", 3 },
        { "talk.ppt", "talk.ppt", "talk", 3 },
        { "paper.pdf", "논문.pdf", "논문.pdf", 3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string image = wrappedImage(view(c.sample, c.name));
        EXPECT_EQ(image, host + c.folder + "/슬라이드1.jpg");
        for (int page = 1; page <= c.pages; ++page) {
            std::string jpeg = fetch(host + c.folder + "/슬라이드" + std::to_string(page) + ".jpg");
            EXPECT_EQ(jpegSize(jpeg).first, width) << page;
        }
        EXPECT_FALSE(std::filesystem::exists(root() / c.folder / ("슬라이드" + std::to_string(c.pages + 1) + ".jpg")));
    }
}

TEST_F(ViewConversionTest, PicturesTheHandheldCannotShowBecomeJpeg)
{
    int width = office->config().pageWidth;
    std::filesystem::copy_file(QUILLON_DOCUMENT_FIXTURES "/picture.webp", samples().folder / "picture.webp",
        std::filesystem::copy_options::overwrite_existing);
    std::string webp = wrappedImage(view("picture.webp", "그림.webp"));
    EXPECT_EQ(webp, host + "pda_ReqDoc/그림.webp.jpg");
    EXPECT_EQ(jpegSize(fetch(webp)), std::make_pair(401, 201)); // Narrower than the page: as it is.
    std::string svg = wrappedImage(view("drawing.svg", "drawing.svg"));
    EXPECT_EQ(svg, host + "pda_ReqDoc/drawing.svg.jpg");
    EXPECT_EQ(jpegSize(fetch(svg)), std::make_pair(width, width / 2)); // 800×400, scaled to the page.
    // PNG the handheld shows: copied as it is.
    writeFile(disk() / "docs/plain.png", "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(wrappedImage(viewPath("C:\\docs\\plain.png")), host + "pda_ReqDoc/plain.png");
}

TEST_F(ViewConversionTest, ADocumentInTwoFormatsKeepsTwoResults)
{
    std::string doc = view("letter.doc", "x.doc");
    writeFile(samples().folder / "other.fodt", convert::testing::flatText({ "다른 내용 other content" }));
    ASSERT_TRUE(office->convert(samples().folder / "other.fodt", "docx:MS Word 2007 XML", "docx", samples().folder));
    std::string docx = view("other.docx", "x.docx");
    ASSERT_NE(doc, docx);
    EXPECT_NE(fetch(doc).find("매출이"), std::string::npos);
    EXPECT_NE(fetch(docx).find("다른"), std::string::npos);
}

// Everything in the service root but the request folder's wrapper page.
std::vector<std::string> rootListing(const std::filesystem::path& root)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        names.push_back(entry.path().lexically_relative(root).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ViewConversionTest, BadDocumentsAnswerFailAndLeaveNothingBehind)
{
    std::mt19937 random(14);
    std::string noise(50000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    std::string docx = readFile(samples().folder / "letter.docx");
    std::string pdf = readFile(samples().folder / "paper.pdf");
    writeFile(samples().folder / "noise", noise);
    writeFile(samples().folder / "half.docx", docx.substr(0, docx.size() / 2));
    writeFile(samples().folder / "half.pdf", pdf.substr(0, pdf.size() / 3));
    writeFile(samples().folder / "empty", "");
    writeFile(samples().folder / "blank.fods", convert::testing::flatSpreadsheet({ { "Sheet1", {} } }));
    for (const char* name : { "protected.odt", "protected.doc", "protected.xls", "protected.pdf" })
        std::filesystem::copy_file(std::filesystem::path(QUILLON_DOCUMENT_FIXTURES) / name, samples().folder / name,
            std::filesystem::copy_options::overwrite_existing);
    // A document just over the largest one taken (sparse: no disk is used).
    std::filesystem::create_directories(disk() / "docs");
    std::ofstream(disk() / "docs/huge.docx").close();
    std::filesystem::resize_file(disk() / "docs/huge.docx", office->config().maxDocumentBytes + 1);

    auto before = rootListing(root());
    struct Case {
        const char* sample;
        const char* name;
    } cases[] = {
        { "noise", "random.doc" }, { "noise", "random.docx" }, { "noise", "random.xlsx" }, { "noise", "random.ppt" },
        { "noise", "random.pdf" }, { "noise", "random.svg" }, { "noise", "random.webp" }, { "half.docx", "half.docx" },
        { "half.pdf", "half.pdf" }, { "empty", "empty.xls" }, { "empty", "empty.docx" }, { "blank.fods", "blank.ods" },
        { "protected.odt", "protected.odt" }, { "protected.doc", "protected.doc" },
        { "protected.xls", "protected.xls" }, { "protected.pdf", "protected.pdf" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(view(c.sample, c.name), "fail");
    }
    EXPECT_EQ(viewPath("C:\\docs\\huge.docx"), "fail");
    EXPECT_EQ(rootListing(root()), before);
    // And the office still serves the next view.
    EXPECT_EQ(view("letter.docx", "after.docx"), host + "after.docx.htm");
}

} // namespace
} // namespace pc::service::testing
