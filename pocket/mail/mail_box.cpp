#include "pocket/mail/mail_box.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"
#include "proto/pc_answer.h"

#include <algorithm>
#include <filesystem>

namespace pocket::mail {

namespace {

constexpr const char* kCheckRunningText = "메일 체크중입니다. 잠시만 기다려주세요!";
constexpr const char* kCheckQuestion = "새메일을 읽어옵니다.";
constexpr const char* kCheckTimeoutText = "[MAIL]메일 체크 - TIME OUT(timeout val: 2분) \n다시 요청해주십시오.";
constexpr const char* kLateAnswerQuestion = "메일 체크가 일정시간 이상 걸려 자동취소 되었으나, 현재 메일체크 완료 응답이 "
                                            "왔습니다.\n새메일을 보시겠습니까?";
constexpr const char* kSuccessAnyText = "POP3 서버설정이 잘못되어 접근 실패한 경우가 있습니다.\nPC환경설정에 정확한 "
                                        "POP3,ID,PASS를 입력하셨는지 확인해주십시오.\n실패한 서버를 제외하고 체크한 "
                                        "결과 새메일이 있습니다.";
constexpr const char* kListFetchFailedText = "메일리스트를 받는데 실패하였습니다. \n다시 시도해주세요!";
constexpr const char* kDeleteQuestion = "서버에서 영구삭제 됩니다.";
constexpr std::size_t kDeleteNameBytes = 99;
constexpr std::size_t kDeleteAccountBytes = 49;

struct CheckWord {
    std::string_view word;
    const char* text;
    platform::Icon icon;
};

// The answers that only show a message; all but "serveranyfail" end the check.
constexpr CheckWord kCheckWords[] = {
    { "fail", "메일리스트를 작성하는데 실패하였습니다.", platform::Icon::Warning },
    { "nothing", "새로온 메일이 없습니다", platform::Icon::Information },
    { "serveranyfail",
        "PC프로그램에 등록되지 않은 메일서버가 있습니다.\n등록되지 않은 메일서버를 제외하고 메일을 체크하고 "
        "있습니다.\n잠시만 기다려주세요.",
        platform::Icon::Information },
    { "serverallfail", "PC프로그램에 등록되지 않은 메일서버가 있습니다.\n메일서버 설정을 정확히 해주십시오.",
        platform::Icon::Warning },
    { "server fail",
        "환경설정에 등록된 메일 서버가 PC프로그램에 등록되어 있지 않습니다.\n메일서버 주소가 정확한지 "
        "확인해주십시오.",
        platform::Icon::Warning },
    { "version fail", "PC 아웃룩의 버전은 PDA 메일 체크 기능이 지원되지 않습니다.", platform::Icon::Warning },
    { "nothingbutanyfail",
        "새로온 메일이 없습니다.\nPOP3서버 설정이 잘못된 경우가 있으므로 pc program에 POP3설정이 정확한지 확인해 "
        "주십시오.",
        platform::Icon::Warning },
};

} // namespace

MailBox::MailBox(MailContext& context, platform::HttpFetch& fetch)
    : m_context(context)
    , m_fetch(fetch)
{
    m_context.link.setHandler(proto::kCodeCheckMail, [this](const proto::PcAnswer& answer) { onAnswer(answer); });
}

MailBox::~MailBox()
{
    stopTimer();
}

void MailBox::check()
{
    auto& ui = m_context.ui;
    if (m_checking) {
        ui.messageBox(kMailTitle, kCheckRunningText, platform::Icon::Information);
        return;
    }
    if (!m_context.link.isLoggedIn()) {
        if (m_context.openLogin)
            m_context.openLogin();
        return;
    }
    if (ui.question(kMailTitle, kCheckQuestion, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    if (!m_context.link.sendRequest(0, proto::kCodeCheckMail, ""))
        return;
    m_checking = true;
    m_timedOut = false;
    stopTimer();
    m_timer = m_context.loop.setOneShot(this, kCheckTimeoutMs, kMsgCheckTimeout);
}

void MailBox::stopTimer()
{
    if (m_timer != 0)
        m_context.loop.cancelOneShot(m_timer);
    m_timer = 0;
}

void MailBox::onTimeout()
{
    m_timer = 0;
    if (!m_checking)
        return;
    m_checking = false;
    m_timedOut = true;
    m_context.ui.messageBox(kMailTitle, kCheckTimeoutText, platform::Icon::Warning);
}

void MailBox::onAnswer(const proto::PcAnswer& answer)
{
    auto& ui = m_context.ui;
    if (m_timedOut) {
        m_timedOut = false;
        if (ui.question(kMailTitle, kLateAnswerQuestion, platform::Buttons::OkCancel) != platform::Answer::Ok)
            return;
    }
    const std::string& text = answer.text;
    if (text != "serveranyfail") {
        m_checking = false;
        stopTimer();
    }
    // The PC names the failed accounts and their causes beside the word.
    for (const auto& word : kCheckWords) {
        if (text == word.word) {
            ui.messageBox(kMailTitle, withCause(word.text, answer.detail), word.icon);
            return;
        }
    }
    if (text == "success") {
        fetchAndShowList();
    } else if (text == "successany") {
        ui.messageBox(kMailTitle, withCause(kSuccessAnyText, answer.detail), platform::Icon::Warning);
        fetchAndShowList();
    } else if (text.starts_with(".")) {
        writeAndShowList(std::string_view(text).substr(1));
    } else if (text.starts_with(",")) {
        ui.messageBox(kMailTitle, withCause(kSuccessAnyText, answer.detail), platform::Icon::Warning);
        writeAndShowList(std::string_view(text).substr(1));
    }
}

void MailBox::fetchAndShowList()
{
    auto& settings = m_context.settings;
    std::string url = link::pcFileUrl(settings.serverIp, settings.pcWebPort, "pda_Mail/MailList");
    if (!link::fetchToFile(m_fetch, m_context.ui, url, m_context.device.toLocal(kMailListFile))) {
        // A list that did not arrive is said so, rather than showing the old one.
        m_context.ui.messageBox(kMailTitle, kListFetchFailedText, platform::Icon::Warning);
        return;
    }
    showList();
}

void MailBox::writeAndShowList(std::string_view list)
{
    // The answer arrived as UTF-8; the file holds the list as the PC wrote it.
    if (!writeLocalFile(m_context.device.toLocal(kMailListFile), platform::fromUtf8(list, m_context.link.codePage()))) {
        m_context.ui.messageBox(kMailTitle, kListFetchFailedText, platform::Icon::Warning);
        return;
    }
    showList();
}

void MailBox::showList()
{
    auto content = readLocalFile(m_context.device.toLocal(kMailListFile)).value_or("");
    m_context.view.clearList();
    m_rows.clear();
    for (const auto& entry : parseMailList(platform::toUtf8(content, m_context.link.codePage())))
        insertRow(entry);
}

void MailBox::insertRow(const MailListEntry& entry)
{
    std::error_code ignored;
    bool read = std::filesystem::exists(m_context.device.toLocal(mailFilePath(m_context.settings, entry.name)), ignored);
    m_rows.insert(m_rows.begin(), entry);
    m_context.view.insertRow(entry, read);
}

void MailBox::deleteMail(const MailListEntry& entry)
{
    if (!m_context.link.isLoggedIn()) {
        if (m_context.openLogin)
            m_context.openLogin();
        return;
    }
    if (m_context.ui.question(kMailTitle, kDeleteQuestion, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    const auto& codePage = m_context.link.codePage();
    std::string text = std::string(cutAnsi(platform::fromUtf8(entry.name, codePage), kDeleteNameBytes, codePage)) + "\n"
        + std::string(cutAnsi(platform::fromUtf8(entry.account, codePage), kDeleteAccountBytes, codePage));
    // The local copy goes only once the PC has been told.
    if (!m_context.link.sendAnsiRequest(0, proto::kCodeDeleteMail, text))
        return;
    auto mailFile = m_context.device.toLocal(mailFilePath(m_context.settings, entry.name));
    std::error_code ignored;
    std::filesystem::remove_all(mailFile.parent_path(), ignored);
    // `entry` may be a row of the list itself: erasing moves the next row
    // into its place, so the view is told the name taken before.
    const MailListEntry removed = entry;
    std::erase(m_rows, removed);
    m_context.view.removeRow(removed.name);
}

void MailBox::loadStoredMails(const platform::LocalTime& today)
{
    const auto& settings = m_context.settings;
    if (settings.saveMailPath.empty() || settings.myId.empty())
        return;
    auto folder = m_context.device.toLocal(mailUserFolder(settings));
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (it->is_directory(error) && std::filesystem::is_regular_file(it->path() / name, error))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        auto content = readLocalFile(folder / name / name);
        if (!content)
            continue;
        auto mail = parseMailFile(platform::toUtf8(*content, m_context.link.codePage()));
        if (!isWithinViewPeriod(mail.time, settings.mailViewPeriod, today))
            continue;
        MailListEntry entry { mail.title, mail.sender, mail.pop3, name };
        m_rows.insert(m_rows.begin(), entry);
        m_context.view.insertRow(entry, true);
    }
}

void MailBox::reset()
{
    m_checking = false;
    m_timedOut = false;
    stopTimer();
}

platform::LResult MailBox::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg == kMsgCheckTimeout)
        onTimeout();
    return 0;
}

} // namespace pocket::mail
