#include "pc/convert/libreoffice.h"

#include "platform/temp_folder.h"
#include "platform/process.h"

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
    std::string url = "file://";
    for (unsigned char c : folder.string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url.push_back(static_cast<char>(c));
        } else {
            static const char* hex = "0123456789ABCDEF";
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

platform::IoResult<platform::ProcessResult> run(
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
}

bool LibreOffice::isAvailable() const
{
    return programExists(m_config.soffice);
}

platform::IoResult<std::filesystem::path> LibreOffice::convert(const std::filesystem::path& source,
    std::string_view format, std::string_view extension, const std::filesystem::path& outputFolder) const
{
    if (!isAvailable())
        return failure(platform::ErrorCode::NotFound, "no " + m_config.soffice);
    std::optional<platform::TempFolder> freshProfile;
    std::filesystem::path profile = m_config.profileFolder;
    if (profile.empty()) {
        freshProfile.emplace(TRY(platform::TempFolder::create("quillon-office-profile")));
        profile = freshProfile->path();
    }
    std::string profileArgument = "-env:UserInstallation=" + fileUrl(profile);
    auto result = run({ m_config.soffice, profileArgument, "--headless", "--norestore", "--convert-to",
                          std::string(format), "--outdir", outputFolder.string(), source.string() },
        m_config.timeout);
    if (!result) {
        // soffice hands the work to a program of its own, which the
        // deadline's kill of soffice leaves running with the profile locked;
        // every later conversion would then fail.
        if (result.error().code == platform::ErrorCode::Timeout)
            killProgramsWithArgument(profileArgument);
        return result.error();
    }
    std::filesystem::path written = outputFolder / source.stem();
    written += "." + std::string(extension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(written, error))
        return failure(platform::ErrorCode::Protocol, "soffice wrote nothing: " + result->output);
    return written;
}

platform::IoResult<int> LibreOffice::pageCount(const std::filesystem::path& pdf) const
{
    auto result = TRY(run({ m_config.pdfinfo, pdf.string() }, m_config.timeout));
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
    auto result = TRY(run(argv, m_config.timeout));
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
    auto result = TRY(run(argv, m_config.timeout));
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
