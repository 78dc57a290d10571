#include "pocket/mail/mail_attachment_tree.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"
#include "proto/pc_answer.h"

namespace pocket::mail {

namespace {

constexpr const char* kListFile = "\\Program Files\\Quillon\\mailmypcFolderlist";
constexpr const char* kFolderMode = "1";
constexpr const char* kFetchFailedText = "디렉토리 데이터를 받는데 실패하였습니다. \n다시 시도해주세요!";
constexpr const char* kEmptyFolderText = "NOTHING ITEM";
// The timer runs 60 seconds; the text has always said 30.
constexpr const char* kTimeoutText = "[MAIL]메일 내용보기 - TIME OUT(timeout val: 30초) \n다시 요청해주십시오.";

} // namespace

MailAttachmentTree::MailAttachmentTree(MailContext& context, platform::HttpFetch& fetch, link::FolderListView& view)
    : m_context(context)
    , m_fetch(fetch)
    , m_view(view)
{
    m_context.link.setHandler(proto::kCodeListViewableMode1, [this](const proto::PcAnswer& answer) { onAnswer(answer); });
    m_context.link.setAttachmentTimeoutHandler([this] { onTimeout(); });
}

bool MailAttachmentTree::isWaiting() const
{
    return m_context.link.attachmentRequest().isWaiting();
}

void MailAttachmentTree::withLogin(std::function<void()> step)
{
    if (m_context.link.isLoggedIn()) {
        step();
        return;
    }
    m_context.link.setAttachmentWaiting(std::move(step));
    if (m_context.openLogin)
        m_context.openLogin();
}

bool MailAttachmentTree::expand(std::string_view pcPath)
{
    if (isWaiting())
        return false;
    m_path = std::string(pcPath);
    while (!m_path.empty() && m_path.back() == '\\')
        m_path.pop_back();
    auto& number = m_context.link.attachmentRequest();
    if (!m_context.link.sendRequest(number.current(), proto::kCodeListViewable, kFolderMode + m_path + "\\"))
        return false;
    number.startTimer();
    return true;
}

void MailAttachmentTree::onAnswer(const proto::PcAnswer& answer)
{
    if (!m_context.link.attachmentRequest().acceptAnswer(answer.first))
        return;
    auto& ui = m_context.ui;
    auto listFile = m_context.device.toLocal(kListFile);
    if (answer.text.starts_with(".")) {
        std::string list = platform::fromUtf8(std::string_view(answer.text).substr(1), m_context.link.codePage());
        if (!writeLocalFile(listFile, list)) {
            m_view.restoreFolder(m_path);
            ui.messageBox(kMailTitle, kFetchFailedText, platform::Icon::Information);
            return;
        }
    } else {
        const auto& settings = m_context.settings;
        if (!link::fetchToFile(m_fetch, ui, link::pcFileUrl(settings.serverIp, settings.pcWebPort, "serverfile"), listFile)) {
            m_view.restoreFolder(m_path);
            ui.messageBox(kMailTitle, kFetchFailedText, platform::Icon::Information);
            return;
        }
    }
    std::string content = platform::toUtf8(readLocalFile(listFile).value_or(""), m_context.link.codePage());
    if (content == "\n") {
        m_view.showFolder(m_path, {});
        ui.messageBox(kMailTitle, kEmptyFolderText, platform::Icon::Information);
        return;
    }
    m_view.showFolder(m_path, link::parseFolderList(content));
}

void MailAttachmentTree::onTimeout()
{
    m_view.restoreFolder(m_path);
    m_context.ui.messageBox(kMailTitle, kTimeoutText, platform::Icon::Warning);
}

} // namespace pocket::mail
