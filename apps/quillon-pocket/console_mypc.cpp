#include "apps/quillon-pocket/console_mypc.h"

#include "apps/quillon-pocket/console_input.h"
#include "platform/event_loop.h"
#include "pocket/link/pc_link.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_download.h"
#include "pocket/mypc/mypc_paths.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_tree.h"
#include "pocket/mypc/mypc_upload.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <ostream>

namespace apps::pocket {

namespace {

using namespace ::pocket::device;
using namespace ::pocket::link;
using namespace ::pocket::mypc;
using namespace ::pocket::settings;
using namespace std::chrono_literals;

// Longer than the PC's 60-second request time-out; transfers of large files
// may take longer and are waited for as long as they make progress.
constexpr auto kAnswerWait = 90s;

constexpr const char* kHelp = "  search FOLDER WORD                 search a PC folder (C:\\docs) for file names holding WORD\n"
                              "  next | prev                        the next or previous page of search results\n"
                              "  get PCPATH                         fetch a PC file into the download folder\n"
                              "  put PATH                           send a handheld file (\\My Documents\\a.txt) to the PC\n"
                              "  pda [PATH]                         list a handheld folder\n";

// The progress dialog, the result list and the tree, as console lines.
class ConsoleMyPcViews final : public ProgressView, public SearchView, public MyPcTreeView {
public:
    explicit ConsoleMyPcViews(std::ostream& out)
        : m_out(out)
    {
    }

    void openProgress(const std::string& title) override { m_title = title; }
    void setTotalLine(const std::string& text) override { m_total = text; }
    void setDoneLine(const std::string& text) override { m_done = text; }
    void setBar(int) override { }
    void closeProgress() override { m_out << "progress\t" << m_title << "\t" << m_done << std::endl; }

    void clearResults() override { }
    void showResults(const std::vector<SearchRow>& rows) override
    {
        for (const auto& row : rows)
            m_out << "found\t" << row.name << "\t" << row.folder << "\t" << row.size << std::endl;
    }
    void showResultList() override { }

    void treeReset() override { }
    void itemChanged(const TreeItem&) override { }

private:
    std::ostream& m_out;
    std::string m_title;
    std::string m_total;
    std::string m_done;
};

std::string toBackslashes(std::string text)
{
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

std::string trimmed(const std::string& text)
{
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return "";
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

} // namespace

struct ConsoleMyPc::Parts {
    Parts(platform::EventLoop& loop, ConsoleLineUi& ui, PcLink& link, const PdaSettings& settings,
        const DeviceRoot& device, platform::HttpFetch& fetch, std::ostream& out, std::ostream& err)
        : loop(loop)
        , ui(ui)
        , link(link)
        , out(out)
        , err(err)
        , views(out)
        , busy(ui)
        , runner(loop, ui, settings, device, views)
        , download(link, settings, ui, busy, runner)
        , upload(loop, ui, link, settings, device, busy, views)
        , search(link, settings, device, fetch, ui, busy, views)
        , tree(device, views)
    {
    }

    void waitFor(const std::function<bool()>& done)
    {
        if (!loop.runUntil([&] { return done() || !link.isConnected(); }, kAnswerWait))
            err << "no answer from the PC" << std::endl;
    }

    void runSearch(const std::string& arguments)
    {
        std::string text = trimmed(arguments);
        std::size_t space = text.find_first_of(" \t");
        if (space == std::string::npos) {
            err << "search: usage: search FOLDER WORD" << std::endl;
            return;
        }
        (void)search.start(toBackslashes(text.substr(0, space)), trimmed(text.substr(space)));
        waitFor([&] { return !search.isWaiting() && !busy.isBusy(); });
    }

    void page(bool forward)
    {
        if (forward)
            search.next();
        else
            search.previous();
        waitFor([&] { return !search.isWaiting() && !busy.isBusy(); });
    }

    void get(const std::string& arguments)
    {
        std::string path = toBackslashes(trimmed(arguments));
        if (path.empty()) {
            err << "get: usage: get PCPATH" << std::endl;
            return;
        }
        if (!download.request(path))
            return;
        waitFor([&] { return !download.isWaiting() && !runner.isRunning(); });
    }

    void put(const std::string& arguments)
    {
        std::string path = toBackslashes(trimmed(arguments));
        if (path.empty()) {
            err << "put: usage: put PATH" << std::endl;
            return;
        }
        // A handheld path ("\My Documents\a.txt") or a tree path ("PDA\...").
        if (!isPdaPath(path))
            path = std::string(kPdaRootText) + (path.front() == '\\' ? "" : "\\") + path;
        if (!upload.start(path))
            return;
        waitFor([&] { return !upload.isRunning(); });
    }

    void listHandheld(const std::string& arguments)
    {
        std::string path = toBackslashes(trimmed(arguments));
        TreeItem* item = tree.roots().front().get();
        (void)tree.expandHandheld(*item);
        std::size_t position = 0;
        while (item && position < path.size()) {
            std::size_t slash = path.find('\\', position);
            std::string part = path.substr(position, slash == std::string::npos ? std::string::npos : slash - position);
            position = slash == std::string::npos ? path.size() : slash + 1;
            if (part.empty())
                continue;
            auto found = std::find_if(item->children.begin(), item->children.end(),
                [&](const auto& child) { return child->text == part && child->isFolder; });
            item = found == item->children.end() ? nullptr : found->get();
            if (item)
                (void)tree.expandHandheld(*item);
        }
        if (!item) {
            err << "pda: no such folder: " << path << std::endl;
            return;
        }
        for (const auto& child : item->children)
            out << (child->isFolder ? "folder\t" : "file\t") << child->text << std::endl;
    }

    platform::EventLoop& loop;
    ConsoleLineUi& ui;
    PcLink& link;
    std::ostream& out;
    std::ostream& err;
    ConsoleMyPcViews views;
    MyPcBusy busy;
    TransferRunner runner;
    MyPcDownload download;
    MyPcUpload upload;
    MyPcSearch search;
    MyPcTree tree;
};

ConsoleMyPc::ConsoleMyPc(platform::EventLoop& loop, ConsoleLineUi& ui, PcLink& link, const PdaSettings& settings,
    const DeviceRoot& device, platform::HttpFetch& fetch, std::ostream& out, std::ostream& err)
    : m_parts(std::make_unique<Parts>(loop, ui, link, settings, device, fetch, out, err))
{
}

ConsoleMyPc::~ConsoleMyPc() = default;

const char* ConsoleMyPc::help()
{
    return kHelp;
}

bool ConsoleMyPc::execute(const std::string& command, const std::string& arguments)
{
    if (command == "search")
        m_parts->runSearch(arguments);
    else if (command == "next")
        m_parts->page(true);
    else if (command == "prev")
        m_parts->page(false);
    else if (command == "get")
        m_parts->get(arguments);
    else if (command == "put")
        m_parts->put(arguments);
    else if (command == "pda")
        m_parts->listHandheld(arguments);
    else
        return false;
    return true;
}

} // namespace apps::pocket
