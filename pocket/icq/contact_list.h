#pragma once

// File: pocket/icq/contact_list.h
// The ICQ contacts of the signed-on session (at most kMaxContacts), with
// their presence and the texts the information answers fill in, and the
// status texts and pictures of the ICQ page. Window thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::icq {

struct IcqContact {
    std::uint32_t externalIp = 0;
    std::uint32_t internalIp = 0;
    std::uint32_t directPort = 0;
    std::uint32_t directCookie = 0;
    std::uint8_t connectionType = 0;
    std::uint16_t protocolVersion = 0;
    std::string email;
    std::string nick;
    std::string firstName;
    std::string lastName;
    std::string number; // Decimal ICQ number.
    std::uint16_t status = 2;
    // A presence notice (03,0B or 03,0C) arrived this session.
    bool presenceSeen = false;
    int treeItem = 0; // 0 while the contact has no tree item.

    // The nick, or the number while no nick is known.
    const std::string& displayName() const { return nick.empty() ? number : nick; }
    bool isOffline() const;
};

// "온라인", "자리비움", ... for an OSCAR status; empty for other values.
std::string_view statusText(std::uint32_t status);
// The tree picture of a status, or nothing.
std::optional<int> statusImage(std::uint32_t status);
// The own-status bitmap of the ICQ page, or nothing.
std::optional<int> ownStatusBitmap(std::uint32_t status);
// The bitmap of each tree picture, in picture order: the same pictures as
// the own status shows (online, away, offline, not available, occupied, do
// not disturb, free for chat, invisible).
constexpr int kTreeBitmaps[8] = { 116, 118, 114, 119, 115, 120, 122, 121 };
// Offline and invisible contacts are listed as offline.
bool isOfflineStatus(std::uint32_t status);

class ContactList {
public:
    static constexpr std::size_t kMaxContacts = 151;

    // Appends a contact with status offline and empty texts; nothing when
    // the list is full.
    IcqContact* add(std::string_view number);
    // Removes the contact; later ones move down.
    bool remove(std::string_view number);
    void clear() { m_contacts.clear(); }

    IcqContact* find(std::string_view number);
    const IcqContact* find(std::string_view number) const;
    std::optional<std::size_t> indexOf(std::string_view number) const;

    std::size_t size() const { return m_contacts.size(); }
    bool isFull() const { return m_contacts.size() >= kMaxContacts; }
    IcqContact& at(std::size_t index) { return m_contacts.at(index); }
    const IcqContact& at(std::size_t index) const { return m_contacts.at(index); }
    std::vector<std::string> numbers() const;
    auto begin() { return m_contacts.begin(); }
    auto end() { return m_contacts.end(); }
    auto begin() const { return m_contacts.begin(); }
    auto end() const { return m_contacts.end(); }

private:
    std::vector<IcqContact> m_contacts;
};

} // namespace pocket::icq
