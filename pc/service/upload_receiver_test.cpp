#include "pc/service/mail_piece_assembler.h"
#include "pc/service/pending_request_stack.h"
#include "pc/service/upload_receiver.h"
#include "pc/service/testing/service_fixture.h"

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
        : folder(ServiceFixture::makeHome())
        , receiver(folder, answers, progress)
    {
    }
    ~UploadReceiverTest() override { std::filesystem::remove_all(folder); }

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
    ASSERT_TRUE(receiver.onReceived(std::string_view("abc")));
    EXPECT_FALSE(receiver.onReceived(std::nullopt));
    EXPECT_FALSE(receiver.isInProgress());
    EXPECT_EQ(progress.closed, 1);
    EXPECT_TRUE(std::filesystem::exists(folder / "part.bin"));
    // A connection closing afterwards does not delete it.
    receiver.onConnectionClosed();
    EXPECT_TRUE(std::filesystem::exists(folder / "part.bin"));
}

TEST_F(UploadReceiverTest, CompleteMarkerWithoutAnnouncementAnswersNothing)
{
    EXPECT_FALSE(receiver.onReceived(std::string_view("FILE_SEND_COMPLETE")));
    EXPECT_TRUE(answers.sent.empty());
}

TEST_F(UploadReceiverTest, NewAnnouncementRestartsTheTotal)
{
    receiver.onRequest(0, "4\na.txt\n");
    (void)receiver.onReceived(std::string_view("abcd"));
    receiver.onRequest(0, "2\nb.txt\n");
    auto ack = receiver.onReceived(std::string_view("xy"));
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
    (void)receiver.onReceived(std::string_view("abc"));
    (void)receiver.onReceived(std::string_view("FILE_SEND_COMPLETE"));
    receiver.onRequest(0, "0xffff_f");
    EXPECT_TRUE(std::filesystem::exists(folder / "done.txt"));

    receiver.onRequest(0, "9\nhalf.txt\n");
    (void)receiver.onReceived(std::string_view("abc"));
    receiver.onRequest(0, "0xffff_f");
    EXPECT_FALSE(std::filesystem::exists(folder / "half.txt"));
    EXPECT_FALSE(receiver.isInProgress());
}

TEST_F(UploadReceiverTest, RefusedAnnouncementEndsTheEarlierUploadAndDeletesNothing)
{
    receiver.onRequest(0, "9\nfirst.txt\n");
    (void)receiver.onReceived(std::string_view("abc"));
    std::filesystem::create_directories(folder / "busy.txt");
    receiver.onRequest(0, "10\nbusy.txt\n");
    EXPECT_EQ(answers.sent.back(), (proto::PcAnswer { 7, 309, "" }));
    EXPECT_FALSE(receiver.isInProgress());
    receiver.onConnectionClosed();
    EXPECT_TRUE(std::filesystem::exists(folder / "first.txt"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "busy.txt"));
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
