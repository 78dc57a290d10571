#include "pc/mail/encoded_words.h"

#include "pc/mail/charset.h"
#include "platform/codec/base64.h"
#include "platform/codec/quoted_printable.h"

#include <optional>

namespace pc::mail {
namespace {

struct EncodedWord {
    std::size_t begin = 0; // Position of "=?".
    std::size_t end = 0; // Position behind "?=" (or the end of the value).
    std::string charset;
    std::string bytes; // Decoded, still in `charset`.
};

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Finds the next well-formed start "=?charset?X?" at or behind `from`.
std::optional<EncodedWord> findEncodedWord(std::string_view value, std::size_t from)
{
    while (true) {
        std::size_t start = value.find("=?", from);
        if (start == std::string_view::npos)
            return std::nullopt;
        std::size_t charsetEnd = value.find('?', start + 2);
        if (charsetEnd == std::string_view::npos)
            return std::nullopt;
        std::string_view charset = value.substr(start + 2, charsetEnd - start - 2);
        bool charsetOk = !charset.empty() && charset.find_first_of(" \t\r\n") == std::string_view::npos;
        if (!charsetOk || charsetEnd + 2 >= value.size() || value[charsetEnd + 2] != '?') {
            from = start + 1;
            continue;
        }
        char kind = value[charsetEnd + 1];
        if (kind != 'B' && kind != 'b' && kind != 'Q' && kind != 'q') {
            from = start + 1;
            continue;
        }
        std::size_t textBegin = charsetEnd + 3;
        std::size_t close = value.find("?=", textBegin);
        std::size_t textEnd = close == std::string_view::npos ? value.size() : close;
        std::string_view text = value.substr(textBegin, textEnd - textBegin);
        EncodedWord word;
        word.begin = start;
        word.end = close == std::string_view::npos ? value.size() : close + 2;
        word.charset = std::string(charset);
        word.bytes = (kind == 'B' || kind == 'b') ? platform::codec::decodeBase64Lenient(text)
                                                  : platform::codec::decodeQEncoding(text);
        return word;
    }
}

} // namespace

DecodedHeader decodeEncodedWords(std::string_view value, std::string_view declaredCharset)
{
    DecodedHeader result;
    std::string pendingBytes; // Adjacent words of one charset, joined.
    std::string pendingCharset;
    auto flush = [&] {
        // A word in a charset nobody knows passes through; it must still
        // come out as UTF-8.
        if (!pendingBytes.empty())
            result.text += validUtf8(toPcCodePage(pendingBytes, pendingCharset));
        pendingBytes.clear();
    };

    std::size_t position = 0;
    bool previousWasWord = false;
    while (auto word = findEncodedWord(value, position)) {
        std::string_view between = value.substr(position, word->begin - position);
        bool joins = previousWasWord && isBlank(between);
        if (!joins) {
            flush();
            result.text += undeclaredHeaderText(between, declaredCharset);
        }
        if (joins && iconvCharsetName(word->charset) != iconvCharsetName(pendingCharset))
            flush();
        pendingCharset = word->charset;
        pendingBytes += word->bytes;
        result.hadEncodedWord = true;
        previousWasWord = true;
        position = word->end;
    }
    flush();
    result.text += undeclaredHeaderText(value.substr(position), declaredCharset);
    return result;
}

} // namespace pc::mail
