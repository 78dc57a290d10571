#include "pocket/settings/pda_settings.h"

namespace pocket::settings {

namespace {

std::string underServiceHome(std::string_view name)
{
    return std::string(kServiceHome) + "\\" + std::string(name);
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

PdaSettings::PdaSettings()
    : saveMailPath(defaultMailPath())
    , webFolderPath(defaultWebPath())
    , saveFilePath(defaultFilePath())
    , sndMailPath(defaultSendMailPath())
{
}

std::string defaultMailPath() { return underServiceHome("MailCheck"); }
std::string defaultWebPath() { return underServiceHome("웹저장"); }
std::string defaultFilePath() { return underServiceHome("받은파일"); }
std::string defaultSendMailPath() { return underServiceHome("보낼메일"); }

int messengerLayoutCode(int msnCheck, int icqCheck, int yahooCheck)
{
    bool msn = msnCheck != 0;
    bool icq = icqCheck != 0;
    bool yahoo = yahooCheck != 0;
    if (msn && icq && yahoo)
        return 6;
    if (icq && yahoo)
        return 5;
    if (msn && yahoo)
        return 4;
    if (msn && icq)
        return 3;
    if (yahoo)
        return 2;
    if (icq)
        return 1;
    if (msn)
        return 0;
    return -1;
}

std::size_t countChars(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        count += isContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
    return count;
}

std::string cutToChars(std::string_view text, std::size_t maxChars)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isContinuation(static_cast<unsigned char>(text[i])))
            continue;
        if (chars == maxChars)
            return std::string(text.substr(0, i));
        ++chars;
    }
    return std::string(text);
}

std::string cutToBytes(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = maxBytes;
    while (end > 0 && isContinuation(static_cast<unsigned char>(text[end])))
        --end;
    return std::string(text.substr(0, end));
}

} // namespace pocket::settings
