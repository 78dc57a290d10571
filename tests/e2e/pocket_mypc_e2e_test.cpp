// Runs the real `quillon --headless` and the handheld `quillon-pocket
// --console` against it, each in a temporary home on free loopback ports,
// and moves files both ways: a search of the PC with paging, downloads
// through the PC's download folder and web server (a plain name, a name with
// a space and Korean letters, a binary file), and uploads over the upload
// port (a file of several blocks and an empty one, and an upload that
// continues what the PC holds of it), and a document viewed
// by a handheld that reached the PC by loopback.
// PATH is emptied for the handheld so that it finds no nmcli.

#include "pc/service/testing/scripted_handheld.h"
#include "tests/e2e/e2e_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Child = tests::e2e::ChildProgram;
using tests::e2e::readFile;
using namespace std::chrono_literals;

std::string binaryContent(std::size_t size)
{
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        content[i] = static_cast<char>((i * 131 + 7) % 256);
    return content;
}

class PocketMyPcE2e : public ::testing::Test {
protected:
    PocketMyPcE2e()
    {
        root = tests::e2e::makeTemporaryFolder("pocket-mypc-e2e");
        fs::create_directories(root / "pc");
        fs::create_directories(root / "pocket" / "device" / "My Documents");
        disk = root / "disk";
        fs::create_directories(disk / "docs" / "sub");
        std::ofstream(disk / "docs" / "report.txt") << "0123456789";
        std::ofstream(disk / "docs" / "sub" / "old-report.txt") << "old";
        std::ofstream(disk / "docs" / "보고 서.txt") << "korean name";
        std::ofstream(disk / "docs" / "image.bin", std::ios::binary) << binaryContent(5000);
        fs::create_directories(disk / "many");
        for (int i = 0; i < 5; ++i)
            std::ofstream(disk / "many" / ("item" + std::to_string(i) + ".txt")) << i;
        std::ofstream(root / "pc" / "Quillon.ini") << "[Drives]\nC=" << disk.string() << "\n";
    }
    ~PocketMyPcE2e() override { fs::remove_all(root); }

    Child startPc() { return tests::e2e::startOwnerPc(root, ports); }
    Child startPocket() { return tests::e2e::startPocketConsole(root / "pocket"); }

    fs::path downloads() { return root / "pocket" / "device" / "Program Files" / "Quillon" / "받은파일"; }
    fs::path uploads() { return root / "pc" / "Quillon" / "pda_Upload"; }

    fs::path root;
    fs::path disk;
    tests::e2e::PcPorts ports;
};

TEST_F(PocketMyPcE2e, SearchesAndPagesThroughResults)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

    pocket.type("search C:\\docs report\n");
    ASSERT_TRUE(pocket.waitFor("found\t")) << pocket.output();
    pocket.type("settings\n");
    ASSERT_TRUE(pocket.waitFor("SEVER_IP\t")) << pocket.output();
    EXPECT_NE(pocket.output().find("found\treport.txt\t"), std::string::npos) << pocket.output();
    EXPECT_NE(pocket.output().find("found\told-report.txt\t"), std::string::npos) << pocket.output();
    EXPECT_NE(pocket.output().find("\t10\n"), std::string::npos) << pocket.output();

    // Pages of two: 5 files give 2, 2 and 1 rows; the short page has no next.
    pocket.type("option max_filelist 2\nsearch C:/many item\nnext\nnext\nnext\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 다음 데이터가없습니다\n")) << pocket.output();
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(pocket.output().find("found\titem" + std::to_string(i) + ".txt\t"), std::string::npos) << i;
    // Back over the two earlier pages, then no page before the first.
    pocket.type("prev\nprev\nprev\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 이전 데이터가 없습니다\n")) << pocket.output();
    std::size_t rows = 0;
    for (std::size_t at = 0; (at = pocket.output().find("found\titem", at)) != std::string::npos; ++at)
        ++rows;
    EXPECT_EQ(rows, 9u) << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);
}

TEST_F(PocketMyPcE2e, DownloadsPcFiles)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

    pocket.type("get C:\\docs\\report.txt\nyes\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] \"C:\\docs\\report.txt\" 을 받으시겠습니까?")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] 파일다운로드 폴더에 저장되었습니다.\n")) << pocket.output();
    EXPECT_EQ(readFile(downloads() / "report.txt"), "0123456789");

    pocket.type("get C:\\docs\\보고 서.txt\nyes\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 파일다운로드 폴더에 저장되었습니다.\n")) << pocket.output();
    EXPECT_EQ(readFile(downloads() / "보고 서.txt"), "korean name");

    // Above the limit of 1 KB: asked, and once agreed the file arrives whole.
    pocket.type("option maxfilesize 1\nget C:/docs/image.bin\nyes\nyes\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 데이터 크기가 설정해 놓으신 크기보다 큽니다. 받으시겠습니까?")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("progress\timage.bin\t받은사이즈 : 4.8 KB\n")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] 파일다운로드 폴더에 저장되었습니다.\n")) << pocket.output();
    EXPECT_EQ(readFile(downloads() / "image.bin"), binaryContent(5000));

    pocket.type("get C:\\docs\\missing.txt\nyes\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 이파일은 현재 사용중이거나 다른 이유로 다운로드 받으실 수 없습니다.")) << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);
}

// The handheld reached the PC by 127.0.0.1, which is not the PC's first
// address: the PC answers the view with the address the handheld came in by,
// and the page it names is served.
TEST_F(PocketMyPcE2e, HandheldReachingThePcByLoopbackViewsADocument)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

    pocket.type("view doc C:\\docs\\report.txt\n");
    std::string path = "/pda_ReqDoc/report.txt";
    std::string fetched = "http://127.0.0.1:" + std::to_string(ports.web) + path;
    ASSERT_TRUE(pocket.waitFor("navigate\tweb\t" + fetched + "\n")) << pocket.output();
    auto page = pc::service::testing::httpGet(ports.web, path);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "0123456789");
    // The owner sees what the handheld did.
    EXPECT_TRUE(pc.waitForOutput("문서 보기: C:\\docs\\report.txt\n")) << pc.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);
}

TEST_F(PocketMyPcE2e, UploadsHandheldFiles)
{
    std::string content = binaryContent(2500);
    std::ofstream(root / "pocket" / "device" / "My Documents" / "up.bin", std::ios::binary) << content;
    std::ofstream(root / "pocket" / "device" / "My Documents" / "empty.txt");
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

    pocket.type("pda My Documents\n");
    ASSERT_TRUE(pocket.waitFor("file\tup.bin\n")) << pocket.output();

    pocket.type("put \\My Documents\\up.bin\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] pc에 파일 upload를 완료하였습니다!\n")) << pocket.output();
    EXPECT_EQ(readFile(uploads() / "up.bin"), content);

    pocket.type("put PDA\\My Documents\\empty.txt\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] pc에 파일 upload를 완료하였습니다!\n")) << pocket.output();
    EXPECT_TRUE(fs::exists(uploads() / "empty.txt"));
    EXPECT_EQ(fs::file_size(uploads() / "empty.txt"), 0u);

    pocket.type("put C:\\docs\\report.txt\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 해당 파일을 찾지 못하였습니다.\n")) << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);
}

TEST_F(PocketMyPcE2e, AnUploadContinuesWhatThePcHoldsOfThatFileOnly)
{
    const std::string content = binaryContent(300000);
    const std::string other = binaryContent(5000);
    std::ofstream(root / "pocket" / "device" / "My Documents" / "up.bin", std::ios::binary) << content;
    std::ofstream(root / "pocket" / "device" / "My Documents" / "other.bin", std::ios::binary) << other;
    // What cut tries left on the PC: this file's first 100 000 bytes, and
    // bytes of some other file under the second name.
    fs::create_directories(uploads());
    std::ofstream(uploads() / "up.bin", std::ios::binary) << content.substr(0, 100000);
    std::ofstream(uploads() / "other.bin", std::ios::binary) << std::string(1000, 'x');
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

    // A round trip to the PC: its answer to the log-in's offer of windowed
    // uploads has arrived by then.
    pocket.type("ls C:/docs\n");
    ASSERT_TRUE(pocket.waitFor("file\treport.txt\n")) << pocket.output();

    pocket.type("put \\My Documents\\up.bin\n");
    ASSERT_TRUE(pocket.waitFor("resume\tup.bin\t이어보내기 : 97.6 KB부터\n")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] pc에 파일 upload를 완료하였습니다!\n")) << pocket.output();
    EXPECT_EQ(readFile(uploads() / "up.bin"), content);

    pocket.type("put \\My Documents\\other.bin\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] pc에 파일 upload를 완료하였습니다!\n")) << pocket.output();
    EXPECT_EQ(readFile(uploads() / "other.bin"), other);
    EXPECT_EQ(pocket.output().find("resume\tother.bin"), std::string::npos) << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);
}

} // namespace
