#include "pc/service/view_handlers.h"

#include "platform/safe_name.h"
#include "pc/service/transfer_handlers.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "proto/command_codes.h"

#include <algorithm>
#include <sys/stat.h>

namespace pc::service {

namespace {

constexpr std::string_view kRequestFolderPc = "pda_ReqDoc\\";
constexpr std::string_view kRequestFolderUrl = "pda_ReqDoc/";

bool isRegularFile(const std::filesystem::path& file)
{
    struct stat info { };
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool writeWrapperPage(const std::filesystem::path& file, std::string_view imageUrl, std::string_view codePage)
{
    // The page is written without a terminating zero, replacing an older one.
    return platform::writeFileAtomically(file, platform::fromUtf8(wrapperPage(imageUrl), codePage), 0644).hasValue();
}

} // namespace

ViewHandlers::ViewHandlers(platform::EventLoop& loop, ServiceFolders folders, const PcPaths& paths,
    AnswerSink& answers, WebHost webHost, std::string codePage)
    : m_loop(loop)
    , m_folders(std::move(folders))
    , m_paths(paths)
    , m_answers(answers)
    , m_webHost(std::move(webHost))
    , m_codePage(std::move(codePage))
{
}

ViewHandlers::~ViewHandlers()
{
    if (m_worker.joinable())
        m_worker.join();
}

void ViewHandlers::registerIn(DispatchTable& table)
{
    table.add(proto::kCodeConvertDocument, [this](const CommandContext& c) { viewDocument(c); });
    table.add(proto::kCodeViewPage, [this](const CommandContext& c) { viewPage(c); });
}

std::optional<std::filesystem::path> ViewHandlers::sourceOf(const CommandContext& context) const
{
    // First number 1: a path relative to the service root, with "/" or "\".
    if (context.first == 1)
        return (m_folders.root / std::filesystem::path(forwardSlashes(context.text)).relative_path())
            .lexically_normal();
    return m_paths.toLocal(context.text);
}

void ViewHandlers::viewDocument(const CommandContext& context)
{
    if (m_busy) {
        answerDocument(context.first, kViewBusyText);
        return;
    }
    std::string pcPath = context.text;
    if (context.first == 1)
        std::replace(pcPath.begin(), pcPath.end(), '/', '\\');
    std::string name = fileNameOfPcPath(pcPath);
    Job job;
    job.first = context.first;
    job.group = viewGroupOf(extensionOf(name));
    job.fileName = platform::safeFileName(platform::lastPathComponent(name));
    auto source = sourceOf(context);
    if (!source || job.group == ViewGroup::Unsupported) {
        answerDocument(context.first, kViewFailText);
        return;
    }
    job.source = std::move(*source);

    m_busy = true;
    m_jobFirst = context.first;
    m_jobHost = m_webHost(context);
    if (m_worker.joinable())
        m_worker.join();
    m_worker = std::thread([this, job = std::move(job)] {
        auto outcome = runJob(job);
        {
            std::lock_guard lock(m_outcomeMutex);
            m_outcome = std::move(outcome);
        }
        m_loop.post(this, kMsgViewDone);
    });
}

std::optional<std::string> ViewHandlers::runJob(const Job& job) const
{
    std::string base = resultBaseOf(job.fileName);
    std::string resultPath;
    bool converted = false;
    DocumentConverters* converters = m_converters.load();
    switch (job.group) {
    case ViewGroup::Word:
        resultPath = base + ".htm";
        converted = converters && converters->convertWord(job.source, base);
        break;
    case ViewGroup::Excel: {
        resultPath = base + ".htm";
        std::error_code ignored;
        std::filesystem::remove(m_folders.root / resultPath, ignored);
        converted = converters && converters->convertExcel(job.source, base);
        break;
    }
    case ViewGroup::PowerPoint:
        resultPath = base + "/" + std::string(kFirstSlideImage);
        converted = converters && converters->convertPowerPoint(job.source, base);
        break;
    case ViewGroup::Pdf:
        resultPath = base + "/" + std::string(kFirstSlideImage);
        converted = converters && converters->convertPdf(job.source, base);
        break;
    case ViewGroup::Hwp:
        base = baseNameOf(job.fileName);
        resultPath = base + "/" + base + "0.gif";
        converted = converters && converters->convertHwp(job.source, job.fileName);
        break;
    case ViewGroup::Image:
        resultPath = std::string(kRequestFolderUrl) + convertedImageName(job.fileName);
        converted = converters && converters->convertImage(job.source, resultPath);
        break;
    case ViewGroup::Copied:
        return copyIntoRequestFolder(job);
    case ViewGroup::NoExtension:
        return std::string(kRequestFolderPc) + job.fileName;
    case ViewGroup::Unsupported:
        return std::nullopt;
    }
    // A converter that reports success without leaving its result behind
    // would send the handheld to a missing page.
    if (!converted || !isRegularFile(m_folders.root / resultPath))
        return std::nullopt;
    return resultPath;
}

std::optional<std::string> ViewHandlers::copyIntoRequestFolder(const Job& job) const
{
    std::filesystem::path target = m_folders.requestedDocuments / job.fileName;
    std::error_code error;
    bool same = std::filesystem::equivalent(job.source, target, error) && !error;
    // A copy that fails half-way leaves nothing behind.
    if (!same && !platform::copyFileReplacing(job.source, target, 0644))
        return std::nullopt;
    return std::string(kRequestFolderPc) + job.fileName;
}

platform::LResult ViewHandlers::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg != kMsgViewDone)
        return 0;
    if (m_worker.joinable())
        m_worker.join();
    std::optional<std::string> outcome;
    {
        std::lock_guard lock(m_outcomeMutex);
        outcome = std::move(m_outcome);
        m_outcome.reset();
    }
    finish(m_jobFirst, outcome);
    return 1;
}

void ViewHandlers::finish(std::int32_t first, const std::optional<std::string>& resultPath)
{
    m_busy = false;
    if (!resultPath) {
        answerDocument(first, kViewFailText);
        return;
    }
    const std::string& host = m_jobHost;
    if (!isViewImageExtension(extensionOf(*resultPath))) {
        answerDocument(first, serviceUrl(host, *resultPath));
        return;
    }
    if (!writeWrapperPage(m_folders.requestedDocuments / kWrapperPageName, serviceUrl(host, *resultPath), m_codePage)) {
        answerDocument(first, kViewFailText);
        return;
    }
    answerDocument(first, serviceUrl(host, std::string(kRequestFolderUrl) + std::string(kWrapperPageName)));
}

void ViewHandlers::answerDocument(std::int32_t first, std::string_view text)
{
    m_answers.sendAnswer({ first, proto::kCodeConvertDocument, std::string(text) });
}

void ViewHandlers::viewPage(const CommandContext& context)
{
    std::string text = context.text;
    if (isPageImageExtension(extensionOf(context.text))) {
        // A wrapper page that cannot be written still answers its address;
        // the handheld then shows the web server's "not found" page.
        (void)writeWrapperPage(m_folders.root / kWrapperPageName, context.text, m_codePage);
        text = serviceUrl(m_webHost(context), kWrapperPageName);
    }
    m_answers.sendAnswer({ 0, proto::kCodeViewPage, forwardSlashes(text) });
}

} // namespace pc::service
