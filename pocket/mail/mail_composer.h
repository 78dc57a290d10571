#pragma once

// File: pocket/mail/mail_composer.h
// The composer window's logic ("메일 쓰기"): To, subject, body and up to five
// attachments (PC paths, and at most one handheld path, which begins with a
// backslash); recipients from the device's contacts (at most 10); saved
// mails ("%s.m" in "sndMailPath") loaded and saved. The window draws the
// fields and passes user actions in. Window thread only.

#include "pocket/mail/mail_files.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::device {
class ContactStore;
class DeviceRoot;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::mail {

// One device contact with an e-mail address (the address book dialog's rows).
struct MailContact {
    std::string name;
    std::string email;
};

class AttachmentChooser;

// The dialogs the composer opens.
class ComposerDialogs {
public:
    virtual ~ComposerDialogs() = default;
    // "파일명 입력": the name typed, or nothing for "취소".
    virtual std::optional<std::string> askFileName() = 0;
    // The options of the settings sheet ("sndMailPath" is missing).
    virtual void openOptions() = 0;
    // The address book ("Contact AddressBook"): the rows the user checked,
    // or nothing when cancelled.
    virtual std::optional<std::vector<MailContact>> chooseContacts(const std::vector<MailContact>&)
    {
        return std::nullopt;
    }
    // The attachment chooser over its tree: the path of the chosen file.
    virtual std::optional<std::string> chooseAttachment(AttachmentChooser&) { return std::nullopt; }
    // "불러오기": one of the saved mails (handheld paths), or nothing.
    virtual std::optional<std::string> chooseSavedMail(const std::vector<std::string>&) { return std::nullopt; }
    // The attachments changed outside the window's own actions (after a
    // log-in that the chooser waited for).
    virtual void attachmentsChanged() { }
};

// The composer window's fields, for the core to read them before it puts
// a mail back, and to redraw them after.
class ComposerFields {
public:
    virtual ~ComposerFields() = default;
    // Takes what is typed into the fields into draft().
    virtual void readFields() = 0;
    // Shows draft() and attachments().
    virtual void showFields() = 0;
};

// A mail that left the composer, kept until the PC has taken it.
struct SentMail {
    MailDraft draft;
    std::vector<std::string> attachments;
};

// The file name dialog's rule: all blanks removed; an empty name shows
// "데이터를 입력해주세요!" and gives nothing (the dialog stays).
std::optional<std::string> acceptFileName(platform::Ui& ui, std::string_view typed);

// The saved mails that "불러오기" offers: the ".m" files in "sndMailPath",
// by handheld path, in name order.
std::vector<std::string> savedMails(const settings::PdaSettings& settings, const device::DeviceRoot& device);

class MailComposer {
public:
    MailComposer(platform::Ui& ui, const settings::PdaSettings& settings, const device::DeviceRoot& device, std::string codePage = "UTF-8");

    // The ANSI code page of saved mails (the PC link's).
    void setCodePage(std::string codePage) { m_codePage = std::move(codePage); }

    MailDraft& draft() { return m_draft; }
    const std::vector<std::string>& attachments() const { return m_attachments; }
    const std::string& loadedPath() const { return m_loadedPath; }

    // The To label's "삭   제".
    void clearRecipients() { m_draft.to.clear(); }
    // The To label's "Contact": false (with the limit message) when To is full.
    bool canPickContacts();
    // The address book's checked rows appended to To; false with a message
    // when nothing is checked or the limit of 10 would be passed.
    bool addContacts(const std::vector<MailContact>& checked);
    // "Contact": the address book over the device's contacts with an e-mail
    // address; the checked rows go into To.
    void pickContacts(ComposerDialogs& dialogs, device::ContactStore& contacts);

    // The attachment label: false (with the message) when 5 are listed.
    bool canAddAttachment();
    // A chosen path; a second handheld file is refused.
    bool addAttachment(const std::string& path);
    void removeAttachment(std::size_t index);

    // "불러오기" of a saved mail (a handheld path).
    bool load(const std::string& handheldPath);
    // The saved mails ("*.m" in "sndMailPath") as handheld paths, by name.
    std::vector<std::string> savedMails() const;
    // "불러오기": the user chooses one of them.
    void loadSaved(ComposerDialogs& dialogs);
    // "저 장": the saved mail's handheld path, or nothing when not saved.
    std::optional<std::string> save(ComposerDialogs& dialogs);
    // "종 료": true when the user confirms.
    bool confirmClose();

    // After sending: the fields are emptied.
    void clear();

    // The window's fields (none: a front end without a window).
    void setFields(ComposerFields* fields) { m_fields = fields; }
    // A mail the PC did not take goes back into the composer, unless another
    // mail has been begun there meanwhile; false then, and nothing changes.
    bool restore(const SentMail& mail);
    // Writes the mail as a saved mail ("unsent.m" in "sndMailPath", else in
    // the program's folder) and returns its handheld path; nothing when it
    // cannot be written.
    std::optional<std::string> saveUnsent(const MailDraft& draft);

private:
    bool confirmEmptyFields();
    std::optional<std::string> chooseTarget(ComposerDialogs& dialogs);
    // Writes `draft`, its fields cut to their limits, to the handheld file `handheldPath`.
    bool writeDraft(const std::string& handheldPath, const MailDraft& draft);

    platform::Ui& m_ui;
    const settings::PdaSettings& m_settings;
    const device::DeviceRoot& m_device;
    std::string m_codePage;
    MailDraft m_draft;
    std::vector<std::string> m_attachments;
    std::string m_loadedPath;
    ComposerFields* m_fields = nullptr;
};

} // namespace pocket::mail
