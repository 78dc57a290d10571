#pragma once

// File: pocket/msn/msn_contact_table.h
// The MSN contact table: at most 151 contacts, kept in the order the server
// listed them. A removed contact leaves a cleared record in its place (the
// indices of the others do not move). Window thread only.

#include "pocket/msn/msn_status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::msn {

// A tree item of the contact list view; 0 is "no item".
using TreeItem = std::uint64_t;

struct MsnContact {
    std::string email;
    std::string name;
    MsnStatusCode status = status::kUnknown;
    TreeItem item = 0;
};

class MsnContactTable {
public:
    static constexpr int kMaxContacts = 151;

    // Index of the first record with this e-mail, else -1.
    int findByEmail(std::string_view email) const;
    int findByItem(TreeItem item) const;

    bool isFull() const { return size() >= kMaxContacts; }
    // Appends a record and returns its index (the caller checks isFull()).
    int add(MsnContact contact);
    // Clears one record (e-mail, name, status unknown, no item) in place.
    void clearRecord(int index);
    void clear() { m_contacts.clear(); }

    int size() const { return static_cast<int>(m_contacts.size()); }
    // The index of the last used record, -1 when empty.
    int lastIndex() const { return size() - 1; }
    bool isValid(int index) const { return index >= 0 && index < size(); }
    MsnContact& at(int index) { return m_contacts.at(static_cast<std::size_t>(index)); }
    const MsnContact& at(int index) const { return m_contacts.at(static_cast<std::size_t>(index)); }

private:
    std::vector<MsnContact> m_contacts;
};

} // namespace pocket::msn
