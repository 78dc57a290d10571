#pragma once

// File: pocket/device/contact_store.h
// The device's contact store: messenger friends are copied into it, and the
// mail composer's address book is filled from it. The store is a vCard 3.0
// file in the device root; a session opens it for each use and closes it
// after (reads the file, and writes it back when something was added).
// Failures are reported in message boxes titled "Quillon". Window thread only.

#include "platform/result.h"
#include "platform/ui.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::device {

namespace contact_text {
    constexpr std::string_view kTitle = "Quillon";
    constexpr std::string_view kNoFolder = "Failure to obtain Calendar folder.";
    constexpr std::string_view kCannotCreate = "Error creating a new Contact.";
    constexpr std::string_view kAdded = "My Contact에 추가하였습니다.";
    constexpr std::string_view kAddressBookTitle = "Contact AddressBook";
} // namespace contact_text

// The store's file under the device root.
constexpr std::string_view kContactsFileName = "Contacts.vcf";

// A contact copied from a messenger. Every value is optional. The two name
// values become the given and family name; the display name is "%s %s" of
// the two display parts, set unless both are empty.
struct ContactValues {
    std::string email;
    std::string firstName;
    std::string lastName;
    std::string displayFirst;
    std::string displayLast;
};

// One row of the address book.
struct AddressRow {
    std::string name;
    std::string email;
    friend bool operator==(const AddressRow&, const AddressRow&) = default;
};

// The address-book list of the mail composer.
class AddressBookView {
public:
    virtual ~AddressBookView() = default;
    virtual void setCheckBoxesAndFullRowSelect() = 0;
    virtual void appendRow(const AddressRow& row) = 0;
};

class ContactStore {
public:
    ContactStore(std::filesystem::path deviceRoot, platform::Ui& ui);

    // Adds one contact with the network's name ("MSN", "ICQ") as category.
    // Returns whether a contact was created: a contact with the same first
    // e-mail and category is not added again.
    bool addContact(const ContactValues& values, std::string_view network);

    // Adds several in one session; returns how many were created, or
    // nothing when the store could not be opened or written.
    std::optional<int> addContacts(const std::vector<ContactValues>& contacts, std::string_view network);

    // Every contact that has an e-mail address, in store order; the name is
    // the two name values joined without separator.
    std::optional<std::vector<AddressRow>> listContacts();

    // Fills the address book; false when the store could not be opened.
    bool fillAddressBook(AddressBookView& view);

    std::filesystem::path file() const { return m_file; }

private:
    struct Session;
    std::optional<Session> open();
    bool close(Session& session);

    std::filesystem::path m_file;
    platform::Ui& m_ui;
};

} // namespace pocket::device
