#include "apps/quillon-pocket/console_mypc.h"

#include "pocket/app/frame_layout.h"
#include "pocket/app/handheld.h"
#include "platform/terminal_text.h"
#include "pocket/mypc/mypc_paths.h"

#include <algorithm>
#include <ostream>

namespace apps::pocket {

namespace {

using namespace ::pocket::mypc;

constexpr const char* kHelp = "  search FOLDER WORD                 search a PC folder (C:\\docs) for file names holding WORD\n"
                              "  next | prev                        the next or previous page of search results\n"
                              "  get PCPATH                         fetch a PC file into the download folder\n"
                              "  put PATH                           send a handheld file (\\My Documents\\a.txt) to the PC\n"
                              "  pda [PATH]                         list a handheld folder\n";

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

ConsoleMyPc::ConsoleMyPc(::pocket::app::Handheld& handheld, std::ostream& out, std::ostream& err, WaitFor waitFor)
    : m_handheld(handheld)
    , m_out(out)
    , m_err(err)
    , m_waitFor(std::move(waitFor))
{
}

const char* ConsoleMyPc::help()
{
    return kHelp;
}

bool ConsoleMyPc::execute(const std::string& command, const std::string& arguments)
{
    if (command == "search")
        runSearch(arguments);
    else if (command == "next")
        page(true);
    else if (command == "prev")
        page(false);
    else if (command == "get")
        get(arguments);
    else if (command == "put")
        put(arguments);
    else if (command == "pda")
        listHandheld(arguments);
    else
        return false;
    return true;
}

void ConsoleMyPc::waitForPc(const std::function<bool()>& done)
{
    auto& link = m_handheld.link();
    m_waitFor([&] { return done() || !link.isConnected(); });
}

void ConsoleMyPc::runSearch(const std::string& arguments)
{
    std::string text = trimmed(arguments);
    std::size_t space = text.find_first_of(" \t");
    if (space == std::string::npos) {
        m_err << "search: usage: search FOLDER WORD" << std::endl;
        return;
    }
    auto& mypc = m_handheld.mypc();
    (void)mypc.search.start(toBackslashes(text.substr(0, space)), trimmed(text.substr(space)));
    waitForPc([&] { return !mypc.search.isWaiting() && !mypc.busy.isBusy(); });
}

void ConsoleMyPc::page(bool forward)
{
    // "N" and "P" of the result list.
    (void)m_handheld.onButton(forward ? ::pocket::app::kNextPageButton : ::pocket::app::kPrevPageButton);
    auto& mypc = m_handheld.mypc();
    waitForPc([&] { return !mypc.search.isWaiting() && !mypc.busy.isBusy(); });
}

void ConsoleMyPc::get(const std::string& arguments)
{
    std::string path = toBackslashes(trimmed(arguments));
    if (path.empty()) {
        m_err << "get: usage: get PCPATH" << std::endl;
        return;
    }
    auto& mypc = m_handheld.mypc();
    if (!mypc.download.request(path))
        return;
    waitForPc([&] { return !mypc.download.isWaiting() && !mypc.runner.isRunning(); });
}

void ConsoleMyPc::put(const std::string& arguments)
{
    std::string path = toBackslashes(trimmed(arguments));
    if (path.empty()) {
        m_err << "put: usage: put PATH" << std::endl;
        return;
    }
    // A handheld path ("\My Documents\a.txt") or a tree path ("PDA\...").
    if (!isPdaPath(path))
        path = std::string(kPdaRootText) + (path.front() == '\\' ? "" : "\\") + path;
    auto& mypc = m_handheld.mypc();
    if (!mypc.upload.start(path))
        return;
    waitForPc([&] { return !mypc.upload.isRunning(); });
}

void ConsoleMyPc::listHandheld(const std::string& arguments)
{
    std::string path = toBackslashes(trimmed(arguments));
    auto& tree = m_handheld.mypc().tree;
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
        m_err << "pda: no such folder: " << path << std::endl;
        return;
    }
    for (const auto& child : item->children)
        m_out << (child->isFolder ? "folder\t" : "file\t") << platform::terminalSafe(child->text) << std::endl;
}

} // namespace apps::pocket
