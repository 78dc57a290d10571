#include "pocket/app/frame_layout.h"

#include <algorithm>

namespace pocket::app {

namespace {

    struct ViewButton {
        int view;
        int button;
    };

    constexpr ViewButton kViewButtons[] = {
        { kViewMsn, kButtonMsn },
        { kViewIcq, kButtonIcq },
        { kViewYahoo, kButtonYahoo },
        { kViewMyPc, kButtonMyPc },
        { kViewMail, kButtonMail },
    };

    const std::vector<int> kWebControls = { kWebView, kWebViewButton, kDocButton, kAddressBox, kGoButton,
        kStopButton, kRefreshButton, kHomeButton, kSaveButton, kPrevPageButton, kNextPageButton };

    const std::vector<int> kMailCommon
        = { kMailListTab, kMailContentTab, kMailRefresh, kMailWrite, kMailProgress, kScreenChangeMail };

} // namespace

int viewButton(int view)
{
    for (const auto& entry : kViewButtons) {
        if (entry.view == view)
            return entry.button;
    }
    return 0;
}

int viewOfButton(int buttonId)
{
    for (const auto& entry : kViewButtons) {
        if (entry.button == buttonId)
            return entry.view;
    }
    return 0;
}

std::vector<int> visibleViewButtons(int messengerLayoutCode)
{
    // Codes 0, 3, 4 and 6 include MSN; 1, 3, 5 and 6 include ICQ. YAHOO
    // (codes 2, 4, 5, 6) has no protocol, so its button never shows.
    std::vector<int> buttons;
    const int code = messengerLayoutCode;
    if (code == 0 || code == 3 || code == 4 || code == 6)
        buttons.push_back(kButtonMsn);
    if (code == 1 || code == 3 || code == 5 || code == 6)
        buttons.push_back(kButtonIcq);
    buttons.push_back(kButtonMyPc);
    buttons.push_back(kButtonMail);
    return buttons;
}

const std::vector<int>& switchableControls()
{
    static const std::vector<int> controls = [] {
        std::vector<int> all = { kMsnTree, kIcqTree, kYahooTree, kMyPcTree, kScreenChangePc, kSearchResults, kResultsSwitch };
        all.insert(all.end(), kWebControls.begin(), kWebControls.end());
        all.insert(all.end(), kMailCommon.begin(), kMailCommon.end());
        for (int id : { kMailView, kMailDelete, kMailSave, kMailList, kMailAttachments, kMailHeader, kMailBody,
                 kMailHeaderToggle, kMailFormatBox })
            all.push_back(id);
        return all;
    }();
    return controls;
}

std::vector<int> controlsOf(int view, Screen screen)
{
    switch (view) {
    case kViewMsn:
        return { kMsnTree };
    case kViewIcq:
        return { kIcqTree };
    case kViewYahoo:
        return { kYahooTree };
    case kViewMyPc: {
        if (screen == Screen::Main)
            return { kMyPcTree, kResultsSwitch, kScreenChangePc };
        // The results page with "P" and "N".
        if (screen == Screen::Results)
            return { kSearchResults, kResultsSwitch, kPrevPageButton, kNextPageButton, kScreenChangePc };
        std::vector<int> controls = kWebControls;
        controls.push_back(kScreenChangePc);
        return controls;
    }
    case kViewMail: {
        std::vector<int> controls = kMailCommon;
        if (screen == Screen::Main) {
            for (int id : { kMailList, kMailView, kMailDelete })
                controls.push_back(id);
        } else {
            for (int id : { kMailHeader, kMailBody, kMailSave, kMailHeaderToggle, kMailFormatBox })
                controls.push_back(id);
        }
        return controls;
    }
    default:
        return {};
    }
}

std::vector<Menu> menuBar(int resource)
{
    if (resource != kMenuBarDisconnected && resource != kMenuBarConnected)
        return {};
    Menu view { "View",
        {
            { 0, "홈페이지", { { kCmdMsnHome, "MSN 바로가기", {} }, { kCmdIcqHome, "ICQ 바로가기", {} } } },
            { kCmdAbout, "About..", {} },
        } };
    const bool connected = resource == kMenuBarConnected;
    Menu tools { "Tools",
        {
            connected ? MenuItem { kCmdDisconnect, "접속끊기", {} }
                      : MenuItem { kCmdConnect, "접속하기", {} },
            { 0, "메신저(&M)",
                { { kCmdMsnLogin, "MSN 로그인(&L)", {} }, { kCmdMsnLogout, "MSN 로그아웃(&O)", {} },
                    { kCmdIcqLogin, "ICQ 로그인(&I)", {} }, { kCmdIcqLogout, "ICQ 로그아웃(&U)", {} } } },
            { kCmdPenMessages, "펜 메세지 보관함", {} },
            { kCmdDial, "인터넷 접속", {} },
            { kCmdOptions, "환경설정", {} },
            { kCmdExit, "끝내기", {} },
        } };
    return { view, tools };
}

} // namespace pocket::app
