// Runs the real `quillon --headless` (which keeps its LibreOffice warm) and
// the handheld `quillon-pocket --console` against it, and views a PC
// document of each format the PC has learnt since the first version: the
// console answers with the page it opens, and that page (and the picture a
// wrapper page shows) comes from the PC's web server. A damaged document
// gives the handheld its conversion-failure message.

#include "pc/convert/testing/flat_documents.h"
#include "pc/service/testing/scripted_handheld.h"
#include "tests/e2e/e2e_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Child = tests::e2e::ChildProgram;
using namespace std::chrono_literals;
namespace samples = pc::convert::testing;

// A one-page PDF drawing `text`, with the cross-reference table PDF readers
// need.
std::string minimalPdf(const std::string& text)
{
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    std::string stream = "BT /F1 24 Tf 30 100 Td (" + text + ") Tj ET";
    objects[3] = "<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream + "\nendstream";
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        std::string number = std::to_string(offset);
        pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    return pdf + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
        + std::to_string(xref) + "\n%%EOF\n";
}

class PocketViewE2e : public ::testing::Test {
protected:
    PocketViewE2e()
    {
        root = tests::e2e::makeTemporaryFolder("pocket-view-e2e");
        fs::create_directories(root / "pc");
        fs::create_directories(root / "pocket");
        fs::path docs = root / "disk" / "docs";
        fs::create_directories(docs);
        // LibreOffice knows a document by its content; flat OpenDocument
        // sources under the new names stand for files of those formats.
        write(docs / "편지.docx", samples::flatText({ "안녕하세요 hello" }));
        write(docs / "book.xlsx",
            samples::flatSpreadsheet({ { "첫째", { { "값", "1" } } }, { "둘째", { { "more" } } } }));
        write(docs / "talk.odp", samples::flatPresentation(2, "발표"));
        write(docs / "paper.pdf", minimalPdf("Quillon PDF"));
        write(docs / "drawing.svg",
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"50\"><rect width=\"100\" "
            "height=\"50\" fill=\"red\"/></svg>");
        write(docs / "broken.docx", std::string(4000, '\x01'));
        // The office starts with the server, so that the first view does not
        // wait for it.
        write(root / "pc" / "Quillon.ini", "[Drives]\nC=" + (root / "disk").string() + "\n[Quillon]\nofficestart=1\n");
    }
    ~PocketViewE2e() override { fs::remove_all(root); }

    static void write(const fs::path& file, const std::string& content)
    {
        std::ofstream(file, std::ios::binary) << content;
    }

    // Views a PC document; the address the console opens, or "".
    std::string view(Child& pocket, const std::string& pcPath)
    {
        // The console also opens its start page (a handheld path); a PC
        // page is an http address.
        pocket.type("view doc " + pcPath + "\n");
        if (!pocket.waitFor("navigate\tweb\thttp://", 120s))
            return "";
        std::size_t start = pocket.output().rfind("navigate\tweb\thttp://") + 13;
        std::size_t end = pocket.output().find('\n', start);
        while (end == std::string::npos && pocket.waitForOutput("\n", 5s))
            end = pocket.output().find('\n', start);
        return pocket.output().substr(start, end - start);
    }

    // The body of a page of the PC's web server (whatever address of the PC
    // the URL names).
    std::string fetch(const std::string& url)
    {
        std::string port = ":" + std::to_string(ports.web) + "/";
        std::size_t path = url.find(port);
        EXPECT_TRUE(url.rfind("http://", 0) == 0 && path != std::string::npos) << url;
        if (path == std::string::npos)
            return "";
        auto reply = pc::service::testing::httpGet(ports.web, url.substr(path + port.size() - 1));
        EXPECT_TRUE(reply && reply->status == 200) << url;
        return reply ? reply->body : "";
    }

    fs::path root;
    tests::e2e::PcPorts ports;
};

TEST_F(PocketViewE2e, DocumentsOfTodayOpenOnTheHandheld)
{
    Child pc = tests::e2e::startOwnerPc(root, ports);
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = tests::e2e::startPocketConsole(root / "pocket");
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

    std::string word = view(pocket, "C:\\docs\\편지.docx");
    ASSERT_NE(word, "") << pocket.output();
    EXPECT_NE(fetch(word).find("안녕하세요"), std::string::npos);
    std::string sheet = view(pocket, "C:\\docs\\book.xlsx");
    ASSERT_NE(sheet, "") << pocket.output();
    EXPECT_NE(fetch(sheet).find("둘째"), std::string::npos);

    for (const char* picture : { "C:\\docs\\talk.odp", "C:\\docs\\paper.pdf", "C:\\docs\\drawing.svg" }) {
        SCOPED_TRACE(picture);
        std::string wrapper = view(pocket, picture);
        ASSERT_NE(wrapper.find("/pda_ReqDoc/imageparsing.html"), std::string::npos) << pocket.output();
        std::string page = fetch(wrapper);
        std::size_t src = page.find("src=\"") + 5;
        std::string image = fetch(page.substr(src, page.find('"', src) - src));
        EXPECT_EQ(image.substr(0, 3), "\xFF\xD8\xFF");
    }

    pocket.type("view doc C:\\docs\\broken.docx\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 파일변환에 실패하였습니다", 120s)) << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);
}

} // namespace
