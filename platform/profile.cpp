#include "platform/profile.h"

#include "platform/files.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <sys/stat.h>

namespace platform {
namespace {

constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Windows strips one pair of matching quotes around a value.
std::string_view stripQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool needsQuotes(std::string_view value)
{
    if (value.empty())
        return false;
    if (isBlank(value.front()) || isBlank(value.back()))
        return true;
    return stripQuotes(value).size() != value.size();
}

bool hasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

Error invalid(std::string context)
{
    return Error { ErrorCode::InvalidArgument, std::move(context), 0 };
}

std::string entryLine(std::string_view key, std::string_view value)
{
    std::string line(key);
    line += '=';
    if (needsQuotes(value)) {
        line += '"';
        line += value;
        line += '"';
    } else {
        line += value;
    }
    return line;
}

} // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

Profile::Profile(std::filesystem::path file)
    : m_file(std::move(file))
{
}

Profile::FileStamp Profile::stampNow() const
{
    struct stat info {};
    if (::stat(m_file.c_str(), &info) != 0)
        return FileStamp {};
    return FileStamp { true, info.st_dev, info.st_ino, info.st_size,
        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec };
}

void Profile::refresh() const
{
    auto stamp = stampNow();
    if (m_loaded && stamp == m_stamp)
        return;
    m_loaded = true;
    m_stamp = stamp;
    // Slot 0 holds the lines before the first section, even when there are none.
    m_sections.assign(1, Section {});
    m_hasByteOrderMark = false;
    m_readError.reset();
    if (!stamp.exists)
        return;
    // A file that exists but cannot be read (no permission, a folder or a
    // fifo under its name) reads as empty, and is never written over: what
    // it holds (accounts, passwords) would be lost. check() says why.
    auto text = readWholeFile(m_file);
    if (!text) {
        m_readError = text.error();
        return;
    }
    // Editors that save with a byte-order mark would otherwise hide the first
    // section; the mark is written back as it was found.
    std::string_view body = *text;
    m_hasByteOrderMark = body.starts_with(kByteOrderMark);
    if (m_hasByteOrderMark)
        body.remove_prefix(kByteOrderMark.size());
    m_sections = parse(body);
}

std::vector<Profile::Section> Profile::parse(std::string_view text)
{
    std::vector<Section> sections(1);
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        auto trimmed = trimBlanks(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            auto close = trimmed.find(']');
            auto name = trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            sections.push_back(Section { std::string(trimBlanks(name)), std::string(line), {} });
            continue;
        }
        Entry entry;
        entry.line = std::string(line);
        auto equals = trimmed.find('=');
        if (!trimmed.empty() && trimmed.front() != ';' && equals != std::string_view::npos) {
            entry.key = std::string(trimBlanks(trimmed.substr(0, equals)));
            entry.value = std::string(stripQuotes(trimBlanks(trimmed.substr(equals + 1))));
        }
        sections.back().entries.push_back(std::move(entry));
    }
    return sections;
}

std::string Profile::serialise() const
{
    std::string text(m_hasByteOrderMark ? kByteOrderMark : std::string_view());
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (i > 0) {
            text += m_sections[i].header;
            text += '\n';
        }
        for (const auto& entry : m_sections[i].entries) {
            text += entry.line;
            text += '\n';
        }
    }
    return text;
}

IoResult<void> Profile::check() const
{
    std::lock_guard lock(m_mutex);
    refresh();
    if (m_readError)
        return *m_readError;
    return {};
}

IoResult<void> Profile::save()
{
    if (m_readError)
        return *m_readError;
    auto written = writeFileAtomically(m_file, serialise(), kPrivateFileMode);
    // Whatever happened, the next read looks at the file again.
    m_stamp = written ? stampNow() : FileStamp {};
    if (!written)
        m_loaded = false;
    return written;
}

const Profile::Section* Profile::findSection(std::string_view name) const
{
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        if (equalsIgnoringCase(m_sections[i].name, name))
            return &m_sections[i];
    }
    return nullptr;
}

Profile::Section* Profile::findSection(std::string_view name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

const Profile::Entry* Profile::findEntry(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(trimBlanks(section));
    if (!found)
        return nullptr;
    key = trimBlanks(key);
    for (const auto& entry : found->entries) {
        if (!entry.key.empty() && equalsIgnoringCase(entry.key, key))
            return &entry;
    }
    return nullptr;
}

std::optional<std::string> Profile::find(std::string_view section, std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    refresh();
    const Entry* entry = findEntry(section, key);
    if (!entry)
        return std::nullopt;
    return entry->value;
}

std::string Profile::getString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    auto value = find(section, key);
    return value ? *value : std::string(defaultValue);
}

bool Profile::hasKey(std::string_view section, std::string_view key) const
{
    return find(section, key).has_value();
}

int Profile::getInt(std::string_view section, std::string_view key, int defaultValue) const
{
    auto value = find(section, key);
    if (!value || value->empty())
        return defaultValue;
    std::string_view text = trimBlanks(*value);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        number = number * 10 + (c - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            break; // Saturate rather than wrap.
    }
    if (negative)
        number = -number;
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return static_cast<int>(number);
}

IoResult<void> Profile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || hasLineBreakOrNul(section) || section.find(']') != std::string_view::npos)
        return invalid("profile section name");
    if (key.empty() || hasLineBreakOrNul(key) || key.find('=') != std::string_view::npos || key.front() == '['
        || key.front() == ';')
        return invalid("profile key name");
    if (hasLineBreakOrNul(value))
        return invalid("profile value with a line break");

    std::lock_guard lock(m_mutex);
    refresh();
    Section* target = findSection(section);
    if (!target) {
        m_sections.push_back(Section { std::string(section), "[" + std::string(section) + "]", {} });
        target = &m_sections.back();
    }
    Entry* existing = nullptr;
    for (auto& entry : target->entries) {
        if (!entry.key.empty() && equalsIgnoringCase(entry.key, key)) {
            existing = &entry;
            break;
        }
    }
    if (existing) {
        // The key keeps the spelling it has in the file.
        existing->value = std::string(value);
        existing->line = entryLine(existing->key, value);
    } else {
        // New keys go after the last key, before trailing blank lines.
        auto at = target->entries.end();
        while (at != target->entries.begin() && trimBlanks(std::prev(at)->line).empty())
            --at;
        target->entries.insert(at, Entry { std::string(key), std::string(value), entryLine(key, value) });
    }
    return save();
}

IoResult<void> Profile::writeInt(std::string_view section, std::string_view key, int value)
{
    return writeString(section, key, std::to_string(value));
}

std::string Profile::getOrWriteDefault(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    if (auto value = find(section, key))
        return *value;
    // Like the profile functions, a failed write is not reported; the default still applies.
    [[maybe_unused]] auto written = writeString(section, key, defaultValue);
    return std::string(defaultValue);
}

IoResult<void> Profile::deleteKey(std::string_view section, std::string_view key)
{
    std::lock_guard lock(m_mutex);
    refresh();
    Section* target = findSection(trimBlanks(section));
    if (!target)
        return {};
    key = trimBlanks(key);
    auto removed = std::erase_if(target->entries,
        [&](const Entry& entry) { return !entry.key.empty() && equalsIgnoringCase(entry.key, key); });
    if (removed == 0)
        return {};
    return save();
}

IoResult<void> Profile::deleteSection(std::string_view section)
{
    std::lock_guard lock(m_mutex);
    refresh();
    section = trimBlanks(section);
    auto before = m_sections.size();
    for (std::size_t i = m_sections.size(); i-- > 1;) {
        if (equalsIgnoringCase(m_sections[i].name, section))
            m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (m_sections.size() == before)
        return {};
    return save();
}

std::vector<std::string> Profile::keys(std::string_view section) const
{
    std::lock_guard lock(m_mutex);
    refresh();
    std::vector<std::string> names;
    if (const Section* found = findSection(trimBlanks(section))) {
        for (const auto& entry : found->entries) {
            if (!entry.key.empty())
                names.push_back(entry.key);
        }
    }
    return names;
}

std::vector<std::string> Profile::sections() const
{
    std::lock_guard lock(m_mutex);
    refresh();
    std::vector<std::string> names;
    for (std::size_t i = 1; i < m_sections.size(); ++i)
        names.push_back(m_sections[i].name);
    return names;
}

} // namespace platform
