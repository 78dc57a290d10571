#include "pocket/device/vcard.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cctype>

namespace pocket::device {

namespace {

    constexpr std::size_t kFoldOctets = 75;

    std::string upper(std::string_view text)
    {
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
        return out;
    }

    // Joins continuation lines (starting with a space or tab) to the line before.
    std::vector<std::string> unfold(std::string_view text)
    {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            std::string_view line
                = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
            start = end == std::string_view::npos ? text.size() : end + 1;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines.empty())
                lines.back().append(line.substr(1));
            else if (!line.empty())
                lines.emplace_back(line);
        }
        return lines;
    }

    // The position of the colon that ends the name and parameters, skipping
    // quoted parameter values.
    std::size_t valueColon(std::string_view line)
    {
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (line[i] == ':' && !quoted)
                return i;
        }
        return std::string_view::npos;
    }

    // Splits a structured value at unescaped separators; components stay escaped.
    std::vector<std::string> splitComponents(std::string_view value, char separator)
    {
        std::vector<std::string> parts(1);
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                parts.back() += value.substr(i, 2);
                ++i;
            } else if (value[i] == separator) {
                parts.emplace_back();
            } else {
                parts.back() += value[i];
            }
        }
        return parts;
    }

    void applyLine(VCard& card, bool& haveEmail, const std::string& line)
    {
        std::size_t colon = valueColon(line);
        if (colon == std::string::npos)
            return;
        std::string_view head = std::string_view(line).substr(0, colon);
        std::string_view value = std::string_view(line).substr(colon + 1);
        std::string name = upper(head.substr(0, head.find(';')));
        // A group prefix ("item1.EMAIL") names the same property.
        if (auto dot = name.rfind('.'); dot != std::string::npos)
            name = name.substr(dot + 1);
        if (name == "VERSION")
            return;
        if (name == "N") {
            auto parts = splitComponents(value, ';');
            card.familyName = unescapeText(parts[0]);
            card.givenName = parts.size() > 1 ? unescapeText(parts[1]) : std::string();
        } else if (name == "FN") {
            card.formattedName = unescapeText(value);
        } else if (name == "EMAIL" && !haveEmail) {
            card.email = unescapeText(value);
            haveEmail = true;
        } else if (name == "CATEGORIES" && card.category.empty()) {
            std::string joined;
            for (const auto& part : splitComponents(value, ',')) {
                if (!joined.empty())
                    joined += ',';
                joined += unescapeText(part);
            }
            card.category = joined;
        } else {
            card.otherLines.push_back(line);
        }
    }

    void appendFolded(std::string& out, std::string_view line)
    {
        std::size_t limit = kFoldOctets;
        while (line.size() > limit) {
            // Never split a UTF-8 sequence (a damaged one may be cut anywhere).
            std::size_t cut = std::max<std::size_t>(platform::cutBytes(line, limit).size(), 1);
            out.append(line.substr(0, cut));
            out += "\r\n ";
            line.remove_prefix(cut);
            limit = kFoldOctets - 1; // The leading space counts.
        }
        out.append(line);
        out += "\r\n";
    }

} // namespace

std::string escapeText(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ',':
            out += "\\,";
            break;
        case ';':
            out += "\\;";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeText(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        out += (next == 'n' || next == 'N') ? '\n' : next;
    }
    return out;
}

std::vector<VCard> parseVCards(std::string_view text)
{
    std::vector<VCard> cards;
    bool inCard = false;
    bool haveEmail = false;
    for (const auto& line : unfold(text)) {
        std::string word = upper(line);
        if (word == "BEGIN:VCARD") {
            cards.emplace_back();
            inCard = true;
            haveEmail = false;
        } else if (word == "END:VCARD") {
            inCard = false;
        } else if (inCard) {
            applyLine(cards.back(), haveEmail, line);
        }
    }
    return cards;
}

std::string formatVCards(const std::vector<VCard>& cards)
{
    std::string out;
    for (const auto& card : cards) {
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        // N and FN are required in every vCard 3.0 object (RFC 2426 §3.1).
        appendFolded(out, "N:" + escapeText(card.familyName) + ";" + escapeText(card.givenName) + ";;;");
        appendFolded(out, "FN:" + escapeText(card.formattedName));
        if (!card.email.empty())
            appendFolded(out, "EMAIL;TYPE=INTERNET:" + escapeText(card.email));
        if (!card.category.empty()) {
            // The list separator stays a separator; each entry is escaped.
            std::string list;
            for (const auto& entry : splitComponents(card.category, ',')) {
                if (!list.empty())
                    list += ',';
                list += escapeText(entry);
            }
            appendFolded(out, "CATEGORIES:" + list);
        }
        for (const auto& line : card.otherLines)
            appendFolded(out, line);
        out += "END:VCARD\r\n";
    }
    return out;
}

} // namespace pocket::device
