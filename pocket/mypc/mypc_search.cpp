#include "pocket/mypc/mypc_search.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/link/pc_link.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"
#include "proto/pc_answer.h"

#include <algorithm>

namespace pocket::mypc {

namespace {

constexpr const char* kListFile = "\\Program Files\\Quillon\\Searchlist";
constexpr const char* kNoWordText = "검색어를 입력하세요!";
constexpr const char* kNotConnectedText = "서버에 연결이 안된 상태입니다.";
constexpr const char* kNoResultsText = "해당 데이터가 없거나 더이상 검색할 데이터가 없습니다.";
constexpr const char* kFetchFailedText = "파일 데이터를 받는데 실패하였습니다. \n다시 시도해주세요!";
constexpr const char* kNoNextText = "다음 데이터가없습니다";
constexpr const char* kNoPreviousText = "이전 데이터가 없습니다";

// The three list files, as the handheld has always named them.
constexpr const char* kNamesUrl = "%s:91/Searchfilelist";
constexpr const char* kPathsUrl = "%s:91\\Searchpathlist";
constexpr const char* kSizesUrl = "%s:91\\Searchsizelist";

} // namespace

std::vector<std::string> parseSearchList(std::string_view content, std::size_t maxLines)
{
    std::vector<std::string> values;
    while (values.size() < maxLines) {
        std::size_t end = content.find('\n');
        if (end == std::string_view::npos || end == 0)
            break;
        values.emplace_back(content.substr(0, end));
        content.remove_prefix(end + 1);
    }
    return values;
}

std::string formatSearchRequest(int startIndex, int pageSize, std::string_view scope, std::string_view word)
{
    return std::to_string(startIndex) + "\n" + std::to_string(pageSize) + "\n" + std::string(scope) + "\n\n"
        + std::string(word);
}

MyPcSearch::MyPcSearch(link::PcLink& link, const settings::PdaSettings& settings, const device::DeviceRoot& device,
    platform::HttpFetch& fetch, platform::Ui& ui, MyPcBusy& busy, SearchView& view)
    : m_link(link)
    , m_settings(settings)
    , m_device(device)
    , m_fetch(fetch)
    , m_ui(ui)
    , m_busy(busy)
    , m_view(view)
{
    m_link.setHandler(proto::kCodeSearch, [this](const proto::PcAnswer& answer) { onAnswer(answer); });
    m_link.addResetListener([this] { reset(); });
}

void MyPcSearch::reset()
{
    if (m_waiting)
        m_busy.clear();
    m_waiting = false;
}

bool MyPcSearch::start(std::string_view scope, std::string_view word)
{
    if (word.empty()) {
        m_ui.messageBox(kMyPcTitle, kNoWordText, platform::Icon::Warning);
        return false;
    }
    if (!m_link.isConnected()) {
        m_ui.messageBox(kMyPcTitle, kNotConnectedText, platform::Icon::Warning);
        return true;
    }
    if (m_busy.refuse())
        return true;
    m_view.clearResults();
    m_rows.clear();
    m_scope = std::string(platform::cutCodePoints(scope, kSearchTextChars));
    while (!m_scope.empty() && m_scope.back() == '\\')
        m_scope.pop_back(); // The PC appends the backslash itself.
    m_word = std::string(platform::cutCodePoints(word, kSearchTextChars));
    m_startIndex = 0;
    m_hasMore = false;
    (void)send(0);
    return true;
}

bool MyPcSearch::send(int startIndex)
{
    if (!m_link.sendRequest(0, proto::kCodeSearch, formatSearchRequest(startIndex, m_settings.maxFileList, m_scope, m_word)))
        return false;
    m_busy.set();
    m_waiting = true;
    return true;
}

void MyPcSearch::next()
{
    if (!m_hasMore) {
        m_ui.messageBox(kMyPcTitle, kNoNextText, platform::Icon::Warning);
        return;
    }
    if (m_busy.refuse())
        return;
    m_view.clearResults();
    m_rows.clear();
    (void)send(m_startIndex);
}

void MyPcSearch::previous()
{
    if (m_startIndex == 0) {
        m_ui.messageBox(kMyPcTitle, kNoPreviousText, platform::Icon::Warning);
        return;
    }
    int index = m_startIndex - m_settings.maxFileList - static_cast<int>(m_rows.size());
    if (index < 0) {
        m_ui.messageBox(kMyPcTitle, kNoPreviousText, platform::Icon::Warning);
        return;
    }
    if (m_busy.refuse())
        return;
    m_view.clearResults();
    m_rows.clear();
    m_startIndex = index;
    (void)send(index);
}

void MyPcSearch::onAnswer(const proto::PcAnswer& answer)
{
    if (!m_waiting)
        return; // Not the answer to a search of ours.
    m_waiting = false;
    if (answer.first <= 0) {
        m_busy.clear();
        m_hasMore = false;
        m_ui.messageBox(kMyPcTitle, kNoResultsText, platform::Icon::Warning);
        return;
    }
    m_hasMore = answer.first >= m_settings.maxFileList;

    std::vector<std::string> names;
    std::vector<std::string> paths;
    std::vector<std::string> sizes;
    if (!fetchList(kNamesUrl, names)) {
        m_busy.clear();
        return;
    }
    m_startIndex += static_cast<int>(names.size());
    if (!fetchList(kPathsUrl, paths) || !fetchList(kSizesUrl, sizes)) {
        m_busy.clear();
        return;
    }
    m_rows.clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
        m_rows.push_back({ std::string(platform::cutCodePoints(names[i], kResultNameChars)),
            i < paths.size() ? std::string(platform::cutCodePoints(paths[i], kResultFolderChars)) : std::string(),
            i < sizes.size() ? std::string(platform::cutCodePoints(sizes[i], kResultSizeChars)) : std::string() });
    }
    m_view.showResults(m_rows);
    m_view.showResultList();
    m_busy.clear();
}

bool MyPcSearch::fetchList(std::string_view url, std::vector<std::string>& values)
{
    std::string address(url);
    address.replace(address.find("%s:91"), 5, m_settings.serverIp + ":" + std::to_string(m_settings.pcWebPort));
    auto listFile = m_device.toLocal(kListFile);
    if (!link::fetchToFile(m_fetch, m_ui, address, listFile)) {
        m_ui.messageBox(kMyPcTitle, kFetchFailedText, platform::Icon::Information);
        return false;
    }
    auto content = platform::readWholeFile(listFile);
    if (!content) {
        m_ui.messageBox(kMyPcTitle, kFetchFailedText, platform::Icon::Information);
        return false;
    }
    std::size_t pageSize = static_cast<std::size_t>(std::max(m_settings.maxFileList, 0));
    values = parseSearchList(*content, pageSize);
    return true;
}

} // namespace pocket::mypc
