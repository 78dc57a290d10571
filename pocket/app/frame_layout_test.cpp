#include "pocket/app/frame_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace pocket::app {
namespace {

    // Flattens a menu bar into "Menu/Item=id" lines.
    std::vector<std::string> flatten(const std::vector<Menu>& menus)
    {
        std::vector<std::string> lines;
        for (const auto& menu : menus) {
            for (const auto& item : menu.items) {
                if (item.command == 0) {
                    for (const auto& child : item.children)
                        lines.push_back(menu.title + "/" + item.text + "/" + child.text + "="
                            + std::to_string(child.command));
                } else {
                    lines.push_back(menu.title + "/" + item.text + "=" + std::to_string(item.command));
                }
            }
        }
        return lines;
    }

    TEST(FrameLayout, MenuBarsDifferOnlyInTheConnectItem)
    {
        const std::vector<std::string> disconnected = {
            "View/홈페이지/MSN 바로가기=40048",
            "View/홈페이지/ICQ 바로가기=40049",
            "View/About..=40060",
            "Tools/접속하기=40104",
            "Tools/메신저(&M)/MSN 로그인(&L)=40120",
            "Tools/메신저(&M)/MSN 로그아웃(&O)=40121",
            "Tools/메신저(&M)/ICQ 로그인(&I)=40122",
            "Tools/메신저(&M)/ICQ 로그아웃(&U)=40123",
            "Tools/펜 메세지 보관함=40063",
            "Tools/인터넷 접속=40052",
            "Tools/환경설정=40053",
            "Tools/끝내기=40054",
        };
        EXPECT_EQ(flatten(menuBar(kMenuBarDisconnected)), disconnected);
        auto connected = disconnected;
        connected[3] = "Tools/접속끊기=40109";
        EXPECT_EQ(flatten(menuBar(kMenuBarConnected)), connected);
        EXPECT_TRUE(menuBar(101).empty());
    }

    TEST(FrameLayout, EveryViewShowsOnlySwitchableControlsAndNoTwoViewsShareATree)
    {
        const auto& all = switchableControls();
        const std::set<int> unique(all.begin(), all.end());
        EXPECT_EQ(unique.size(), all.size());
        std::set<int> trees;
        for (int view : { kViewMsn, kViewIcq, kViewYahoo, kViewMyPc, kViewMail }) {
            for (Screen screen : { Screen::Main, Screen::Alternate, Screen::Results }) {
                SCOPED_TRACE(view);
                const auto shown = controlsOf(view, screen);
                EXPECT_FALSE(shown.empty());
                for (int id : shown)
                    EXPECT_TRUE(unique.count(id)) << id;
            }
        }
        for (int tree : { kMsnTree, kIcqTree, kYahooTree, kMyPcTree }) {
            int owners = 0;
            for (int view : { kViewMsn, kViewIcq, kViewYahoo, kViewMyPc, kViewMail }) {
                const auto shown = controlsOf(view, Screen::Main);
                owners += std::count(shown.begin(), shown.end(), tree);
            }
            EXPECT_EQ(owners, 1) << tree;
        }
        // The web view and the My PC tree never show together.
        for (Screen screen : { Screen::Main, Screen::Alternate }) {
            const auto shown = controlsOf(kViewMyPc, screen);
            EXPECT_NE(std::count(shown.begin(), shown.end(), kWebView),
                std::count(shown.begin(), shown.end(), kMyPcTree));
        }
        // The search results show alone, with their page buttons.
        const auto results = controlsOf(kViewMyPc, Screen::Results);
        for (int id : { kSearchResults, kPrevPageButton, kNextPageButton, kResultsSwitch })
            EXPECT_EQ(std::count(results.begin(), results.end(), id), 1) << id;
        for (int id : { kMyPcTree, kWebView })
            EXPECT_EQ(std::count(results.begin(), results.end(), id), 0) << id;
    }

    TEST(FrameLayout, ViewButtonsFollowTheLayoutCode)
    {
        struct Case {
            int code;
            std::vector<int> buttons;
        };
        const Case cases[] = {
            { 0, { kButtonMsn, kButtonMyPc, kButtonMail } },
            { 1, { kButtonIcq, kButtonMyPc, kButtonMail } },
            { 2, { kButtonMyPc, kButtonMail } },
            { 3, { kButtonMsn, kButtonIcq, kButtonMyPc, kButtonMail } },
            { 4, { kButtonMsn, kButtonMyPc, kButtonMail } },
            { 5, { kButtonIcq, kButtonMyPc, kButtonMail } },
            { 6, { kButtonMsn, kButtonIcq, kButtonMyPc, kButtonMail } },
            { -1, { kButtonMyPc, kButtonMail } },
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.code);
            EXPECT_EQ(visibleViewButtons(c.code), c.buttons);
        }
        for (int view : { kViewMsn, kViewIcq, kViewYahoo, kViewMyPc, kViewMail })
            EXPECT_EQ(viewOfButton(viewButton(view)), view);
        EXPECT_EQ(viewOfButton(kMsnTree), 0);
    }

} // namespace
} // namespace pocket::app
