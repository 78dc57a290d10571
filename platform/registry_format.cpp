#include "platform/registry_format.h"

#include "platform/decimal_number.h"

namespace platform {
namespace {

constexpr std::string_view kHeader = "Quillon registry 1";

Error damaged(std::size_t lineNumber, std::string_view what)
{
    return Error { ErrorCode::Protocol, "registry store line " + std::to_string(lineNumber) + ": " + std::string(what), 0 };
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads one quoted string at the front of `line` and drops it from there.
bool takeQuoted(std::string_view& line, std::string& out)
{
    if (line.empty() || line.front() != '"')
        return false;
    out.clear();
    std::size_t i = 1;
    while (i < line.size()) {
        char c = line[i];
        if (c == '"') {
            line.remove_prefix(i + 1);
            return true;
        }
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 >= line.size())
            return false;
        char e = line[i + 1];
        i += 2;
        switch (e) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (i + 2 > line.size())
                return false;
            int high = hexDigit(line[i]);
            int low = hexDigit(line[i + 1]);
            if (high < 0 || low < 0)
                return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool takeWord(std::string_view& line, std::string_view word)
{
    if (!line.starts_with(word) || line.size() <= word.size() || line[word.size()] != ' ')
        return false;
    line.remove_prefix(word.size() + 1);
    return true;
}

bool takeSpace(std::string_view& line)
{
    if (line.empty() || line.front() != ' ')
        return false;
    line.remove_prefix(1);
    return true;
}

} // namespace

std::string quoteRegistryText(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': quoted += "\\\\"; break;
        case '"': quoted += "\\\""; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                quoted += "\\x";
                quoted += kHex[byte >> 4];
                quoted += kHex[byte & 15];
            } else {
                quoted += c;
            }
        }
    }
    quoted += '"';
    return quoted;
}

std::string formatRegistryText(const std::vector<RegistryRecord>& records)
{
    std::string text(kHeader);
    text += '\n';
    for (const auto& record : records) {
        switch (record.kind) {
        case RegistryRecord::Kind::Key:
            text += "key " + quoteRegistryText(record.name);
            break;
        case RegistryRecord::Kind::String:
            text += "string " + quoteRegistryText(record.name) + " " + quoteRegistryText(record.text);
            break;
        case RegistryRecord::Kind::Dword:
            text += "dword " + quoteRegistryText(record.name) + " " + std::to_string(record.dword);
            break;
        }
        text += '\n';
    }
    return text;
}

IoResult<std::vector<RegistryRecord>> parseRegistryText(std::string_view text)
{
    std::vector<RegistryRecord> records;
    std::size_t lineNumber = 0;
    bool sawHeader = false;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;
        if (!sawHeader) {
            if (line != kHeader)
                return damaged(lineNumber, "not a registry store");
            sawHeader = true;
            continue;
        }
        RegistryRecord record;
        if (takeWord(line, "key")) {
            record.kind = RegistryRecord::Kind::Key;
            if (!takeQuoted(line, record.name) || !line.empty())
                return damaged(lineNumber, "bad key");
        } else if (takeWord(line, "string")) {
            record.kind = RegistryRecord::Kind::String;
            if (!takeQuoted(line, record.name) || !takeSpace(line) || !takeQuoted(line, record.text) || !line.empty())
                return damaged(lineNumber, "bad string value");
        } else if (takeWord(line, "dword")) {
            record.kind = RegistryRecord::Kind::Dword;
            if (!takeQuoted(line, record.name) || !takeSpace(line))
                return damaged(lineNumber, "bad dword value");
            auto dword = parseDecimal<decltype(record.dword)>(line);
            if (!dword)
                return damaged(lineNumber, "bad dword number");
            record.dword = *dword;
        } else {
            return damaged(lineNumber, "unknown record");
        }
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace platform
