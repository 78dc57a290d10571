#include "pocket/mail/mail_composer.h"

#include "platform/codepage.h"
#include "platform/safe_name.h"
#include "platform/ui.h"
#include "pocket/device/contact_store.h"
#include "pocket/device/device_root.h"
#include "pocket/mail/mail_view.h"
#include "pocket/settings/pda_settings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace pocket::mail {

namespace {

constexpr const char* kTooManyRecipientsText = "받는 사람은 10명까지 가능합니다.";
constexpr const char* kNothingCheckedText = "받을 사람을 선택해주세요!";
constexpr const char* kOverLimitText = "최대 10명까지 동시에 보내실 수 있습니다.";
constexpr const char* kTooManyAttachmentsText = "첨부파일은 5개까지 보내실 수 있습니다.";
constexpr const char* kOneHandheldFileText = "PDA파일은 하나만 첨부하실 수 있습니다.";
constexpr const char* kDraftTooLargeText = "첨부파일을 제외한 5k까지만 보내실 수 있습니다.\n5k 이상의 데이터는 무시됩니다.";
constexpr const char* kBadDraftText = "잘못된 파일 형식입니다.";
constexpr const char* kUnreadableDraftText = "파일이 없거나 사용중입니다.";
constexpr const char* kNoSendFolderQuestion = "설정에 보낼메일폴더 설정이 되어 있지 않습니다.\n지금 설정하시겠습니까?";
constexpr const char* kEmptyToQuestion = "받을 사람의 데이터가 없습니다.\n저장하시겠습니까?";
constexpr const char* kEmptySubjectQuestion = "제목이 없습니다.\n저장하시겠습니까?";
constexpr const char* kEmptyBodyQuestion = "내용이 없습니다.\n저장하시겠습니까?";
constexpr const char* kModifyQuestion = "%s\nmodify?";
constexpr const char* kOverwriteQuestion = "같은 이름을 가진 파일이 존재합니다.\n덮어 쓰시겠습니까?";
constexpr const char* kSavedText = "%s\n에 저장 되었습니다.";
constexpr const char* kSaveFailedText = "파일이 없거나 사용중입니다.";
constexpr const char* kCloseQuestion = "종료하시겠습니까?";
constexpr const char* kEmptyNameText = "데이터를 입력해주세요!";
constexpr const char* kProgramFolder = "\\Program Files\\Quillon";
constexpr const char* kUnsentName = "unsent.m";

bool isHandheldAttachment(const std::string& path)
{
    return !path.empty() && path.front() == '\\';
}

} // namespace

std::vector<std::string> savedMails(const settings::PdaSettings& settings, const device::DeviceRoot& device)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(device.toLocal(settings.sndMailPath), error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 2 && name.ends_with(".m") && it->is_regular_file(error))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    for (const auto& name : names)
        paths.push_back(settings.sndMailPath + "\\" + name);
    return paths;
}

std::optional<std::string> acceptFileName(platform::Ui& ui, std::string_view typed)
{
    std::string name(typed);
    std::erase(name, ' ');
    if (name.empty()) {
        ui.messageBox(kMailTitle, kEmptyNameText, platform::Icon::Warning);
        return std::nullopt;
    }
    return name;
}

MailComposer::MailComposer(platform::Ui& ui, const settings::PdaSettings& settings, const device::DeviceRoot& device, std::string codePage)
    : m_ui(ui)
    , m_settings(settings)
    , m_device(device)
    , m_codePage(std::move(codePage))
{
}

bool MailComposer::canPickContacts()
{
    if (countRecipients(m_draft.to) >= kMaxRecipients) {
        m_ui.messageBox(kMailTitle, kTooManyRecipientsText, platform::Icon::Information);
        return false;
    }
    return true;
}

bool MailComposer::addContacts(const std::vector<MailContact>& checked)
{
    if (checked.empty()) {
        m_ui.messageBox(kMailTitle, kNothingCheckedText, platform::Icon::Warning);
        return false;
    }
    if (countRecipients(m_draft.to) + checked.size() > kMaxRecipients) {
        m_ui.messageBox(kMailTitle, kOverLimitText, platform::Icon::Information);
        return false;
    }
    for (const auto& contact : checked) {
        if (!m_draft.to.empty())
            m_draft.to += ",";
        m_draft.to += contact.email;
    }
    return true;
}

void MailComposer::pickContacts(ComposerDialogs& dialogs, device::ContactStore& contacts)
{
    if (!canPickContacts())
        return;
    auto rows = contacts.listContacts(); // The store reports its own failures.
    if (!rows)
        return;
    std::vector<MailContact> book;
    for (const auto& row : *rows)
        book.push_back({ row.name, row.email });
    if (auto checked = dialogs.chooseContacts(book))
        (void)addContacts(*checked);
}

bool MailComposer::canAddAttachment()
{
    if (m_attachments.size() >= kMaxAttachments) {
        m_ui.messageBox(kMailTitle, kTooManyAttachmentsText, platform::Icon::Information);
        return false;
    }
    return true;
}

bool MailComposer::addAttachment(const std::string& path)
{
    if (!canAddAttachment())
        return false;
    if (isHandheldAttachment(path) && std::any_of(m_attachments.begin(), m_attachments.end(), isHandheldAttachment)) {
        m_ui.messageBox(kMailTitle, kOneHandheldFileText, platform::Icon::Information);
        return false;
    }
    m_attachments.push_back(path);
    return true;
}

void MailComposer::removeAttachment(std::size_t index)
{
    if (index < m_attachments.size())
        m_attachments.erase(m_attachments.begin() + static_cast<std::ptrdiff_t>(index));
}

bool MailComposer::load(const std::string& handheldPath)
{
    std::ifstream in(m_device.toLocal(handheldPath), std::ios::binary);
    if (!in) {
        m_ui.messageBox(kMailTitle, kUnreadableDraftText, platform::Icon::Warning);
        return false;
    }
    std::string text(kDraftReadBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kDraftReadBytes) {
        m_ui.messageBox(kMailTitle, kDraftTooLargeText, platform::Icon::Information);
        text.resize(kDraftReadBytes);
    }
    auto draft = parseMailDraft(platform::toUtf8(text, m_codePage));
    if (!draft) {
        m_ui.messageBox(kMailTitle, kBadDraftText, platform::Icon::Warning);
        return false;
    }
    m_draft = *draft;
    m_loadedPath = handheldPath;
    return true;
}

std::vector<std::string> MailComposer::savedMails() const
{
    std::vector<std::string> mails;
    if (m_settings.sndMailPath.empty())
        return mails;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_device.toLocal(m_settings.sndMailPath), error)) {
        const auto name = entry.path().filename().string();
        if (entry.is_regular_file(error) && name.size() > 2 && name.ends_with(".m"))
            mails.push_back(m_settings.sndMailPath + "\\" + name);
    }
    std::sort(mails.begin(), mails.end());
    return mails;
}

void MailComposer::loadSaved(ComposerDialogs& dialogs)
{
    if (auto chosen = dialogs.chooseSavedMail(savedMails()))
        (void)load(*chosen);
}

bool MailComposer::confirmEmptyFields()
{
    const std::pair<const std::string*, const char*> checks[] = { { &m_draft.to, kEmptyToQuestion },
        { &m_draft.subject, kEmptySubjectQuestion }, { &m_draft.body, kEmptyBodyQuestion } };
    for (const auto& [field, question] : checks) {
        if (field->empty() && m_ui.question(kMailTitle, question, platform::Buttons::OkCancel) != platform::Answer::Ok)
            return false;
    }
    return true;
}

bool MailComposer::writeDraft(const std::string& handheldPath, const MailDraft& draft)
{
    auto local = m_device.toLocal(handheldPath);
    std::error_code ignored;
    std::filesystem::create_directories(local.parent_path(), ignored);
    MailDraft cut { std::string(platform::cutCodePoints(draft.to, kMailToChars)),
        std::string(platform::cutCodePoints(draft.subject, kMailSubjectChars)),
        std::string(platform::cutCodePoints(draft.body, kMailBodyChars)) };
    return writeLocalFile(local, platform::fromUtf8(formatMailDraft(cut), m_codePage));
}

std::optional<std::string> MailComposer::chooseTarget(ComposerDialogs& dialogs)
{
    if (!m_loadedPath.empty()
        && m_ui.question(kMailTitle, fillText(kModifyQuestion, m_loadedPath), platform::Buttons::OkCancel)
            == platform::Answer::Ok)
        return m_loadedPath;
    for (;;) {
        auto typed = dialogs.askFileName();
        if (!typed)
            return std::nullopt;
        auto name = acceptFileName(m_ui, *typed);
        if (!name)
            continue;
        std::string path = m_settings.sndMailPath + "\\" + platform::safeFileName(*name, platform::kMaxFileNameBytes - 2) + ".m";
        std::error_code ignored;
        if (std::filesystem::exists(m_device.toLocal(path), ignored)
            && m_ui.question(kMailTitle, kOverwriteQuestion, platform::Buttons::OkCancel) != platform::Answer::Ok)
            continue;
        return path;
    }
}

std::optional<std::string> MailComposer::save(ComposerDialogs& dialogs)
{
    if (m_settings.sndMailPath.empty()) {
        if (m_ui.question(kMailTitle, kNoSendFolderQuestion, platform::Buttons::OkCancel) == platform::Answer::Ok)
            dialogs.openOptions();
        return std::nullopt;
    }
    if (!confirmEmptyFields())
        return std::nullopt;
    auto path = chooseTarget(dialogs);
    if (!path)
        return std::nullopt;
    if (!writeDraft(*path, m_draft)) {
        m_ui.messageBox(kMailTitle, kSaveFailedText, platform::Icon::Warning);
        return std::nullopt;
    }
    m_loadedPath = *path;
    m_ui.messageBox(kMailTitle, fillText(kSavedText, *path), platform::Icon::Information);
    return path;
}

bool MailComposer::confirmClose()
{
    return m_ui.question(kMailTitle, kCloseQuestion, platform::Buttons::OkCancel) == platform::Answer::Ok;
}

void MailComposer::clear()
{
    m_draft = {};
    m_attachments.clear();
}

bool MailComposer::restore(const SentMail& mail)
{
    if (m_fields)
        m_fields->readFields();
    if (m_draft != MailDraft {} || !m_attachments.empty())
        return false;
    m_draft = mail.draft;
    m_attachments = mail.attachments;
    if (m_fields)
        m_fields->showFields();
    return true;
}

std::optional<std::string> MailComposer::saveUnsent(const MailDraft& draft)
{
    std::string folder = m_settings.sndMailPath.empty() ? std::string(kProgramFolder) : m_settings.sndMailPath;
    std::string path = folder + "\\" + kUnsentName;
    if (!writeDraft(path, draft))
        return std::nullopt;
    return path;
}

} // namespace pocket::mail
