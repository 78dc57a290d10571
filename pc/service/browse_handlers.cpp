#include "pc/service/browse_handlers.h"

#include "pc/service/file_search.h"
#include "pc/service/folder_listing.h"
#include "proto/command_codes.h"

#include <algorithm>

namespace pc::service {

namespace {

constexpr const char* kServerFolder = "serverfolder";
constexpr const char* kServerFolderSize = "serverfoldersize";
constexpr const char* kServerFile = "serverfile";
constexpr const char* kSearchNames = "Searchfilelist";
constexpr const char* kSearchPaths = "Searchpathlist";
constexpr const char* kSearchSizes = "Searchsizelist";
constexpr const char* kSearchAnswer = "Searchfilelist\n Searchfilepath\n Searchfilesize";
constexpr const char* kUnwritableList = ".\n\n";

std::int32_t answerCodeOfMode(char mode)
{
    switch (mode) {
    case '0':
        return proto::kCodeListViewable;
    case '1':
        return proto::kCodeListViewableMode1;
    case '2':
        return proto::kCodeListViewableMode2;
    default:
        return 0;
    }
}

} // namespace

BrowseHandlers::BrowseHandlers(std::filesystem::path serviceRoot, const PcPaths& paths, AnswerSink& answers,
    ProgressView& progress, std::string codePage)
    : m_root(std::move(serviceRoot))
    , m_paths(paths)
    , m_answers(answers)
    , m_progress(progress)
    , m_codePage(std::move(codePage))
{
}

void BrowseHandlers::registerIn(DispatchTable& table)
{
    table.add(proto::kCodeListFolder, [this](const CommandContext& c) { listFolder(c); });
    table.add(proto::kCodeListViewable, [this](const CommandContext& c) { listViewable(c); });
    table.add(proto::kCodeSearch, [this](const CommandContext& c) { search(c); });
}

std::filesystem::path BrowseHandlers::localFolder(std::string_view pcPath) const
{
    auto local = m_paths.toLocal(pcPath);
    if (!local)
        return m_root / "\x01missing";
    return *local;
}

void BrowseHandlers::listFolder(const CommandContext& context)
{
    BrowseListing listing = listBrowsable(localFolder(context.text));
    std::string entries = listing.entries.content();
    bool written = writeListFile(m_root / kServerFolder, entries, m_codePage);
    if (written)
        written = writeListFile(m_root / kServerFolderSize, listing.sizes.content(), m_codePage);
    std::string text = written ? inlineOrFileName(entries, kServerFolder, m_codePage) : kUnwritableList;
    m_answers.sendAnswer({ context.first, proto::kCodeListFolder, text });
}

void BrowseHandlers::listViewable(const CommandContext& context)
{
    std::string_view text = context.text;
    char mode = text.empty() ? '\0' : text.front();
    std::string_view path = text.empty() ? text : text.substr(1);
    ListText list;
    if (mode == '0') {
        list = pc::service::listViewable(localFolder(path));
    } else if (mode == '1') {
        list = listBrowsable(localFolder(path)).entries;
    } else if (mode == '2') {
        // A path relative to the service root; it must stay inside it.
        std::string local(path);
        std::replace(local.begin(), local.end(), '\\', '/');
        std::filesystem::path root = m_root.lexically_normal();
        std::filesystem::path folder = (root / std::filesystem::path(local).relative_path()).lexically_normal();
        auto rel = folder.lexically_relative(root);
        if (!rel.empty() && *rel.begin() != "..")
            list = pc::service::listViewable(folder);
    }
    std::string content = list.content();
    bool written = writeListFile(m_root / kServerFile, content, m_codePage);
    std::int32_t code = answerCodeOfMode(mode);
    // Modes other than 0, 1 and 2 have no answer code of their own.
    if (code == 0)
        return;
    std::string answer = written ? inlineOrFileName(content, kServerFile, m_codePage) : kUnwritableList;
    m_answers.sendAnswer({ context.first, code, answer });
}

void BrowseHandlers::search(const CommandContext& context)
{
    SearchQuery query = parseSearchQuery(context.text);
    FileSearch search(m_progress, [this](const std::filesystem::path& p) { return m_paths.toPc(p); });
    SearchResult result;
    if (auto folder = m_paths.toLocal(query.folder))
        result = search.run(*folder, query);
    // Write failures of the search are not reported.
    std::string zero(1, '\0');
    (void)writeListFile(m_root / kSearchNames, result.names.content(), m_codePage, zero);
    (void)writeListFile(m_root / kSearchPaths, result.paths.content(), m_codePage, zero);
    (void)writeListFile(m_root / kSearchSizes, result.sizes.content(), m_codePage, zero);
    m_answers.sendAnswer({ result.listed, proto::kCodeSearch, kSearchAnswer });
}

} // namespace pc::service
