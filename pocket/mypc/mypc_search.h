#pragma once

// File: pocket/mypc/mypc_search.h
// Searching the PC for file names (the "검 색" dialog of the My PC tab) and
// paging through the results with "N" and "P". Command 307 carries
// "start\ncount\nscope\n\nword"; the PC answers with the number of results
// and three list files (names, paths, sizes), fetched one after the other
// from its web server into "\Program Files\Quillon\Searchlist" and parsed in
// turn. Window thread only.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class HttpFetch;
class Ui;
}

namespace proto {
struct PcAnswer;
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

class MyPcBusy;

constexpr std::size_t kSearchTextChars = 255; // Scope and word.
constexpr std::size_t kResultNameChars = 99;
constexpr std::size_t kResultFolderChars = 255;
constexpr std::size_t kResultSizeChars = 19;

struct SearchRow {
    std::string name;
    std::string folder;
    std::string size;

    bool operator==(const SearchRow&) const = default;
};

// One search list file: a value per line. Parsing stops after `maxLines`
// lines, at an empty line or at the last line feed.
std::vector<std::string> parseSearchList(std::string_view content, std::size_t maxLines);

// The request text "%d\n%d\n%s\n\n%s".
std::string formatSearchRequest(int startIndex, int pageSize, std::string_view scope, std::string_view word);

// The result list of the tab ("파일명", "파일 경로", "파일크기(BYTE)").
class SearchView {
public:
    virtual ~SearchView() = default;
    virtual void clearResults() = 0;
    virtual void showResults(const std::vector<SearchRow>& rows) = 0;
    // Switches the tab from the tree to the result list.
    virtual void showResultList() = 0;
};

class MyPcSearch {
public:
    MyPcSearch(link::PcLink& link, const settings::PdaSettings& settings, const device::DeviceRoot& device, platform::HttpFetch& fetch,
        platform::Ui& ui, MyPcBusy& busy, SearchView& view);

    // The dialog's OK with the scope (the PC folder) and the word. False
    // when the dialog stays open (no word); true once it may close.
    bool start(std::string_view scope, std::string_view word);
    // The "N" and "P" buttons.
    void next();
    void previous();

    bool isWaiting() const { return m_waiting; }
    int startIndex() const { return m_startIndex; }
    bool hasMore() const { return m_hasMore; }
    const std::vector<SearchRow>& rows() const { return m_rows; }

private:
    bool send(int startIndex);
    void onAnswer(const proto::PcAnswer& answer);
    bool fetchList(std::string_view url, std::vector<std::string>& values);
    void reset();

    link::PcLink& m_link;
    const settings::PdaSettings& m_settings;
    const device::DeviceRoot& m_device;
    platform::HttpFetch& m_fetch;
    platform::Ui& m_ui;
    MyPcBusy& m_busy;
    SearchView& m_view;

    std::string m_scope;
    std::string m_word;
    int m_startIndex = 0;
    bool m_hasMore = false;
    bool m_waiting = false;
    std::vector<SearchRow> m_rows;
};

} // namespace pocket::mypc
