#pragma once

// File: pocket/mail/mail_view.h
// The "e-mail" tab as the mail client sees it (list rows, the content view's
// header box, attachment link and title line), the things every mail step
// needs, and where the mail files lie on the handheld: the mail list in
// "\Program Files\Quillon\maillist", each fetched mail in
// "<saveMailPath>\<login id>\<name>\<name>" with its ".ah" and ".body"
// files beside it. Names from the PC become single safe path components.

#include "pocket/mail/mail_files.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class EventLoop;
class HttpFetch;
class Ui;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::mypc {
class TransferRunner;
}

namespace pocket::mail {

class MailView {
public:
    virtual ~MailView() = default;
    virtual void clearList() = 0;
    // Inserts a row at the top of the list.
    virtual void insertRow(const MailListEntry& entry, bool read) = 0;
    virtual void setRowRead(const std::string& name) = 0;
    virtual void removeRow(const std::string& name) = 0;
    // The content view: header box, "첨부파일이 있습니다" link, title line.
    virtual void showMail(const std::string& header, bool hasAttachments, const std::string& title) = 0;
    // The mail name of the selected row; "" when no row is selected.
    virtual std::string selectedMail() const = 0;
    // The list page's progress bar while a mail's content is fetched (0-100).
    virtual void setFetchProgress(int) { }
};

// What the mail steps share; all of it outlives them.
struct MailContext {
    platform::EventLoop& loop;
    platform::Ui& ui;
    link::PcLink& link;
    settings::PdaSettings& settings;
    const device::DeviceRoot& device;
    // The one transfer worker: mail contents and attachments, downloads,
    // saved web pages.
    mypc::TransferRunner& transfer;
    MailView& view;
    // Opens the login dialog (the steps need a logged-in link).
    std::function<void()> openLogin;
};

constexpr const char* kMailTitle = "Quillon";
constexpr const char* kMailListFile = "\\Program Files\\Quillon\\maillist";

// "<saveMailPath>\<login id>" as a handheld path.
std::string mailUserFolder(const settings::PdaSettings& settings);
// "<saveMailPath>\<login id>\<name>\<name>" as a handheld path.
std::string mailFilePath(const settings::PdaSettings& settings, std::string_view name);

// "%s" of a message text filled in.
std::string fillText(std::string_view format, std::string_view value);

// A message followed by the cause the PC sent beside its answer word (which
// account failed a check, why a mail did not go out); the message alone when
// the PC sent none.
std::string withCause(std::string_view message, std::string_view cause);

// A path component for a URL: everything but letters, digits and "-._~"
// percent-encoded.
std::string urlComponent(std::string_view text);

// Reads a whole local file; nothing when it cannot be read.
std::optional<std::string> readLocalFile(const std::filesystem::path& file);
bool writeLocalFile(const std::filesystem::path& file, std::string_view content);

} // namespace pocket::mail
