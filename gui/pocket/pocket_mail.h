#pragma once

// File: gui/pocket/pocket_mail.h
// The e-mail view of the handheld window: the mail list (control 1134) and
// the content screen (header line and mail body) over pocket::mail's
// MailBox and MailReader, with "REFRESH", "보기", "삭제", "저장", the list
// and content tabs, and the attachments behind "첨부파일이 있습니다".
// GUI thread only.

#include <functional>
#include <memory>
#include <string>

namespace platform {
class EventLoop;
class HttpFetch;
struct LocalTime;
class Ui;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::mail {
class AttachmentUpload;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::viewer {
class BackgroundDownload;
class WebViewer;
}

namespace gui::handheld {

class QtMainDialog;

struct MailViewHooks {
    std::function<void()> openLogin;
    // The content screen (true) or the list (false) of the e-mail view.
    std::function<void(bool content)> showScreen;
    // The options sheet, for the composer when the send folder is missing.
    std::function<void()> openOptions;
};

class PocketMail {
public:
    PocketMail(platform::EventLoop& loop, platform::Ui& ui, ::pocket::link::PcLink& link,
        ::pocket::settings::PdaSettings& settings, const ::pocket::device::DeviceRoot& device,
        ::pocket::viewer::BackgroundDownload& transfer, platform::HttpFetch& fetch,
        ::pocket::viewer::WebViewer& viewer, ::pocket::mail::AttachmentUpload* upload, QtMainDialog& dialog,
        MailViewHooks hooks);
    ~PocketMail();

    // A tap on one of the view's buttons; false for other buttons.
    bool onButton(int id);
    // "메일 첨부전송" of the My PC view: the composer with this file attached.
    void composeWithAttachment(const std::string& path);
    // The mails already on the handheld, listed at start-up.
    void loadStoredMails(const platform::LocalTime& today);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace gui::handheld
