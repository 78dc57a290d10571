#include "pc/convert/libreoffice.h"

#include "pc/convert/warm_office.h"
#include "platform/codec/percent_encoding.h"
#include "platform/process.h"
#include "platform/temp_folder.h"
#include "platform/trace.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pc::convert {

namespace {

platform::Error failure(platform::ErrorCode code, std::string context)
{
    return platform::Error { code, std::move(context), 0 };
}

std::string fileUrl(const std::filesystem::path& folder)
{
    // LibreOffice takes the profile as a file URL; spaces and the like are
    // escaped.
    return "file://" + platform::codec::percentEncode(folder.string(), "/");
}

platform::IoResult<platform::ProcessResult> runProgram(
    const std::vector<std::string>& argv, std::chrono::milliseconds timeout)
{
    platform::ProcessOptions options;
    options.timeout = timeout;
    options.captureErrors = true;
    auto result = TRY(platform::runProcess(argv, options));
    if (result.timedOut)
        return failure(platform::ErrorCode::Timeout, argv[0] + " ran past its deadline");
    return result;
}

// The sheets a cold conversion reports, in order: "Writing sheet NAME -> FILE".
std::vector<std::string> reportedSheets(std::string_view output)
{
    constexpr std::string_view kPrefix = "Writing sheet ";
    std::vector<std::string> sheets;
    std::size_t at = 0;
    while ((at = output.find(kPrefix, at)) != std::string_view::npos) {
        at += kPrefix.size();
        std::size_t end = output.find('\n', at);
        std::string_view line = output.substr(at, end == std::string_view::npos ? end : end - at);
        std::size_t arrow = line.rfind(" -> ");
        if (arrow != std::string_view::npos)
            sheets.emplace_back(line.substr(0, arrow));
    }
    return sheets;
}

} // namespace

bool programExists(std::string_view program)
{
    if (program.empty())
        return false;
    if (program.find('/') != std::string_view::npos)
        return ::access(std::string(program).c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        std::size_t colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        std::string candidate = (folder.empty() ? "." : folder) + "/" + std::string(program);
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string_view::npos)
            return false;
        folders.remove_prefix(colon + 1);
    }
}

int killProgramsWithArgument(std::string_view argument)
{
    int killed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        struct stat info { };
        if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != ::getuid())
            continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string arguments(std::istreambuf_iterator<char>(in), {});
        std::size_t at = 0;
        while (at < arguments.size()) {
            std::size_t end = arguments.find('\0', at);
            if (end == std::string::npos)
                end = arguments.size();
            if (std::string_view(arguments).substr(at, end - at) == argument) {
                if (::kill(static_cast<pid_t>(std::stol(name)), SIGKILL) == 0)
                    ++killed;
                break;
            }
            at = end + 1;
        }
    }
    return killed;
}

int renderedPageNumber(std::string_view fileName, std::string_view prefix, std::string_view extension)
{
    if (fileName.size() <= prefix.size() + 1 + extension.size() || fileName.substr(0, prefix.size()) != prefix
        || fileName[prefix.size()] != '-' || fileName.substr(fileName.size() - extension.size()) != extension)
        return 0;
    std::string_view digits
        = fileName.substr(prefix.size() + 1, fileName.size() - prefix.size() - 1 - extension.size());
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || number > 100000)
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

LibreOffice::LibreOffice(LibreOfficeConfig config)
    : m_config(std::move(config))
{
    if (!m_config.bridge.empty() && !m_config.profileFolder.empty()) {
        WarmOfficeConfig warm;
        warm.bridge = m_config.bridge;
        warm.soffice = m_config.soffice;
        // A profile in use by one LibreOffice cannot serve another.
        warm.profileFolder = m_config.profileFolder.string() + "-warm";
        warm.startTimeout = m_config.warmStartTimeout;
        m_warm = std::make_shared<WarmOffice>(std::move(warm));
    }
}

LibreOffice::~LibreOffice() = default;

bool LibreOffice::isAvailable() const
{
    return programExists(m_config.soffice);
}

void LibreOffice::startWarm() const
{
    if (m_warm)
        m_warm->start();
}

bool LibreOffice::warmUp(std::chrono::milliseconds wait) const
{
    return m_warm && m_warm->waitUntilReady(wait).hasValue();
}

void LibreOffice::stopWarm() const
{
    if (m_warm)
        m_warm->stop();
}

std::chrono::milliseconds LibreOffice::deadlineFor(std::uintmax_t bytes) const
{
    constexpr std::uintmax_t kMegabyte = 1024 * 1024;
    auto megabytes = static_cast<std::chrono::milliseconds::rep>((bytes + kMegabyte - 1) / kMegabyte);
    return m_config.deadlineBase + m_config.deadlinePerMegabyte * megabytes;
}

platform::IoResult<std::filesystem::path> LibreOffice::convert(const std::filesystem::path& source,
    std::string_view format, std::string_view extension, const std::filesystem::path& outputFolder) const
{
    std::filesystem::path written = outputFolder / source.stem();
    written += "." + std::string(extension);
    TRY(run(source, format, written));
    std::error_code error;
    if (!std::filesystem::is_regular_file(written, error))
        return failure(platform::ErrorCode::Protocol, "the office wrote nothing");
    return written;
}

platform::IoResult<std::vector<SheetFile>> LibreOffice::convertSheets(
    const std::filesystem::path& source, const std::filesystem::path& outputFolder) const
{
    std::filesystem::path target = outputFolder / source.stem();
    target += ".csv";
    auto names = TRY(run(source, kSheetCsvFormat, target));
    if (names.empty())
        return failure(platform::ErrorCode::Protocol, "no sheets");
    std::vector<SheetFile> sheets;
    for (auto& name : names) {
        std::filesystem::path file = outputFolder / (source.stem().string() + "-" + name + ".csv");
        sheets.push_back({ std::move(name), std::move(file) });
    }
    return sheets;
}

platform::IoResult<std::vector<std::string>> LibreOffice::run(
    const std::filesystem::path& source, std::string_view format, const std::filesystem::path& target) const
{
    std::error_code error;
    std::uintmax_t bytes = std::filesystem::file_size(source, error);
    if (error)
        return failure(platform::ErrorCode::NotFound, "cannot read " + source.string());
    if (bytes == 0)
        return failure(platform::ErrorCode::Protocol, "empty document");
    if (bytes > m_config.maxDocumentBytes)
        return failure(platform::ErrorCode::Protocol, "document too large");
    auto deadline = deadlineFor(bytes);
    if (m_warm) {
        auto sheets = m_warm->convert(source, target, format, deadline);
        if (sheets || sheets.error().code != platform::ErrorCode::Unavailable)
            return sheets;
        platform::trace("warm office: " + platform::describe(sheets.error()) + "; converting cold");
    }
    if (!isAvailable())
        return failure(platform::ErrorCode::NotFound, "no " + m_config.soffice);
    // A cold conversion starts the whole suite first, which alone can take
    // tens of seconds on a busy machine.
    return runCold(source, format, target.parent_path(), std::max(deadline, m_config.timeout));
}

platform::IoResult<std::vector<std::string>> LibreOffice::runCold(const std::filesystem::path& source,
    std::string_view format, const std::filesystem::path& outputFolder, std::chrono::milliseconds deadline) const
{
    std::optional<platform::TempFolder> freshProfile;
    std::filesystem::path profile = m_config.profileFolder;
    if (profile.empty()) {
        freshProfile.emplace(TRY(platform::TempFolder::create("quillon-office-profile")));
        profile = freshProfile->path();
    }
    std::string profileArgument = "-env:UserInstallation=" + fileUrl(profile);
    // The width of a JPEG is the warm office's refinement; a cold one draws
    // the image at its own size.
    std::string coldFormat(format.starts_with("jpg::") ? "jpg" : format);
    auto result = runProgram({ m_config.soffice, profileArgument, "--headless", "--norestore", "--convert-to",
                                 coldFormat, "--outdir", outputFolder.string(), source.string() },
        deadline);
    if (!result) {
        // soffice hands the work to a program of its own, which the
        // deadline's kill of soffice leaves running with the profile locked;
        // every later conversion would then fail.
        if (result.error().code == platform::ErrorCode::Timeout)
            killProgramsWithArgument(profileArgument);
        return result.error();
    }
    return reportedSheets(result->output);
}

platform::IoResult<int> LibreOffice::pageCount(const std::filesystem::path& pdf) const
{
    auto result = TRY(runProgram({ m_config.pdfinfo, pdf.string() }, m_config.timeout));
    std::string_view output = result.output;
    std::size_t at = output.find("\nPages:");
    if (at == std::string_view::npos && output.rfind("Pages:", 0) != 0)
        return failure(platform::ErrorCode::Protocol, "pdfinfo: no page count");
    at = at == std::string_view::npos ? 6 : at + 7;
    while (at < output.size() && output[at] == ' ')
        ++at;
    int pages = 0;
    bool digits = false;
    while (at < output.size() && output[at] >= '0' && output[at] <= '9' && pages < 1000000) {
        pages = pages * 10 + (output[at++] - '0');
        digits = true;
    }
    if (!digits || result.exitCode != 0)
        return failure(platform::ErrorCode::Protocol, "pdfinfo: no page count");
    return pages;
}

platform::IoResult<void> LibreOffice::renderPages(const std::filesystem::path& pdf, int first, int last,
    int dpi, PageImageFormat format, const std::filesystem::path& prefix) const
{
    std::vector<std::string> argv { m_config.pdftoppm, "-f", std::to_string(first), "-l",
        std::to_string(last), "-r", std::to_string(dpi) };
    if (format == PageImageFormat::Jpeg)
        argv.push_back("-jpeg");
    argv.push_back(pdf.string());
    argv.push_back(prefix.string());
    auto result = TRY(runProgram(argv, m_config.timeout));
    if (result.exitCode != 0)
        return failure(platform::ErrorCode::Protocol, "pdftoppm: " + result.output);
    return {};
}

platform::IoResult<void> LibreOffice::renderPagesToWidth(
    const std::filesystem::path& pdf, int first, int last, int width, const std::filesystem::path& prefix) const
{
    auto result = TRY(runProgram({ m_config.pdftoppm, "-f", std::to_string(first), "-l", std::to_string(last),
                                     "-scale-to-x", std::to_string(width), "-scale-to-y", "-1", "-jpeg",
                                     "-jpegopt", "quality=85", pdf.string(), prefix.string() },
        m_config.timeout));
    if (result.exitCode != 0)
        return failure(platform::ErrorCode::Protocol, "pdftoppm: " + result.output);
    return {};
}

platform::IoResult<void> LibreOffice::renderPage(const std::filesystem::path& pdf, int page, int dpi,
    PageImageFormat format, const std::filesystem::path& file) const
{
    // -singlefile writes prefix + extension without a page number.
    std::filesystem::path prefix = file;
    prefix.replace_extension();
    std::vector<std::string> argv { m_config.pdftoppm, "-f", std::to_string(page), "-l", std::to_string(page),
        "-r", std::to_string(dpi), "-singlefile" };
    if (format == PageImageFormat::Jpeg)
        argv.push_back("-jpeg");
    argv.push_back(pdf.string());
    argv.push_back(prefix.string());
    auto result = TRY(runProgram(argv, m_config.timeout));
    std::filesystem::path written = prefix;
    written += format == PageImageFormat::Jpeg ? ".jpg" : ".ppm";
    std::error_code error;
    if (result.exitCode != 0 || !std::filesystem::is_regular_file(written, error))
        return failure(platform::ErrorCode::Protocol, "pdftoppm: " + result.output);
    if (written != file) {
        std::filesystem::rename(written, file, error);
        if (error)
            return failure(platform::ErrorCode::IoError, "rename " + written.string());
    }
    return {};
}

} // namespace pc::convert
