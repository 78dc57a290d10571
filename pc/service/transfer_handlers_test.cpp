#include "pc/service/testing/service_fixture.h"

#include <unistd.h>

namespace pc::service::testing {
namespace {

class TransferTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        service->start();
        handheld = loggedInHandheld();
    }

    std::optional<proto::PcAnswer> request(std::int32_t code, const std::string& text, std::int32_t first = 0)
    {
        return ask(*handheld, { first, code, text });
    }

    // Connects to the upload port and waits until the service holds it.
    std::unique_ptr<ScriptedUpload> openUpload(const std::string& from = "127.0.0.1")
    {
        auto upload = ScriptedUpload::connect(service->uploadPort(), from);
        EXPECT_TRUE(upload);
        pumpUntil([&] { return service->uploadConnectionCount() > 0; });
        return upload;
    }

    void sendBlockAndWaitAck(ScriptedUpload& upload, std::string_view block)
    {
        std::size_t before = upload.acks().size();
        upload.sendBlock(block);
        pumpUntil([&] { return upload.pump(), upload.acks().size() > before; });
    }

    std::unique_ptr<ScriptedHandheld> handheld;
};

TEST_F(TransferTest, DownloadCopiesTheFileAndTheWebServerServesIt)
{
    writeFile(disk() / "a" / "b.txt", "0123456789");
    auto answer = request(308, "C:\\a\\b.txt");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 10, 308, "b.txt" }));
    EXPECT_EQ(readFile(root() / "pda_Download" / "b.txt"), "0123456789");

    auto reply = httpGet(web->webPort(), "/pda_Download/b.txt");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->body, "0123456789");
    // Sent: no copy stays behind.
    EXPECT_FALSE(std::filesystem::exists(root() / "pda_Download" / "b.txt"));
    EXPECT_EQ(readFile(disk() / "a" / "b.txt"), "0123456789");

    auto withPath = request(323, "C:\\a\\b.txt");
    ASSERT_TRUE(withPath);
    EXPECT_EQ(*withPath, (proto::PcAnswer { 10, 323, "C:\\a\\b.txt[_F_I_]b.txt" }));
}

// Where the file system has no hard links the file is copied; the copy goes
// when the handheld has fetched it, or when it logs out without fetching.
TEST_F(TransferTest, CopyForDownloadIsRemovedAfterTheTransferOrAtLogOut)
{
    service->downloadStage().setLinksAllowed(false);
    writeFile(disk() / "big.bin", std::string(300000, 'x'));
    auto answer = request(323, "C:\\big.bin");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->first, 300000);
    std::filesystem::path copy = root() / "pda_Download" / "big.bin";
    ASSERT_TRUE(std::filesystem::exists(copy));
    EXPECT_EQ(httpRequest(web->webPort(), "HEAD", "/pda_Download/big.bin")->status, 200);
    EXPECT_TRUE(std::filesystem::exists(copy));
    auto reply = httpGet(web->webPort(), "/pda_Download/big.bin");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body.size(), 300000u);
    EXPECT_FALSE(std::filesystem::exists(copy));

    ASSERT_TRUE(request(323, "C:\\big.bin"));
    ASSERT_TRUE(std::filesystem::exists(copy));
    handheld.reset(); // The handheld goes without fetching it.
    EXPECT_TRUE(pumpUntil([&] { return !std::filesystem::exists(copy); }));
    EXPECT_EQ(readFile(disk() / "big.bin").size(), 300000u);
}

TEST_F(TransferTest, WebDeleteNeedsThePcLoginCredentials)
{
    writeFile(root() / "pda_Download" / "old.txt", "x");
    auto anonymous = httpRequest(web->webPort(), "DELETE", "/pda_Download/old.txt");
    ASSERT_TRUE(anonymous);
    EXPECT_EQ(anonymous->status, 401);
    // "owner:wrong" and "owner:secret" in base64.
    auto wrong = httpRequest(web->webPort(), "DELETE", "/pda_Download/old.txt", "Authorization: Basic b3duZXI6d3Jvbmc=\r\n");
    ASSERT_TRUE(wrong);
    EXPECT_NE(wrong->status, 200);
    EXPECT_TRUE(std::filesystem::exists(root() / "pda_Download" / "old.txt"));
    auto right = httpRequest(web->webPort(), "DELETE", "/pda_Download/old.txt", "Authorization: Basic b3duZXI6c2VjcmV0\r\n");
    ASSERT_TRUE(right);
    EXPECT_EQ(right->status, 200);
    EXPECT_FALSE(std::filesystem::exists(root() / "pda_Download" / "old.txt"));
}

TEST_F(TransferTest, MissingFileHasNoAnswerFor308AndAnEmptyOneFor323)
{
    auto missing = request(323, "C:\\nope.txt");
    ASSERT_TRUE(missing);
    EXPECT_EQ(*missing, (proto::PcAnswer { 0, 323, "" }));
    handheld->send({ 0, 308, "C:\\nope.txt" });
    // The next request's answer is the first to arrive.
    auto next = request(306, "C:\\", 44);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->first, 44);
}

TEST_F(TransferTest, UnreadableFileAnswersAnEmpty323)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every file";
    writeFile(disk() / "locked.txt", "secret");
    std::filesystem::permissions(disk() / "locked.txt", std::filesystem::perms::none);
    auto answer = request(323, "C:\\locked.txt");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 0, 323, "" }));
}

TEST_F(TransferTest, WebServerRefusesAddressesOtherThanTheHandheldAndLoopback)
{
    writeFile(root() / "serverfolder", "1x\n\n");
    // 127.0.0.1 is loopback and always served.
    EXPECT_EQ(httpGet(web->webPort(), "/serverfolder")->status, 200);
    // The gate itself decides by address.
    EXPECT_TRUE(service->webAccess().allows("127.0.0.1"));
    EXPECT_FALSE(service->webAccess().allows("192.168.1.7"));
}

TEST_F(TransferTest, UploadOf2500BytesIsAcknowledgedBlockByBlock)
{
    auto upload = openUpload();
    auto accepted = request(309, "2500\nphoto.jpg\nowner");
    ASSERT_TRUE(accepted);
    EXPECT_EQ(*accepted, (proto::PcAnswer { 0, 309, "" }));
    std::string content;
    for (int i = 0; i < 2500; ++i)
        content.push_back(static_cast<char>('a' + i % 26));
    sendBlockAndWaitAck(*upload, std::string_view(content).substr(0, 1024));
    sendBlockAndWaitAck(*upload, std::string_view(content).substr(1024, 1024));
    sendBlockAndWaitAck(*upload, std::string_view(content).substr(2048));
    EXPECT_EQ(upload->acks(), (std::vector<std::int32_t> { 1024, 2048, 2500 }));
    upload->sendBlock("FILE_SEND_COMPLETE");
    auto done = awaitAnswer(*handheld);
    ASSERT_TRUE(done);
    EXPECT_EQ(*done, (proto::PcAnswer { 1, 309, "", paths.toPc(root() / "pda_Upload") + "\\photo.jpg" }));
    EXPECT_EQ(readFile(root() / "pda_Upload" / "photo.jpg"), content);
    EXPECT_EQ(progress.positions, (std::vector<int> { 40, 81, 100 }));
}

TEST_F(TransferTest, MailAttachmentUploadEndsWith331)
{
    auto upload = openUpload();
    request(309, "3\nnote.txt\nowner", 1);
    sendBlockAndWaitAck(*upload, "abc");
    upload->sendBlock("FILE_SEND_COMPLETE");
    auto done = awaitAnswer(*handheld);
    ASSERT_TRUE(done);
    EXPECT_EQ(*done, (proto::PcAnswer { 0, 331, "" }));
}

TEST_F(TransferTest, CancelWordRemovesThePartialFile)
{
    auto upload = openUpload();
    request(309, "5000\nbig.bin\nowner");
    sendBlockAndWaitAck(*upload, std::string(1024, 'x'));
    ASSERT_TRUE(std::filesystem::exists(root() / "pda_Upload" / "big.bin"));
    handheld->send({ 0, 309, "0xffff_f" });
    pumpUntil([&] { return !std::filesystem::exists(root() / "pda_Upload" / "big.bin"); });
    EXPECT_FALSE(std::filesystem::exists(root() / "pda_Upload" / "big.bin"));
}

TEST_F(TransferTest, BrokenUploadConnectionRemovesThePartialFile)
{
    auto upload = openUpload();
    request(309, "5000\nbroken.bin\nowner");
    sendBlockAndWaitAck(*upload, std::string(1024, 'x'));
    upload->close();
    pumpUntil([&] { return service->uploadConnectionCount() == 0; });
    EXPECT_FALSE(std::filesystem::exists(root() / "pda_Upload" / "broken.bin"));
}

TEST_F(TransferTest, CancelMarkerKeepsThePartialFile)
{
    auto upload = openUpload();
    request(309, "5000\nkept.bin\nowner");
    sendBlockAndWaitAck(*upload, std::string(100, 'x'));
    upload->sendBlock("FILE_SEND_CANCEL");
    upload->close();
    pumpUntil([&] { return service->uploadConnectionCount() == 0; });
    EXPECT_EQ(readFile(root() / "pda_Upload" / "kept.bin"), std::string(100, 'x'));
}

TEST_F(TransferTest, HostileUploadNameStaysInsideTheUploadFolder)
{
    auto upload = openUpload();
    auto accepted = request(309, "4\n..\\..\\..\\evil.txt\nowner");
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->first, 0);
    sendBlockAndWaitAck(*upload, "evil");
    upload->sendBlock("FILE_SEND_COMPLETE");
    awaitAnswer(*handheld);
    EXPECT_EQ(readFile(root() / "pda_Upload" / "evil.txt"), "evil");
    EXPECT_FALSE(std::filesystem::exists(home() / "evil.txt"));
    EXPECT_FALSE(std::filesystem::exists(root() / "evil.txt"));
}

TEST_F(TransferTest, ZeroAnnouncedSizeDoesNotDivide)
{
    auto upload = openUpload();
    request(309, "0\nempty.txt\nowner");
    upload->sendBlock("FILE_SEND_COMPLETE");
    auto done = awaitAnswer(*handheld);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->first, 1);
    EXPECT_TRUE(progress.positions.empty());
    EXPECT_EQ(readFile(root() / "pda_Upload" / "empty.txt"), "");
}

TEST_F(TransferTest, BytesBeyondTheAnnouncedSizeAreNeitherWrittenNorAcknowledged)
{
    auto upload = openUpload();
    request(309, "10\nten.bin\nowner");
    sendBlockAndWaitAck(*upload, std::string(10, 'a'));
    // A peer that goes on sending (announced 10 bytes, sends megabytes) is
    // cut off at the announced size.
    for (int i = 0; i < 64; ++i)
        upload->sendBlock(std::string(1024, 'b'));
    EXPECT_TRUE(pumpUntil([&] { return upload->pump(), upload->isClosed(); }));
    EXPECT_EQ(upload->acks(), (std::vector<std::int32_t> { 10 }));
    EXPECT_EQ(readFile(root() / "pda_Upload" / "ten.bin"), std::string(10, 'a'));
    // No end answer claims an upload that went wrong.
    handheld->send({ 45, 306, "C:\\" });
    auto next = awaitAnswer(*handheld);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->first, 45);
}

TEST_F(TransferTest, BackToBackUploadsLoseNothingWhateverOrderTheClosesArriveIn)
{
    // The handheld announces the next file as soon as it has closed the
    // last one's connection; the PC may see that close after the next
    // announcement, or an idle upload connection close in between.
    auto idle = openUpload();
    std::vector<std::string> contents;
    std::unique_ptr<ScriptedUpload> previous;
    for (int i = 0; i < 6; ++i) {
        std::string name = "file" + std::to_string(i) + ".bin";
        std::string content(1500 + i * 100, static_cast<char>('a' + i));
        contents.push_back(content);
        auto upload = ScriptedUpload::connect(service->uploadPort());
        ASSERT_TRUE(upload);
        auto accepted = request(309, std::to_string(content.size()) + "\n" + name + "\nowner");
        ASSERT_TRUE(accepted);
        ASSERT_EQ(accepted->first, 0);
        if (previous)
            previous->close(); // The last upload's connection closes late.
        if (i == 3)
            idle->close();
        sendBlockAndWaitAck(*upload, std::string_view(content).substr(0, 1024));
        sendBlockAndWaitAck(*upload, std::string_view(content).substr(1024));
        upload->sendBlock("FILE_SEND_COMPLETE");
        auto done = awaitAnswer(*handheld);
        ASSERT_TRUE(done) << name;
        EXPECT_EQ(done->first, 1) << name;
        previous = std::move(upload);
    }
    previous->close();
    pumpUntil([&] { return service->uploadConnectionCount() == 0; });
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(readFile(root() / "pda_Upload" / ("file" + std::to_string(i) + ".bin")), contents[i]) << i;
}

TEST_F(TransferTest, DownloadCopyReplacesALinkPlantedInTheDownloadFolder)
{
    writeFile(disk() / "doc.txt", "new copy");
    writeFile(home() / "outside.txt", "keep me");
    std::filesystem::create_symlink(home() / "outside.txt", root() / "pda_Download" / "doc.txt");
    auto answer = request(308, "C:\\doc.txt");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 8, 308, "doc.txt" }));
    EXPECT_FALSE(std::filesystem::is_symlink(root() / "pda_Download" / "doc.txt"));
    EXPECT_EQ(readFile(root() / "pda_Download" / "doc.txt"), "new copy");
    EXPECT_EQ(readFile(home() / "outside.txt"), "keep me");

    std::filesystem::remove(root() / "pda_Download" / "doc.txt");
    std::filesystem::create_symlink(home() / "outside.txt", root() / "pda_Download" / "doc.txt");
    ASSERT_TRUE(request(323, "C:\\doc.txt"));
    EXPECT_EQ(readFile(home() / "outside.txt"), "keep me");
    EXPECT_EQ(readFile(root() / "pda_Download" / "doc.txt"), "new copy");
}

TEST_F(TransferTest, UploadConnectionFromAnotherAddressIsClosed)
{
    auto stranger = ScriptedUpload::connect(service->uploadPort(), "127.0.0.9");
    ASSERT_TRUE(stranger);
    pumpUntil([&] { return stranger->pump(), stranger->isClosed(); });
    EXPECT_TRUE(stranger->isClosed());
    EXPECT_EQ(service->uploadConnectionCount(), 0u);
}

} // namespace
} // namespace pc::service::testing
