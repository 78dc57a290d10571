// Runs `quillon --headless` in a temporary home with free ports and drives it
// as a handheld would: log-in, folder list, download with an HTTP fetch,
// upload, and the stop of the service from the console.

#include "pc/service/testing/scripted_handheld.h"
#include "platform/tls/tls_identity.h"
#include "tests/e2e/e2e_harness.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using pc::service::testing::httpGet;
using pc::service::testing::ScriptedHandheld;
using pc::service::testing::ScriptedUpload;
using tests::e2e::ChildProgram;
using tests::e2e::makeTemporaryFolder;
using tests::e2e::PcPorts;
using namespace std::chrono_literals;

// A local absolute path with backslashes, as drive C: ("/") names it.
std::string pcPathOf(std::string text)
{
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    return text;
}

class QuillonE2e : public ::testing::Test {
protected:
    QuillonE2e()
    {
        home = makeTemporaryFolder("quillon-e2e");
        disk = home / "disk";
        fs::create_directories(disk / "docs");
        std::ofstream(disk / "docs" / "report.txt") << "0123456789";
        // Drive C: is the temporary disk folder.
        std::ofstream(home / "Quillon.ini") << "[Drives]\nC=" << disk.string() << "\n";
    }
    ~QuillonE2e() override { fs::remove_all(home); }

    // quillon --headless in the home with the fixture's ports and `arguments`.
    ChildProgram startQuillon(std::vector<std::string> arguments, const std::string& password)
    {
        auto words = ports.arguments();
        words.insert(words.end(), arguments.begin(), arguments.end());
        return tests::e2e::startHeadlessPc(home, home / "config", password, words);
    }

    fs::path home;
    fs::path disk;
    PcPorts ports;
};

TEST_F(QuillonE2e, HandheldSessionAgainstTheRealProgram)
{
    ChildProgram quillon = startQuillon({ "--id", "owner", "--start" }, "secret");
    ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();

    auto handheld = ScriptedHandheld::connect(ports.command);
    ASSERT_TRUE(handheld);
    handheld->send({ 0, 310, "owner\nwrong" });
    auto refused = handheld->waitAnswer();
    ASSERT_TRUE(refused);
    EXPECT_EQ(*refused, (proto::PcAnswer { 0, 310, "NO" }));

    handheld->send({ 0, 310, "owner\nsecret" });
    auto accepted = handheld->waitAnswer();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(*accepted, (proto::PcAnswer { 1, 310, "YES\\C:\\\\" }));
    auto probe = handheld->waitAnswer();
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->code, 328);
    EXPECT_TRUE(quillon.waitForOutput("사용자 인증을 완료하였습니다..\n"));

    handheld->send({ 10, 306, "C:\\docs\\" });
    auto list = handheld->waitAnswer();
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (proto::PcAnswer { 10, 306, ".0report.txt\n\n" }));

    handheld->send({ 11, 308, "C:\\docs\\report.txt" });
    auto download = handheld->waitAnswer();
    ASSERT_TRUE(download);
    EXPECT_EQ(*download, (proto::PcAnswer { 10, 308, "report.txt" }));
    auto fetched = httpGet(ports.web, "/pda_Download/report.txt");
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->body, "0123456789");

    auto upload = ScriptedUpload::connect(ports.upload);
    ASSERT_TRUE(upload);
    handheld->send({ 0, 309, "5\nhello.txt\nowner" });
    auto go = handheld->waitAnswer();
    ASSERT_TRUE(go);
    EXPECT_EQ(*go, (proto::PcAnswer { 0, 309, "" }));
    upload->sendBlock("hello");
    ASSERT_TRUE(upload->waitAcks(1));
    EXPECT_EQ(upload->acks().front(), 5);
    upload->sendBlock("FILE_SEND_COMPLETE");
    auto done = handheld->waitAnswer();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->first, 1);
    // The PC names the file by its drive path, or by its local path when
    // no drive holds it.
    const std::string local = (home / "Quillon" / "pda_Upload" / "hello.txt").string();
    EXPECT_TRUE(done->detail == local || done->detail == "C:" + pcPathOf(local)) << done->detail;
    std::ifstream uploaded(home / "Quillon" / "pda_Upload" / "hello.txt");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(uploaded)), {}), "hello");

    quillon.type("stop\n");
    auto stopping = handheld->waitAnswer();
    ASSERT_TRUE(stopping);
    EXPECT_EQ(*stopping, (proto::PcAnswer { 0, 312, "" }));
    EXPECT_TRUE(handheld->waitClosed());
    EXPECT_TRUE(quillon.waitForOutput("PC 서버를 종료합니다..\n"));
    EXPECT_EQ(quillon.terminate(), 0);
}

TEST_F(QuillonE2e, CutDownloadContinuesOnlyForTheSameVersion)
{
    // A file last written long ago: its date names its version.
    const fs::path source = disk / "docs" / "movie.bin";
    std::string content(40000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 256);
    std::ofstream(source, std::ios::binary) << content;
    const timespec old[2] = { { 1000000000, 0 }, { 1000000000, 0 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), old, 0), 0);

    ChildProgram quillon = startQuillon({ "--id", "owner", "--start" }, "secret");
    ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();
    auto handheld = ScriptedHandheld::connect(ports.command);
    ASSERT_TRUE(handheld);
    handheld->send({ 0, 310, "owner\nsecret" });
    ASSERT_TRUE(handheld->waitAnswer());
    ASSERT_TRUE(handheld->waitAnswer()); // The first keep-alive probe.

    // Each download is staged anew; the rest of the same version is a 206.
    auto stage = [&] {
        handheld->send({ 0, 323, "C:\\docs\\movie.bin" });
        auto staged = handheld->waitAnswer();
        return staged && staged->code == 323 && staged->first == static_cast<std::int32_t>(content.size());
    };
    ASSERT_TRUE(stage());
    auto whole = httpGet(ports.web, "/pda_Download/movie.bin");
    ASSERT_TRUE(whole);
    std::size_t at = whole->head.find("Last-Modified: ");
    ASSERT_NE(at, std::string::npos) << whole->head;
    const std::string version = whole->head.substr(at + 15, whole->head.find("\r\n", at) - at - 15);
    const std::string rangeHeaders = "Range: bytes=12345-\r\nIf-Range: " + version + "\r\n";
    ASSERT_TRUE(stage());
    auto rest = pc::service::testing::httpRequest(ports.web, "GET", "/pda_Download/movie.bin", rangeHeaders);
    ASSERT_TRUE(rest);
    EXPECT_EQ(rest->status, 206) << rest->head;
    EXPECT_EQ(rest->body, content.substr(12345));

    // The user changed the file meanwhile: the old version's rest is not
    // sent, the new file is, whole.
    content = std::string(30000, 'n');
    std::ofstream(source, std::ios::binary | std::ios::trunc) << content;
    ASSERT_TRUE(stage());
    auto changed = pc::service::testing::httpRequest(ports.web, "GET", "/pda_Download/movie.bin", rangeHeaders);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->status, 200) << changed->head;
    EXPECT_EQ(changed->body, content);
}

TEST_F(QuillonE2e, CodePageOfTheProfileIsTheHandheldsOnTheWire)
{
    fs::create_directories(disk / "한글" / "문서");
    std::ofstream(home / "Quillon.ini", std::ios::app) << "[Quillon]\nCodePage=CP949\n";
    ChildProgram quillon = startQuillon({ "--id", "owner", "--start" }, "secret");
    ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();
    quillon.type("codepage\n");
    EXPECT_TRUE(quillon.waitForOutput("code page: CP949\n")) << quillon.output();

    auto handheld = ScriptedHandheld::connect(ports.command);
    ASSERT_TRUE(handheld);
    handheld->send({ 0, 310, "owner\nsecret" });
    auto accepted = handheld->waitAnswer();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->text, "YES\\C:\\\\");
    ASSERT_TRUE(handheld->waitAnswer()); // The first keep-alive probe.

    // "C:\한글\" and "1문서" in CP949.
    handheld->send({ 10, 306, "C:\\\xc7\xd1\xb1\xdb\\" });
    auto list = handheld->waitAnswer();
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (proto::PcAnswer { 10, 306, ".1\xb9\xae\xbc\xad\n\n" }));
    auto fetched = httpGet(ports.web, "/serverfolder");
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->body, "1\xb9\xae\xbc\xad\n\n");
    EXPECT_EQ(quillon.terminate(), 0);
}

TEST_F(QuillonE2e, PrivateLinkKeyFingerprintAndRequiredMode)
{
    std::ofstream(home / "Quillon.ini", std::ios::app) << "[Quillon]\nSecureLink=required\n";
    ChildProgram quillon = startQuillon({ "--id", "owner", "--start" }, "secret");
    ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();
    // The key was made at the first start; the log and the command name it.
    auto identity = platform::TlsIdentity::loadOrCreate(home);
    ASSERT_TRUE(identity) << platform::describe(identity.error());
    EXPECT_EQ(fs::status(home / platform::TlsIdentity::kKeyFileName).permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(quillon.waitForOutput("(SecureLink=required) 인증서 지문: " + identity->fingerprint() + "\n"))
        << quillon.output();
    quillon.type("fingerprint\n");
    EXPECT_TRUE(quillon.waitForOutput("fingerprint: " + identity->fingerprint() + "\n")) << quillon.output();

    // A handheld of the clear protocol is refused, and the log says why.
    auto refused = ScriptedHandheld::connect(ports.command);
    ASSERT_TRUE(refused);
    refused->send({ 0, 310, "owner\nsecret" });
    EXPECT_TRUE(refused->waitClosed());
    EXPECT_TRUE(quillon.waitForOutput("암호화되지 않은 연결을 거부했습니다 (SecureLink=required).\n"));

    quillon.type("securelink allowed\n");
    ASSERT_TRUE(quillon.waitForOutput("securelink: allowed\n")) << quillon.output();
    auto handheld = ScriptedHandheld::connect(ports.command);
    ASSERT_TRUE(handheld);
    handheld->send({ 0, 310, "owner\nsecret" });
    auto accepted = handheld->waitAnswer();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->text, "YES\\C:\\\\");
    EXPECT_TRUE(quillon.waitForOutput("암호화되지 않은 연결로 로그인했습니다.\n")) << quillon.output();
    EXPECT_EQ(quillon.terminate(), 0);
}

TEST_F(QuillonE2e, WithoutTerminalAndPasswordItExplainsAndEnds)
{
    ChildProgram quillon = startQuillon({}, "");
    EXPECT_TRUE(quillon.waitForOutput("QUILLON_PASSWORD")) << quillon.output();
    int status = quillon.terminate();
    EXPECT_EQ(status, 1);
}

TEST_F(QuillonE2e, UserStartOptionStartsTheServerAfterLogin)
{
    std::ofstream(home / "Quillon.ini", std::ios::app) << "[Quillon]\nsavedid=kim\nidsaved=true\nkim_check2=true\n";
    ChildProgram quillon = startQuillon({}, "pw");
    ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();
    auto handheld = ScriptedHandheld::connect(ports.command);
    ASSERT_TRUE(handheld);
    handheld->send({ 0, 310, "kim\npw" });
    auto accepted = handheld->waitAnswer();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->text, "YES\\C:\\\\");
    EXPECT_EQ(quillon.terminate(), 0);
}

} // namespace
