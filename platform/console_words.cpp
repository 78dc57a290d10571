#include "platform/console_words.h"

namespace platform {

std::vector<std::string> splitCommandWords(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::vector<std::string> splitBlankWords(std::string_view text, std::size_t maxWords)
{
    std::vector<std::string> words;
    std::size_t position = 0;
    while ((position = text.find_first_not_of(" \t", position)) != std::string_view::npos) {
        if (words.size() + 1 == maxWords) {
            words.emplace_back(text.substr(position));
            break;
        }
        std::size_t end = text.find_first_of(" \t", position);
        words.emplace_back(text.substr(position, end == std::string_view::npos ? std::string_view::npos : end - position));
        position = end;
    }
    return words;
}

} // namespace platform
