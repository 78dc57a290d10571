#pragma once

// File: pocket/app/frame_layout.h
// What the handheld's frame window is made of: its views (MSN, ICQ, YAHOO,
// My PC, e-mail), the controls of its main dialog by id, which controls each
// view shows, and its two menu bars with their commands. The numbers are the
// program's resource and command ids; the Qt layer builds its widgets from
// these tables.

#include <string>
#include <vector>

namespace pocket::app {

// The views of the main dialog. Nothing selects YAHOO: its button stays hidden.
constexpr int kViewMsn = 1;
constexpr int kViewIcq = 2;
constexpr int kViewYahoo = 3;
constexpr int kViewMyPc = 4;
constexpr int kViewMail = 5;

// The main dialog sits this far below the top of the frame window, under
// the title band.
constexpr int kTitleBandHeight = 26;
constexpr int kMainDialogResource = 101;

// View buttons.
constexpr int kButtonMsn = 1000;
constexpr int kButtonIcq = 1001;
constexpr int kButtonYahoo = 1004;
constexpr int kButtonMyPc = 1078;
constexpr int kButtonMail = 1038;

// Trees.
constexpr int kMsnTree = 1002;
constexpr int kIcqTree = 1003;
constexpr int kYahooTree = 1005;
constexpr int kMyPcTree = 1080;

// The web view and its buttons.
constexpr int kWebView = 5000;
constexpr int kWebViewButton = 1101; // "View"
constexpr int kDocButton = 1111; // "Doc"
constexpr int kAddressBox = 1019;
constexpr int kGoButton = 1169;
constexpr int kStopButton = 1164;
constexpr int kRefreshButton = 1165;
constexpr int kHomeButton = 1166;
constexpr int kSaveButton = 1167;
constexpr int kPrevPageButton = 1082; // "P"
constexpr int kNextPageButton = 1083; // "N"

// The e-mail view.
constexpr int kMailListTab = 1149; // MTAB1
constexpr int kMailContentTab = 1150; // MTAB2
constexpr int kMailRefresh = 1151;
constexpr int kMailWrite = 1102; // "메일 쓰기"
constexpr int kMailView = 1136; // "보기"
constexpr int kMailDelete = 1137; // "삭제"
constexpr int kMailSave = 1140; // "저장"
constexpr int kMailList = 1134;
constexpr int kMailAttachments = 1135;
constexpr int kMailProgress = 1138;

// The mail content screen: the header line and the mail-body HTML view
// (ids of the program's own; the device drew them from its own resources).
constexpr int kMailHeader = 5002;
constexpr int kMailBody = 5001;
// The button that shows or hides the header box, and the "Text"/"Html"
// choice of the mail view (the "mailformat" setting).
constexpr int kMailHeaderToggle = 5005;
constexpr int kMailFormatBox = 5006;

// The My PC view's search results ("파일명", "파일 경로", "파일크기(BYTE)")
// and the button that switches between the tree and them.
constexpr int kSearchResults = 5003;
constexpr int kResultsSwitch = 5004;

// "화면변경": the My PC view between its tree and the web view, the
// e-mail view between its list and the mail content.
constexpr int kScreenChangePc = 1168;
constexpr int kScreenChangeMail = 1170;

// Which of its screens a view shows: the My PC tree or the web view, the
// mail list or the mail content; the My PC view also has its search results.
enum class Screen {
    Main,
    Alternate,
    Results,
};

// The view button of a view (0 for none), and the view of a button (0 for none).
int viewButton(int view);
int viewOfButton(int buttonId);

// The view buttons shown for a messenger layout code: the messengers the
// settings enable (never YAHOO), then My PC and e-mail.
std::vector<int> visibleViewButtons(int messengerLayoutCode);

// Every control that view switching shows or hides.
const std::vector<int>& switchableControls();
// The controls a view shows on one of its screens.
std::vector<int> controlsOf(int view, Screen screen);

// Menu bars: 105 while disconnected from the PC, 204 while connected.
constexpr int kMenuBarDisconnected = 105;
constexpr int kMenuBarConnected = 204;

// Menu commands of the frame window.
constexpr int kCmdMsnHome = 40048; // "MSN 바로가기"
constexpr int kCmdIcqHome = 40049; // "ICQ 바로가기"
constexpr int kCmdDial = 40052; // "인터넷 접속"
constexpr int kCmdOptions = 40053; // "환경설정"
constexpr int kCmdExit = 40054; // "끝내기"
constexpr int kCmdAbout = 40060; // "About.."
constexpr int kCmdPenMessages = 40063; // "펜 메세지 보관함"
constexpr int kCmdConnect = 40104; // "접속하기"
constexpr int kCmdDisconnect = 40109; // "접속끊기"
// The messengers' log-in and log-out, beside those of their pages (ids of
// the program's own).
constexpr int kCmdMsnLogin = 40120;
constexpr int kCmdMsnLogout = 40121;
constexpr int kCmdIcqLogin = 40122;
constexpr int kCmdIcqLogout = 40123;

// The pages 40048 and 40049 open in the web view.
constexpr const char* kMsnHomePage = "http://www.msn.com/";
constexpr const char* kIcqHomePage = "http://www.icq.com/";

struct MenuItem {
    int command = 0; // 0 for a submenu.
    std::string text;
    std::vector<MenuItem> children;
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
};

// The menus of menu bar 105 or 204 ("View" and "Tools"); nothing for another id.
std::vector<Menu> menuBar(int resource);

} // namespace pocket::app
