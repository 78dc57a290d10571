#include "pocket/mypc/part_download.h"

#include "platform/decimal_number.h"

#include <system_error>

namespace pocket::mypc {

namespace {

constexpr std::string_view kInfoTag = "quillon-part 1";

bool readNumber(std::string_view text, std::uint64_t& value)
{
    auto number = platform::parseDecimal<std::uint64_t>(text);
    value = number.value_or(value);
    return number.has_value();
}

std::uint64_t sizeOf(const std::filesystem::path& file)
{
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

} // namespace

bool parseContentRange(std::string_view value, ContentRange& range)
{
    constexpr std::string_view kUnit = "bytes ";
    if (!value.starts_with(kUnit))
        return false;
    value.remove_prefix(kUnit.size());
    std::size_t dash = value.find('-');
    std::size_t slash = value.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash)
        return false;
    return readNumber(value.substr(0, dash), range.first)
        && readNumber(value.substr(dash + 1, slash - dash - 1), range.last)
        && readNumber(value.substr(slash + 1), range.total) && range.first <= range.last && range.last < range.total;
}

PartDownload::PartDownload(std::filesystem::path destination, std::string url, bool resumable)
    : m_destination(std::move(destination))
    , m_part(partPathOf(m_destination))
    , m_info(infoPathOf(m_destination))
    , m_url(std::move(url))
    , m_resumable(resumable)
{
}

std::filesystem::path PartDownload::partPathOf(const std::filesystem::path& destination)
{
    return std::filesystem::path(destination) += ".part";
}

std::filesystem::path PartDownload::infoPathOf(const std::filesystem::path& destination)
{
    return std::filesystem::path(destination) += ".part.info";
}

platform::FetchRange PartDownload::resumePoint()
{
    m_asked = {};
    m_versionKnown = false;
    std::ifstream info(m_info);
    std::string tag, url, total, version;
    bool read = m_resumable && std::getline(info, tag) && std::getline(info, url) && std::getline(info, total)
        && std::getline(info, version);
    std::uint64_t whole = 0;
    std::uint64_t kept = sizeOf(m_part);
    // Only a part shorter than its file, of this URL and of a named version,
    // is continued; a part as long as the file never had its end confirmed.
    if (read && tag == kInfoTag && url == m_url && readNumber(total, whole) && !version.empty() && kept > 0
        && kept < whole) {
        m_asked = { kept, version };
        m_keptTotal = whole;
        m_versionKnown = true;
        return m_asked;
    }
    discard();
    return m_asked;
}

PartDownload::Head PartDownload::onHead(const platform::HttpResponse& head)
{
    const bool resuming = m_asked.from > 0;
    if (head.status == 206) {
        ContentRange range;
        if (resuming && parseContentRange(head.contentRange, range) && range.first == m_asked.from
            && range.last + 1 == range.total && range.total == m_keptTotal) {
            m_received = m_asked.from;
            return openPart(true) ? Head::Write : Head::Fail;
        }
        // Not the rest of the kept part: neither is worth keeping.
        discard();
        return resuming ? Head::Restart : Head::Fail;
    }
    if (head.status == 416) {
        discard();
        return resuming ? Head::Restart : Head::Fail;
    }
    if (head.status < 200 || head.status >= 300)
        return Head::Fail; // An error page; a kept part waits for a later try.
    // The whole body, from zero: a new version, or the server sends no ranges.
    m_received = 0;
    if (!openPart(false))
        return Head::Fail;
    if (m_resumable && !head.validator.empty() && head.contentLength > 0) {
        writeInfo(static_cast<std::uint64_t>(head.contentLength), head.validator);
    } else {
        std::error_code ignored;
        std::filesystem::remove(m_info, ignored);
        m_versionKnown = false;
    }
    return Head::Write;
}

bool PartDownload::openPart(bool append)
{
    m_file.close();
    m_file.clear();
    m_file.open(m_part, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    return m_file.is_open();
}

void PartDownload::writeInfo(std::uint64_t total, const std::string& version)
{
    std::ofstream info(m_info, std::ios::trunc);
    info << kInfoTag << '\n' << m_url << '\n' << total << '\n' << version << '\n';
    info.close();
    m_versionKnown = static_cast<bool>(info);
    m_keptTotal = total;
}

bool PartDownload::write(std::string_view block)
{
    if (!m_file.is_open())
        return false;
    m_file.write(block.data(), static_cast<std::streamsize>(block.size()));
    if (!m_file)
        return false;
    m_received += block.size();
    return true;
}

bool PartDownload::finish()
{
    if (!m_file.is_open() && !openPart(false))
        return false;
    m_file.close();
    if (!m_file)
        return false;
    std::error_code error;
    std::filesystem::rename(m_part, m_destination, error);
    std::error_code ignored;
    std::filesystem::remove(m_info, ignored);
    return !error;
}

void PartDownload::keepIfResumable()
{
    m_file.close();
    if (!m_versionKnown)
        discard();
}

void PartDownload::discard()
{
    m_file.close();
    std::error_code ignored;
    std::filesystem::remove(m_part, ignored);
    std::filesystem::remove(m_info, ignored);
    m_versionKnown = false;
}

} // namespace pocket::mypc
