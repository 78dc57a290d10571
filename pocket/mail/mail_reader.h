#pragma once

// File: pocket/mail/mail_reader.h
// Reading one mail: "보기" asks the PC to prepare it (command 305, numbered,
// 30-second time-out); the answer carries the mail inline or names its file,
// which is fetched from the PC's web server on the transfer worker. Showing
// it writes the ".ah" (attachment list) and ".body" (HTML body) files beside
// the mail file, fills the header box and opens the body in the mail-body
// view. Attachments are saved through the PC or opened after the PC
// converts them; "저장" stores the mail into the device Inbox.
// Window thread only.

#include "platform/event_loop.h"
#include "pocket/link/request_number.h"
#include "pocket/mail/mail_view.h"
#include "pocket/mypc/mypc_transfer.h"

#include <optional>
#include <string>
#include <vector>

namespace proto {
struct PcAnswer;
}

namespace pocket::viewer {
class WebViewer;
}

namespace pocket::mail {

class MailReader final : public platform::MessageTarget {
public:
    static constexpr int kMsgReadTimeout = 1543;
    static constexpr std::chrono::milliseconds kReadTimeout { 30000 };

    MailReader(MailContext& context, viewer::WebViewer& viewer);

    // "보기" on the selected row (nothing selected: null).
    void read(const MailListEntry* selected);
    bool isFetching() const { return m_fetching; }

    // Shows a stored mail; false when its file is missing.
    bool showMail(const std::string& name);
    // The mail on show (empty before the first).
    const std::string& currentMail() const { return m_current; }
    const MailFile& currentContent() const { return m_content; }

    // The tap on "첨부파일이 있습니다": the attachment names, in order.
    std::vector<std::string> attachments();
    // "첨부 저장" and "바로 열기" of one attachment of the mail on show.
    void saveAttachment(const std::string& attachment);
    void openAttachment(const std::string& attachment);
    // "저장": the mail on show into the device Inbox.
    void storeInInbox();

    // The connection-lost reset.
    void reset();

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    // The list page's progress bar, as the transfer worker draws a dialog.
    class ListProgress final : public mypc::ProgressView {
    public:
        explicit ListProgress(MailView& view)
            : m_view(view)
        {
        }
        void openProgress(const std::string&) override { }
        void setTotalLine(const std::string&) override { }
        void setDoneLine(const std::string&) override { }
        void setBar(int percent) override;
        void closeProgress() override;

    private:
        MailView& m_view;
    };

    void onAnswer(const proto::PcAnswer& answer);
    void fetchMail(const std::string& name);
    void writeInlineMail(const std::string& name, std::string_view content);
    bool askToCancelTransfer(const char* question);
    std::filesystem::path localMailFile(const std::string& name) const;

    MailContext& m_context;
    viewer::WebViewer& m_viewer;
    ListProgress m_listProgress;
    link::RequestNumber m_number;
    bool m_fetching = false;
    std::string m_current;
    MailFile m_content;
};

} // namespace pocket::mail
