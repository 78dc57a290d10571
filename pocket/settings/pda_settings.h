#pragma once

// File: pocket/settings/pda_settings.h
// All settings of the handheld, held in memory for the whole run and kept in
// the registry store under "HKCU\Software\Quillon". Other parts of the
// handheld read them from here, never from the registry. Text is UTF-8; the
// capacities below count characters (code points), except the MSN id and
// password, which are kept in the ANSI code page within 255 bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pocket::settings {

constexpr const char* kSettingsKey = "HKCU\\Software\\Quillon";

// The folder of the program on the device, and the default subfolders.
constexpr const char* kServiceHome = "\\Program Files\\Quillon";
constexpr const char* kDefaultInbox = "Quillon";

// Capacities of the string values.
constexpr std::size_t kConnectionNameChars = 29;
constexpr std::size_t kMsnTextBytes = 255;
constexpr std::size_t kAccountChars = 99;
constexpr std::size_t kPcFieldChars = 49; // "SEVER_IP", "MY_ID", "MY_PASSWORD".
constexpr std::size_t kPathChars = 255;
constexpr std::size_t kInboxChars = 99;

// The ports of the PC; changeable because 91 needs privilege on Linux.
constexpr std::uint16_t kDefaultPcPort = 4000;
constexpr std::uint16_t kDefaultPcUploadPort = 4040;
constexpr std::uint16_t kDefaultPcWebPort = 91;

constexpr int kDefaultMaxFileList = 50;
constexpr int kDefaultMaxFileSizeKb = 1000;

struct PdaSettings {
    int save = 0;            // "save": 1 = remember the PC login.
    int mailViewPeriod = -1; // "mailviewperiod": days, -1 = all mail.
    int mailFormat = 1;      // "mailformat": 0 Text, 1 Html.
    int msnCheck = 1;
    int icqCheck = 1;
    int yahooCheck = 0;
    int autoDial = 0;          // "Auto-Dial"
    int autoDisconnection = 0; // "Auto-Disconnection"
    int maxFileList = kDefaultMaxFileList;
    int maxFileSizeKb = kDefaultMaxFileSizeKb;
    std::string myConnection; // "my-connection"
    std::string msnId;        // "MSNID", ANSI code page.
    std::string msnPassword;  // "MSNPASS", ANSI code page.
    std::string icqId;
    std::string icqPassword;
    std::string yahooId;
    std::string yahooPassword;
    std::string serverIp; // "SEVER_IP", spelled so in the store.
    std::string myId;
    std::string myPassword;
    std::string saveMailPath;
    std::string webFolderPath;
    std::string saveFilePath;
    std::string sndMailPath;
    std::string inbox = kDefaultInbox;
    std::uint16_t pcPort = kDefaultPcPort;             // "PC_PORT"
    std::uint16_t pcUploadPort = kDefaultPcUploadPort; // "PC_UPLOAD_PORT"
    std::uint16_t pcWebPort = kDefaultPcWebPort;       // "PC_WEB_PORT"
    int messengerLayoutCode = 3; // Derived from the three messenger flags.

    PdaSettings();
};

// The default of a configured folder: "\Program Files\Quillon\" + name.
std::string defaultMailPath();   // ...\MailCheck
std::string defaultWebPath();    // ...\웹저장
std::string defaultFilePath();   // ...\받은파일
std::string defaultSendMailPath(); // ...\보낼메일

// The main window lays out its messenger tabs by this code: 0 MSN, 1 ICQ,
// 2 YAHOO, 3 MSN+ICQ, 4 MSN+YAHOO, 5 ICQ+YAHOO, 6 all three, -1 none.
int messengerLayoutCode(int msnCheck, int icqCheck, int yahooCheck);

// Limits in characters count code points, limits in bytes count bytes; texts
// are cut with platform/codepage.h's cutCodePoints and cutBytes.

} // namespace pocket::settings
