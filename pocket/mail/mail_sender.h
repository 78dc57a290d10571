#pragma once

// File: pocket/mail/mail_sender.h
// Sending a mail through the PC ("보내기"): the text "To\nsubject\n
// attachments\nbody" in the link's code page goes out as command 329, at
// once (first 4) when it is at most 900 bytes, else through the file
// "sended_temp" in "sndMailPath" in pieces of at most 900 bytes (first 3,
// then 0 for each "NEXT" answer 330, and 1 with no text at the end). A
// handheld attachment is uploaded first; the PC's 331 then repeats the send.
// The PC's answer 329 names the outcome; after a success with Outlook on the
// PC (mail-client kind 2) the next send waits 60 seconds. Pieces never end
// inside a character. Window thread only.
//
// Nothing typed is lost: the composer empties as the mail leaves, and a mail
// the PC did not take (a failure word, a lost connection, an upload that did
// not start) goes back into the composer, or, when another mail has been
// begun there, into the saved mail "unsent.m"; the message says which, after
// the cause the PC gave beside its word.

#include "platform/event_loop.h"
#include "pocket/mail/mail_composer.h"
#include "pocket/mail/mail_view.h"

#include <fstream>
#include <optional>

namespace proto {
struct PcAnswer;
}

namespace pocket::mypc {
class MyPcUpload;
}

namespace pocket::mail {

// The upload of Part "MyPC" for a handheld attachment (first 1): the PC
// answers 331 when the file has arrived.
class AttachmentUpload {
public:
    virtual ~AttachmentUpload() = default;
    virtual bool uploadForMail(const std::string& handheldPath) = 0;
    // The PC answered 331: the file is in, and the upload is over.
    virtual void arrived() = 0;
};


// The My PC upload carrying a mail's handheld attachment (announced with
// first 1, so that the PC answers 331 when the file is in).
class MyPcMailUpload final : public AttachmentUpload {
public:
    explicit MyPcMailUpload(mypc::MyPcUpload& upload)
        : m_upload(upload)
    {
    }
    bool uploadForMail(const std::string& handheldPath) override;
    void arrived() override;

private:
    mypc::MyPcUpload& m_upload;
};

class MailSender final : public platform::MessageTarget {
public:
    static constexpr int kWaitTimer = 1544;
    static constexpr int kWaitSeconds = 60;

    MailSender(MailContext& context, AttachmentUpload* upload = nullptr);
    ~MailSender() override;

    // "보내기" of the composer.
    void send(MailComposer& composer);
    bool isSending() const { return m_temp.is_open() || m_sentWhole; }
    int waitSecondsLeft() const { return m_waiting ? kWaitSeconds - m_waited : 0; }

    // The connection-lost reset.
    void reset();

    void onTimer(int id) override;

private:
    void sendText();
    void onNext(const proto::PcAnswer& answer);
    void onRepeat(const proto::PcAnswer& answer);
    void onResult(const proto::PcAnswer& answer);
    std::string readPiece();
    void closeTemp();
    // Puts the mail that left back; the sentence that says where it is.
    std::string keepUnsent();

    MailContext& m_context;
    AttachmentUpload* m_upload;
    MailComposer* m_composer = nullptr;
    std::optional<SentMail> m_unconfirmed; // Left the composer; the PC has not taken it yet.
    std::optional<std::string> m_pendingText; // Waits for the upload's 331.
    std::ifstream m_temp;
    bool m_sentWhole = false;
    bool m_waiting = false;
    // A handheld attachment is on its way; the PC's 331 says it is in.
    bool m_uploading = false;
    int m_waited = 0;
};

} // namespace pocket::mail
