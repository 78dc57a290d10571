#include "pc/service/mail_piece_assembler.h"
#include "pc/service/pending_request_stack.h"
#include "pc/service/upload_receiver.h"
#include "pc/service/testing/service_fixture.h"

#include <fstream>

namespace pc::service::testing {
namespace {

class RecordingAnswers final : public AnswerSink {
public:
    void sendAnswer(const proto::PcAnswer& answer) override { sent.push_back(answer); }
    std::vector<proto::PcAnswer> sent;
};

class UploadReceiverTest : public ::testing::Test {
protected:
    UploadReceiverTest()
        : temp("quillon-upload")
        , folder(temp.path())
        , receiver(folder, answers, progress)
    {
    }

    platform::TempFolder temp;
    std::filesystem::path folder;
    RecordingAnswers answers;
    RecordingProgress progress;
    UploadReceiver receiver;
};

TEST_F(UploadReceiverTest, TargetThatCannotBeCreatedAnswersSeven)
{
    std::filesystem::create_directories(folder / "busy.txt"); // A folder of that name.
    receiver.onRequest(0, "10\nbusy.txt\nowner");
    ASSERT_EQ(answers.sent.size(), 1u);
    EXPECT_EQ(answers.sent[0], (proto::PcAnswer { 7, 309, "" }));
    EXPECT_FALSE(receiver.isInProgress());
}

TEST_F(UploadReceiverTest, FailedReceiveEndsTheUploadKeepingTheFile)
{
    receiver.onRequest(0, "10\npart.bin\n");
    ASSERT_TRUE(receiver.onReceived(1, std::string_view("abc")).ack);
    EXPECT_FALSE(receiver.onReceived(1, std::nullopt).ack);
    EXPECT_FALSE(receiver.isInProgress());
    EXPECT_EQ(progress.closed, 1);
    EXPECT_TRUE(std::filesystem::exists(folder / "part.bin"));
    // A connection closing afterwards does not delete it.
    receiver.onConnectionClosed(1);
    EXPECT_TRUE(std::filesystem::exists(folder / "part.bin"));
}

TEST_F(UploadReceiverTest, CompleteMarkerWithoutAnnouncementAnswersNothing)
{
    EXPECT_FALSE(receiver.onReceived(1, std::string_view("FILE_SEND_COMPLETE")).ack);
    EXPECT_TRUE(answers.sent.empty());
}

TEST_F(UploadReceiverTest, NewAnnouncementRestartsTheTotal)
{
    receiver.onRequest(0, "4\na.txt\n");
    (void)receiver.onReceived(1, std::string_view("abcd"));
    receiver.onRequest(0, "2\nb.txt\n");
    auto ack = receiver.onReceived(1, std::string_view("xy")).ack;
    ASSERT_TRUE(ack);
    EXPECT_EQ(proto::parseUploadAck(std::string_view(ack->data(), ack->size())), 2);
}

TEST_F(UploadReceiverTest, NamesThatAreNoFileNameAnswerSeven)
{
    for (const char* text : { "10\n\nowner", "10", "10\n.\n", "10\n..\n", "10\nsub\\\n" }) {
        SCOPED_TRACE(text);
        answers.sent.clear();
        receiver.onRequest(0, text);
        ASSERT_EQ(answers.sent.size(), 1u);
        EXPECT_EQ(answers.sent[0], (proto::PcAnswer { 7, 309, "" }));
        EXPECT_FALSE(receiver.isInProgress());
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(UploadReceiverTest, CancelWordDeletesOnlyTheFileOfARunningUpload)
{
    receiver.onRequest(0, "3\ndone.txt\n");
    (void)receiver.onReceived(1, std::string_view("abc"));
    (void)receiver.onReceived(1, std::string_view("FILE_SEND_COMPLETE"));
    receiver.onRequest(0, "0xffff_f");
    EXPECT_TRUE(std::filesystem::exists(folder / "done.txt"));

    receiver.onRequest(0, "9\nhalf.txt\n");
    (void)receiver.onReceived(1, std::string_view("abc"));
    receiver.onRequest(0, "0xffff_f");
    EXPECT_FALSE(std::filesystem::exists(folder / "half.txt"));
    EXPECT_FALSE(receiver.isInProgress());
}

TEST_F(UploadReceiverTest, RefusedAnnouncementEndsTheEarlierUploadAndDeletesNothing)
{
    receiver.onRequest(0, "9\nfirst.txt\n");
    (void)receiver.onReceived(1, std::string_view("abc"));
    std::filesystem::create_directories(folder / "busy.txt");
    receiver.onRequest(0, "10\nbusy.txt\n");
    EXPECT_EQ(answers.sent.back(), (proto::PcAnswer { 7, 309, "" }));
    EXPECT_FALSE(receiver.isInProgress());
    receiver.onConnectionClosed(1);
    EXPECT_TRUE(std::filesystem::exists(folder / "first.txt"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "busy.txt"));
}

TEST_F(UploadReceiverTest, OnlyTheConnectionThatBringsTheDataCanEndTheUpload)
{
    receiver.onRequest(0, "6\nmine.txt\n");
    ASSERT_TRUE(receiver.onReceived(2, std::string_view("abc")).ack);
    // An idle connection, or the previous upload's, closes: nothing happens.
    receiver.onConnectionClosed(1);
    receiver.onConnectionClosed(3);
    EXPECT_TRUE(receiver.isInProgress());
    // Its blocks are neither written nor acknowledged.
    EXPECT_FALSE(receiver.onReceived(1, std::string_view("zzz")).ack);
    auto ack = receiver.onReceived(2, std::string_view("def")).ack;
    ASSERT_TRUE(ack);
    EXPECT_EQ(proto::parseUploadAck(std::string_view(ack->data(), ack->size())), 6);
    (void)receiver.onReceived(2, std::string_view("FILE_SEND_COMPLETE"));
    EXPECT_EQ(answers.sent.back(), (proto::PcAnswer { 1, 309, "" }));
    EXPECT_EQ(ServiceFixture::readFile(folder / "mine.txt"), "abcdef");
}

TEST_F(UploadReceiverTest, EndAnswerTellsWhereTheFileWentInItsDetail)
{
    receiver.setShownFolder("C:\\q\\pda_Upload");
    receiver.onRequest(0, "2\nnote.txt\n");
    ASSERT_TRUE(receiver.onReceived(1, std::string_view("ab")).ack);
    (void)receiver.onReceived(1, std::string_view("FILE_SEND_COMPLETE"));
    EXPECT_EQ(answers.sent.back(), (proto::PcAnswer { 1, 309, "", "C:\\q\\pda_Upload\\note.txt" }));
}

TEST_F(UploadReceiverTest, OwnConnectionClosingAfterTheLastByteCompletesTheUpload)
{
    receiver.onRequest(1, "3\nfull.txt\n");
    ASSERT_TRUE(receiver.onReceived(4, std::string_view("abc")).ack);
    receiver.onConnectionClosed(4);
    EXPECT_FALSE(receiver.isInProgress());
    EXPECT_EQ(answers.sent.back(), (proto::PcAnswer { 0, 331, "" }));
    EXPECT_EQ(ServiceFixture::readFile(folder / "full.txt"), "abc");
}

TEST_F(UploadReceiverTest, BytesBeyondTheAnnouncedSizeEndTheUploadUnacknowledged)
{
    receiver.onRequest(0, "10\nten.bin\n");
    ASSERT_TRUE(receiver.onReceived(1, std::string(8, 'a')).ack);
    auto reply = receiver.onReceived(1, std::string(1024, 'b'));
    EXPECT_FALSE(reply.ack);
    EXPECT_TRUE(reply.closeConnection);
    EXPECT_FALSE(receiver.isInProgress());
    EXPECT_EQ(std::filesystem::file_size(folder / "ten.bin"), 10u);
    // Nothing more is written, and no end answer claims success.
    EXPECT_FALSE(receiver.onReceived(1, std::string(1024, 'c')).ack);
    EXPECT_EQ(std::filesystem::file_size(folder / "ten.bin"), 10u);
    EXPECT_EQ(answers.sent.back(), (proto::PcAnswer { 0, 309, "" }));
}

TEST_F(UploadReceiverTest, AnnouncedNameReplacesALinkInsteadOfWritingThroughIt)
{
    std::filesystem::path outside = folder / "outside";
    std::filesystem::create_directories(outside);
    std::ofstream(outside / "victim.txt") << "keep";
    std::filesystem::create_symlink(outside / "victim.txt", folder / "link.txt");
    std::filesystem::create_hard_link(outside / "victim.txt", folder / "hard.txt");
    for (const char* name : { "link.txt", "hard.txt" }) {
        receiver.onRequest(0, std::string("3\n") + name + "\n");
        (void)receiver.onReceived(1, std::string_view("new"));
        (void)receiver.onReceived(1, std::string_view("FILE_SEND_COMPLETE"));
        EXPECT_FALSE(std::filesystem::is_symlink(folder / name));
        EXPECT_EQ(ServiceFixture::readFile(folder / name), "new");
    }
    EXPECT_EQ(ServiceFixture::readFile(outside / "victim.txt"), "keep");
}

TEST(MailPieceAssembler, FollowsThePieceNumbers)
{
    MailPieceAssembler assembler;
    struct Step {
        int which;
        const char* text;
        std::optional<int> nextLength;
        std::optional<std::string> mail;
    };
    const Step steps[] = {
        { 4, "only", std::nullopt, "only" },
        { 3, "ab", 2, std::nullopt },
        { 7, "ignored", std::nullopt, std::nullopt },
        { 0, "cd", 4, std::nullopt },
        { 1, "ef", std::nullopt, "abcdef" },
        { 0, "gh", 2, std::nullopt }, // A middle piece after the end starts over empty.
        { 3, "new", 3, std::nullopt },
        { 1, "", std::nullopt, "new" },
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        auto outcome = assembler.onPiece(step.which, step.text);
        EXPECT_EQ(outcome.answer.has_value(), step.nextLength.has_value());
        if (outcome.answer && step.nextLength) {
            EXPECT_EQ(*outcome.answer, (proto::PcAnswer { *step.nextLength, 330, "NEXT" }));
        }
        EXPECT_EQ(outcome.mail, step.mail);
    }
    assembler.onPiece(3, std::string(MailPieceAssembler::kMaxMailBytes + 5, 'm'));
    EXPECT_EQ(assembler.size(), MailPieceAssembler::kMaxMailBytes);
}

TEST(PendingRequestStack, PopsNewestFirstAndDropsBeyondCapacity)
{
    PendingRequestStack stack;
    for (std::size_t i = 0; i < PendingRequestStack::kCapacity; ++i)
        ASSERT_TRUE(stack.push({ static_cast<int>(i), 306, "" }));
    EXPECT_FALSE(stack.push({ 999, 306, "" }));
    EXPECT_EQ(stack.pop()->first, 255);
    EXPECT_EQ(stack.size(), 255u);
}

} // namespace
} // namespace pc::service::testing
