#include "pocket/settings/pda_settings.h"

namespace pocket::settings {

namespace {

std::string underServiceHome(std::string_view name)
{
    return std::string(kServiceHome) + "\\" + std::string(name);
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

} // namespace pocket::settings
