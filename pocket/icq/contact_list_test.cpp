#include "pocket/icq/contact_file.h"
#include "pocket/icq/contact_tree.h"
#include "pocket/icq/message_text.h"
#include "pocket/icq/testing/fake_views.h"

#include "pocket/ink/testing/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using testing::FakeTree;

TEST(ContactFile, ReadsOnlySlashEndedNumbers)
{
    ink::testing::TempFolder folder;
    const auto file = contactFilePath(folder.path(), 123);
    ensureContactFile(file);
    EXPECT_TRUE(readContactNumbers(file, 151).empty());
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        { "111/222/", { "111", "222" } },
        { "111/222", { "111" } }, // The last number has no slash.
        { "111//abc/12345678901/333/", { "111", "333" } },
        { "../x/444/", { "444" } },
    };
    for (const auto& [content, expected] : cases) {
        std::ofstream(file, std::ios::trunc) << content;
        EXPECT_EQ(readContactNumbers(file, 151), expected) << content;
    }
    std::ofstream(file, std::ios::trunc) << "1/2/3/";
    EXPECT_EQ(readContactNumbers(file, 2).size(), 2u);
}

TEST(ContactFile, AppendsOnceAndRewrites)
{
    ink::testing::TempFolder folder;
    const auto file = contactFilePath(folder.path(), 5);
    EXPECT_EQ(file.filename(), "icq_5");
    ensureContactFile(file);
    appendContactNumber(file, "111");
    appendContactNumber(file, "222");
    appendContactNumber(file, "111");
    EXPECT_EQ(readContactNumbers(file, 151), (std::vector<std::string> { "111", "222" }));
    rewriteContactFile(file, { "222" });
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "222/");
}

TEST(ContactList, RefusesThe152ndContact)
{
    ContactList list;
    for (std::size_t i = 0; i < ContactList::kMaxContacts; ++i)
        ASSERT_TRUE(list.add(std::to_string(10000 + i)));
    EXPECT_FALSE(list.add("99999"));
    EXPECT_TRUE(list.remove("10000"));
    EXPECT_EQ(list.at(0).number, "10001");
}

TEST(ContactTree, RedrawUpdatesInPlaceOrMovesBetweenRoots)
{
    FakeTree view;
    ContactTree tree(view);
    ContactList list;
    list.add("111")->nick = "Kim";
    list.add("222");
    tree.rebuild(list);
    EXPECT_EQ(view.labels(TreeGroup::Offline), (std::vector<std::string> { "Kim", "222" }));
    EXPECT_TRUE(view.placeholders[TreeGroup::Online]);

    IcqContact& kim = *list.find("111");
    kim.status = 32;
    tree.redraw(kim);
    EXPECT_EQ(view.labels(TreeGroup::Online), (std::vector<std::string> { "Kim (대화가능)" }));
    EXPECT_EQ(view.items[kim.treeItem].image, 6);
    EXPECT_FALSE(view.placeholders[TreeGroup::Online]);
    const int updates = view.updates;
    kim.status = 1;
    tree.redraw(kim);
    EXPECT_EQ(view.updates, updates + 1);
    kim.status = 256; // Invisible counts as offline.
    tree.redraw(kim);
    EXPECT_TRUE(view.placeholders[TreeGroup::Online]);
    EXPECT_EQ(view.items[kim.treeItem].image, 7);
    tree.remove(kim);
    EXPECT_EQ(view.items.size(), 1u);
}

TEST(MessageText, StatusTextsAndPictures)
{
    const std::tuple<std::uint32_t, std::string_view, int, int> cases[] = { { 0, "온라인", 0, 116 },
        { 1, "자리비움", 1, 118 }, { 2, "오프라인", 2, 114 }, { 5, "오래 자리비움", 3, 119 },
        { 17, "다른 용무 중", 4, 115 }, { 19, "방해하지마시오", 5, 120 }, { 32, "대화가능", 6, 122 },
        { 256, "오프라인으로 표시", 7, 121 } };
    for (const auto& [status, text, image, bitmap] : cases) {
        EXPECT_EQ(statusText(status), text);
        EXPECT_EQ(statusImage(status), image);
        EXPECT_EQ(ownStatusBitmap(status), bitmap);
    }
    EXPECT_EQ(statusText(3), "");
    EXPECT_FALSE(statusImage(3));
}

TEST(MessageText, SplitsFieldsAtFeUpToTwenty)
{
    EXPECT_EQ(splitFields("a page\xFEhttp://x"), (std::vector<std::string> { "a page", "http://x" }));
    EXPECT_EQ(splitFields("plain"), (std::vector<std::string> { "plain" }));
    std::string many;
    for (int i = 0; i < 25; ++i)
        many += "f\xFE";
    const auto fields = splitFields(many);
    ASSERT_EQ(fields.size(), kMaxFields);
    EXPECT_EQ(fields.back().size(), 12u); // The rest stays in the last field.
}

TEST(MessageText, AddEntryNeedsFiveToTenDigits)
{
    const std::pair<std::string_view, std::optional<std::string_view>> cases[] = { { "", add_text::kEnterNumber },
        { "1234", add_text::kWrongNumber }, { "12345", std::nullopt }, { "1234567890", std::nullopt },
        { "12345678901", add_text::kWrongNumber }, { "12a45", add_text::kWrongNumber } };
    for (const auto& [entry, expected] : cases)
        EXPECT_EQ(checkAddEntry(entry), expected) << entry;
}

TEST(MessageText, PluginTypesAndPageMenu)
{
    EXPECT_EQ(pluginType("Web Page Address (URL)"), 4);
    EXPECT_EQ(pluginType("File Transfer"), 3);
    EXPECT_FALSE(pluginType("Greeting Card"));
    const auto offline = pageMenuState(2);
    EXPECT_TRUE(offline.connect);
    EXPECT_FALSE(offline.logout || offline.addContact || offline.broadcast || offline.copyAll || offline.statusMenu);
    const auto invisible = pageMenuState(256);
    EXPECT_FALSE(invisible.connect);
    EXPECT_EQ(invisible.checkedStatusCommand, command::kStatusInvisible);
    EXPECT_EQ(statusOfCommand(command::kStatusFreeForChat), 32u);
}

} // namespace
} // namespace pocket::icq
