#pragma once

// File: pocket/mail/mail_attachment_tree.h
// The PC side of the composer's attachment chooser: expanding a PC folder
// sends command 302 in its folder-listing mode ("1" + path + "\"), numbered
// with the attachment tree's request number and guarded by a 60-second
// time-out; the answer 320 carries the list inline (".") or names the file
// "serverfile", fetched into "\Program Files\Quillon\mailmypcFolderlist".
// Window thread only.

#include "pocket/link/pc_folder_request.h"
#include "pocket/mail/mail_view.h"

#include <functional>
#include <string>
#include <string_view>

namespace platform {
class HttpFetch;
}

namespace proto {
struct PcAnswer;
}

namespace pocket::mail {

class MailAttachmentTree {
public:
    MailAttachmentTree(MailContext& context, platform::HttpFetch& fetch, link::FolderListView& view);

    // False when nothing was sent (not connected, or a listing still waits).
    bool expand(std::string_view pcPath);
    bool isWaiting() const;
    // Runs a step of the chooser that needs the log-in: at once when logged
    // in, else after the log-in that the login dialog makes.
    void withLogin(std::function<void()> step);

private:
    void onAnswer(const proto::PcAnswer& answer);
    void onTimeout();

    MailContext& m_context;
    platform::HttpFetch& m_fetch;
    link::FolderListView& m_view;
    std::string m_path;
};

} // namespace pocket::mail
