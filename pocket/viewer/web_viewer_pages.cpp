// "View", "Doc", "P" and "N" of the web view: the page view and the
// document view, and the pages of each.

#include "pocket/viewer/web_viewer.h"

#include "platform/http_fetch.h"
#include "platform/ui.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/viewer/document_pages.h"
#include "pocket/viewer/viewer_address.h"

namespace pocket::viewer {

namespace {

constexpr const char* kTitle = "Quillon";
constexpr const char* kNoPreviousText = "이전 데이터가 없습니다";
constexpr const char* kNoNextText = "다음 데이터가없습니다";
// A wrapper page is a line of HTML; a longer answer is no wrapper.
constexpr std::size_t kMaxWrapperBytes = 16 * 1024;

} // namespace

void WebViewer::showPageView()
{
    if (m_history.empty()) {
        showPage(kStartPage, false, true);
        return;
    }
    m_tab.setAddressText(displayAddress(m_history[m_historyIndex], m_settings.serverIp, m_settings.myId));
    showPage(m_history[m_historyIndex], false, false);
}

void WebViewer::showDocumentView()
{
    // Without a document there is nothing else to show.
    if (m_document.empty())
        return;
    m_tab.showWebTab();
    showDocument(m_document);
}

void WebViewer::previousPage()
{
    if (m_mode == Mode::Document)
        moveInDocument(-1);
    else
        moveInHistory(-1);
}

void WebViewer::nextPage()
{
    if (m_mode == Mode::Document)
        moveInDocument(1);
    else
        moveInHistory(1);
}

void WebViewer::moveInHistory(int step)
{
    const bool back = step < 0;
    if (back ? m_historyIndex == 0 || m_history.empty() : m_historyIndex + 1 >= m_history.size()) {
        m_ui.messageBox(kTitle, back ? kNoPreviousText : kNoNextText, platform::Icon::Warning);
        return;
    }
    m_historyIndex = back ? m_historyIndex - 1 : m_historyIndex + 1;
    m_tab.setAddressText(displayAddress(m_history[m_historyIndex], m_settings.serverIp, m_settings.myId));
    showPage(m_history[m_historyIndex], false, false);
}

void WebViewer::moveInDocument(int step)
{
    // The first page's picture is named by the wrapper page around it.
    if (m_documentImage.empty())
        m_documentImage = wrappedImage(
            fetchText(fetchAddress(m_document, m_settings.myId, m_settings.serverIp, m_settings.pcWebPort)));
    const auto neighbour = m_documentImage.empty() ? std::nullopt : neighbourPage(m_documentImage, step);
    if (!neighbour || !exists(*neighbour)) {
        m_ui.messageBox(kTitle, step < 0 ? kNoPreviousText : kNoNextText, platform::Icon::Warning);
        return;
    }
    m_pendingImage = *neighbour;
    if (!viewPage(*neighbour))
        m_pendingImage.clear();
}

std::string WebViewer::fetchText(const std::string& url)
{
    std::string body;
    auto response = m_fetch.get(
        url,
        [&](std::string_view block) {
            body.append(block);
            return true;
        },
        platform::FetchLimits { link::kFetchDeadline, kMaxWrapperBytes });
    if (!response || response->cancelled || response->status < 200 || response->status >= 300)
        return {};
    return body;
}

bool WebViewer::exists(const std::string& url)
{
    // The head of the answer is enough: the first block ends the fetch.
    auto response = m_fetch.get(
        url, [](std::string_view) { return false; }, platform::FetchLimits { link::kFetchDeadline, 0 });
    return response && response->status >= 200 && response->status < 300;
}

} // namespace pocket::viewer
