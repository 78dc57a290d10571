#include "pc/mail/plain_text.h"

#include "pc/mail/charset.h"
#include "platform/codepage.h"
#include "pc/mail/text_util.h"

#include <array>
#include <cctype>

namespace pc::mail {
namespace {

constexpr std::array<std::string_view, 5> kKeptPieceMarks = {
    "From: ", "To: ", "Date: ", "Subject: ", "File exist",
};

bool isKeptPiece(std::string_view piece)
{
    for (auto mark : kKeptPieceMarks) {
        if (piece.find(mark) != std::string_view::npos)
            return true;
    }
    return false;
}

// The body as a text-mode read returns it: CRLF pairs become LF.
std::string readAsText(std::string_view body)
{
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
            continue;
        out.push_back(body[i]);
    }
    return out;
}

// Only "<" followed by a letter, "/", "!" or "?" opens a tag; "a < b" in a
// plain-text mail stays as it is.
bool opensTag(std::string_view text, std::size_t at)
{
    if (at + 1 >= text.size())
        return false;
    unsigned char next = static_cast<unsigned char>(text[at + 1]);
    return std::isalpha(next) || next == '/' || next == '!' || next == '?';
}

// An entity is "&", a name or "#" and digits, and ";" within a short span;
// a lone "&" ("AT&T") is text.
bool opensEntity(std::string_view text, std::size_t at)
{
    std::size_t i = at + 1;
    for (; i < text.size() && i - at <= 32; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ';')
            return i > at + 1;
        if (!std::isalnum(c) && c != '#')
            return false;
    }
    return false;
}

std::string stripMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '<' && opensTag(text, i)) {
            std::size_t close = text.find('>', i);
            std::size_t end = close == std::string_view::npos ? text.size() : close + 1;
            std::string tag = toLowerAscii(text.substr(i, end - i));
            if (tag == "<br>" || tag == "<div>")
                out.push_back('\n');
            i = end;
        } else if (c == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            out.push_back('&');
            i += 2;
        } else if (c == '&' && opensEntity(text, i)) {
            i = text.find(';', i) + 1;
        } else {
            out.push_back(c);
            ++i;
        }
    }
    return out;
}

} // namespace

std::string reduceToPlainText(std::string_view body)
{
    std::string text = readAsText(body);
    std::string output;
    std::string working;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t lineEnd = text.find('\n', at);
        std::size_t end = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
        std::string_view piece = std::string_view(text).substr(at, end - at);
        if (piece.size() > kPlainTextPieceBytes) {
            piece = platform::cutBytes(piece, kPlainTextPieceBytes);
            if (piece.empty())
                piece = std::string_view(text).substr(at, kPlainTextPieceBytes);
        }
        at += piece.size();
        if (isKeptPiece(piece)) {
            output += piece;
        } else if (working.size() < kPlainTextWorkingLimit) {
            working += platform::cutBytes(piece, kPlainTextWorkingLimit - working.size());
        }
    }
    // Line breaks go: a CR that stood before a line feed goes with it.
    std::string joined;
    joined.reserve(working.size());
    for (std::size_t i = 0; i < working.size(); ++i) {
        if (working[i] == '\n')
            continue;
        if (working[i] == '\r' && i + 1 < working.size() && working[i + 1] == '\n')
            continue;
        joined.push_back(working[i]);
    }
    output += stripMarkup(joined);
    output.push_back('\n');
    return output;
}

std::string toCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::string fromCrLf(std::string_view stored, std::size_t maxBytes)
{
    std::string out;
    for (std::size_t i = 0; i < stored.size() && out.size() < maxBytes; ++i) {
        if (stored[i] == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n')
            continue;
        out.push_back(stored[i]);
    }
    return out;
}

} // namespace pc::mail
