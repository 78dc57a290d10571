#include "pocket/viewer/web_viewer.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/pc_link.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/viewer/viewer_address.h"
#include "proto/command_codes.h"

#include <filesystem>

namespace pocket::viewer {

namespace {

constexpr const char* kTitle = "Quillon";
constexpr const char* kViewFailedText = "QueryControl Failed";
constexpr const char* kConvertFailedText = "파일변환에 실패하였습니다";
constexpr const char* kConvertBusyText = "이전에 요청한 파일 변환 중입니다.";
constexpr const char* kBadAddressText = "잘못된 주소입니다.";
constexpr const char* kSaveQuestion = "%s를\n저장하시겠습니까?";
constexpr const char* kRunningQuestion = "현재 [%s]을 하는 중입니다. 취소하시겠습니까?";
constexpr std::size_t kPcPathBytes = 255;
constexpr std::size_t kRequestTextBytes = 1023;

std::string fill(std::string_view format, std::string_view value)
{
    std::string text(format);
    std::size_t place = text.find("%s");
    if (place != std::string::npos)
        text.replace(place, 2, value);
    return text;
}

} // namespace

bool sendCutRequest(link::PcLink& link, int first, int code, std::string_view text, std::size_t maxBytes)
{
    std::string ansi = platform::fromUtf8(text, link.codePage());
    return link.sendAnsiRequest(first, code, platform::cutAnsi(ansi, maxBytes, link.codePage()));
}

void navigateView(HtmlView& view, const std::string& url)
{
    view.stop();
    view.navigate(url);
}

WebViewer::WebViewer(link::PcLink& link, const settings::PdaSettings& settings, const device::DeviceRoot& device, platform::Ui& ui,
    mypc::TransferRunner& transfer, WebTabView& tab, HtmlView& web, HtmlView& mail, platform::HttpFetch& fetch)
    : m_link(link)
    , m_settings(settings)
    , m_device(device)
    , m_ui(ui)
    , m_transfer(transfer)
    , m_tab(tab)
    , m_web(web)
    , m_mail(mail)
    , m_fetch(fetch)
{
    m_link.setHandler(proto::kCodeConvertDocument, [this](const proto::PcAnswer& answer) { onDocumentAnswer(answer); });
    m_link.setHandler(proto::kCodeViewPage, [this](const proto::PcAnswer& answer) { onPageAnswer(answer); });
}

void WebViewer::reportViewFailed(platform::Ui& ui)
{
    ui.messageBox(kTitle, kViewFailedText, platform::Icon::Warning);
}

void WebViewer::openStartPage()
{
    showPage(kStartPage, false, true);
}

void WebViewer::show(std::string_view url, bool addToAddressBox)
{
    showPage(url, addToAddressBox, true);
}

void WebViewer::showPage(std::string_view url, bool addToAddressBox, bool remember)
{
    m_mode = Mode::Page;
    if (remember) {
        // A page opened after going back replaces the pages ahead of it.
        if (!m_history.empty())
            m_history.resize(m_historyIndex + 1);
        if (m_history.empty() || m_history.back() != url)
            m_history.emplace_back(url);
        m_historyIndex = m_history.size() - 1;
    }
    if (addToAddressBox)
        m_tab.addAddress(displayAddress(url, m_settings.serverIp, m_settings.myId));
    navigateView(m_web, fetchAddress(url, m_settings.myId, m_settings.serverIp, m_settings.pcWebPort));
}

void WebViewer::showDocument(std::string_view url)
{
    m_mode = Mode::Document;
    m_document = std::string(url);
    m_tab.addAddress(displayAddress(url, m_settings.serverIp, m_settings.myId));
    navigateView(m_web, fetchAddress(url, m_settings.myId, m_settings.serverIp, m_settings.pcWebPort));
}

void WebViewer::go()
{
    std::string text = std::string(platform::cutCodePoints(m_tab.addressText(), kAddressChars));
    if (text.empty()) {
        m_tab.focusAddress();
        return;
    }
    show(text, true);
}

void WebViewer::chooseAddress(std::string_view address)
{
    show(address, false);
}

void WebViewer::stop()
{
    m_web.stop();
}

void WebViewer::refresh()
{
    m_web.refresh();
}

void WebViewer::home()
{
    m_tab.setAddressText(kStartPage);
    showPage(kStartPage, false, true);
}

bool WebViewer::viewPcFile(std::string_view pcPath)
{
    if (!sendCutRequest(m_link, kFirstDocument, proto::kCodeConvertDocument, pcPath, kPcPathBytes))
        return false;
    m_tab.setWaitCursor(true);
    return true;
}

bool WebViewer::viewMailAttachment(std::string_view mailName, std::string_view attachment)
{
    std::string path = "pda_Mail/" + m_settings.myId + "/" + std::string(mailName) + "/" + std::string(attachment);
    return sendCutRequest(m_link, kFirstAttachment, proto::kCodeConvertDocument, path, kRequestTextBytes);
}

bool WebViewer::viewPage(std::string_view address)
{
    if (!sendCutRequest(m_link, 0, proto::kCodeViewPage, address, kRequestTextBytes))
        return false;
    m_tab.setWaitCursor(true);
    return true;
}

void WebViewer::viewHandheldFile(std::string_view itemPath)
{
    if (itemPath.starts_with("PDA"))
        itemPath.remove_prefix(3);
    m_tab.showWebTab();
    show(itemPath, true);
}

void WebViewer::onDocumentAnswer(const proto::PcAnswer& answer)
{
    if (answer.first == kFirstDocument)
        m_tab.setWaitCursor(false);
    if (answer.first != kFirstDocument && answer.first != kFirstAttachment)
        return;
    if (answer.text == "fail") {
        m_ui.messageBox(kTitle, kConvertFailedText, platform::Icon::Warning);
        return;
    }
    if (answer.text == "prev") {
        m_ui.messageBox(kTitle, kConvertBusyText, platform::Icon::Warning);
        return;
    }
    if (answer.first == kFirstAttachment) {
        navigateView(m_mail, fetchAddress(answer.text, m_settings.myId, m_settings.serverIp, m_settings.pcWebPort));
        return;
    }
    m_tab.showWebTab();
    m_documentImage.clear();
    showDocument(answer.text);
}

void WebViewer::onPageAnswer(const proto::PcAnswer& answer)
{
    m_tab.setWaitCursor(false);
    const std::string asked = std::move(m_pendingImage);
    m_pendingImage.clear();
    if (answer.text.empty())
        return;
    m_tab.showWebTab();
    if (asked.empty()) {
        show(answer.text, true);
        return;
    }
    // A page of the document, wrapped by the PC.
    m_documentImage = asked;
    showDocument(answer.text);
}

bool WebViewer::cancelRunningTransfer()
{
    if (!m_transfer.isRunning())
        return true;
    if (m_ui.question(kTitle, fill(kRunningQuestion, m_transfer.activity()), platform::Buttons::OkCancel)
        != platform::Answer::Ok)
        return false;
    m_transfer.cancel();
    return true;
}

void WebViewer::savePage()
{
    if (!cancelRunningTransfer())
        return;
    std::string address = m_web.currentAddress();
    if (address.empty()) {
        m_ui.messageBox(kTitle, kBadAddressText, platform::Icon::Warning);
        return;
    }
    if (m_ui.question(kTitle, fill(kSaveQuestion, address), platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    std::error_code ignored;
    std::filesystem::create_directories(m_device.toLocal(m_settings.webFolderPath), ignored);
    // The transfer worker saves it, with its progress dialog and messages.
    mypc::TransferRequest request;
    request.kind = mypc::TransferKind::WebFile;
    request.url = address;
    request.title = savedPageName(address);
    (void)m_transfer.start(std::move(request), mypc::kActivitySaveWebPage);
}

} // namespace pocket::viewer
