#include "pocket/device/contact_store.h"

#include "platform/files.h"
#include "platform/testing/fake_ui.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pocket::device {
namespace {

    class RecordingAddressBook final : public AddressBookView {
    public:
        void setCheckBoxesAndFullRowSelect() override { styled = true; }
        void appendRow(const AddressRow& row) override { rows.push_back(row); }
        bool styled = false;
        std::vector<AddressRow> rows;
    };

    class ContactStoreTest : public ::testing::Test {
    protected:
        pocket::ink::testing::TempFolder m_root;
        platform::testing::FakeUi m_ui;
        ContactStore m_store { m_root.path(), m_ui };
    };

    TEST_F(ContactStoreTest, CopyingTheSameFriendTwiceCreatesOneContact)
    {
        ContactValues friendValues { "a@example.com", "Alice", "", "", "" };
        EXPECT_TRUE(m_store.addContact(friendValues, "MSN"));
        EXPECT_FALSE(m_store.addContact(friendValues, "MSN"));
        // The same address from the other network is another contact.
        EXPECT_TRUE(m_store.addContact(friendValues, "ICQ"));
        auto rows = m_store.listContacts();
        ASSERT_TRUE(rows);
        EXPECT_EQ(rows->size(), 2u);
        EXPECT_EQ(m_ui.callCount(), 0u);
    }

    TEST_F(ContactStoreTest, BatchCountsOnlyNewContactsAndKeepsOrder)
    {
        std::vector<ContactValues> friends {
            { "a@example.com", "Alice", "", "", "" },
            { "b@example.com", "Bob", "Kim", "Bob", "Kim" },
            { "a@example.com", "Alice again", "", "", "" },
        };
        EXPECT_EQ(m_store.addContacts(friends, "MSN"), 2);
        EXPECT_EQ(m_store.addContacts(friends, "MSN"), 0);
        auto rows = m_store.listContacts();
        ASSERT_TRUE(rows);
        EXPECT_EQ(
            *rows, (std::vector<AddressRow> { { "Alice", "a@example.com" }, { "BobKim", "b@example.com" } }));
    }

    TEST_F(ContactStoreTest, AddressBookSkipsContactsWithoutEmail)
    {
        ASSERT_TRUE(platform::writeFileAtomically(m_store.file(),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;Nomail;;;\r\nFN:Nomail\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Mina;;;\r\nFN:Mina "
            "Lee\r\nEMAIL:mina@example.com\r\nEND:VCARD\r\n"));
        RecordingAddressBook book;
        EXPECT_TRUE(m_store.fillAddressBook(book));
        EXPECT_TRUE(book.styled);
        EXPECT_EQ(book.rows, (std::vector<AddressRow> { { "MinaLee", "mina@example.com" } }));
    }

    TEST_F(ContactStoreTest, EmptyValuesStayUnsetAndDisplayNameIsComposed)
    {
        EXPECT_TRUE(m_store.addContact({ "", "", "", "", "" }, "ICQ"));
        EXPECT_TRUE(m_store.addContact({ "x@example.com", "", "", "Hong", "Gildong" }, "MSN"));
        auto text = platform::readWholeFile(m_store.file());
        ASSERT_TRUE(text);
        EXPECT_NE(text->find("FN:Hong Gildong\r\n"), std::string::npos);
        EXPECT_EQ(text->find("EMAIL;TYPE=INTERNET:\r\n"), std::string::npos);
    }

    TEST_F(ContactStoreTest, UnreadableStoreIsReportedAndNeverOverwritten)
    {
        if (::geteuid() == 0)
            GTEST_SKIP() << "root reads every file";
        ASSERT_TRUE(platform::writeFileAtomically(m_store.file(), "BEGIN:VCARD\r\nFN:keep\r\nEND:VCARD\r\n"));
        ::chmod(m_store.file().c_str(), 0);
        EXPECT_FALSE(m_store.addContact({ "a@example.com", "A", "", "", "" }, "MSN"));
        ASSERT_EQ(m_ui.callCount(), 1u);
        EXPECT_EQ(m_ui.calls()[0].title, "Quillon");
        EXPECT_EQ(m_ui.calls()[0].text, "Failure to obtain Calendar folder.");
        ::chmod(m_store.file().c_str(), 0600);
        EXPECT_NE(platform::readWholeFile(m_store.file())->find("FN:keep"), std::string::npos);
    }

    TEST_F(ContactStoreTest, StoreThatIsNoFileIsNotUsed)
    {
        // The store's place is taken by a folder: it cannot be read.
        std::filesystem::create_directories(m_store.file() / "x");
        EXPECT_FALSE(m_store.addContact({ "a@example.com", "A", "", "", "" }, "MSN"));
        EXPECT_FALSE(m_store.listContacts());
        ASSERT_EQ(m_ui.callCount(), 2u);
        EXPECT_EQ(m_ui.calls()[0].text, "Failure to obtain Calendar folder.");
    }

    TEST_F(ContactStoreTest, WriteFailureSaysTheContactCouldNotBeCreated)
    {
        // No store yet, and its folder cannot be made (not even by root).
        ContactStore store("/proc/self/no-such-device", m_ui);
        EXPECT_FALSE(store.addContact({ "a@example.com", "A", "", "", "" }, "MSN"));
        ASSERT_EQ(m_ui.callCount(), 1u);
        EXPECT_EQ(m_ui.calls()[0].title, "Quillon");
        EXPECT_EQ(m_ui.calls()[0].text, "Error creating a new Contact.");
        // Nothing to add is no failure.
        EXPECT_EQ(store.addContacts({}, "MSN"), 0);
    }

} // namespace
} // namespace pocket::device
