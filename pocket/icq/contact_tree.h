#pragma once

// File: pocket/icq/contact_tree.h
// The contact tree of the ICQ page: two roots, "온라인 사용자" and
// "오프라인 사용자", each showing the placeholder "사용자 없음" while empty.
// Offline and invisible contacts sit under the offline root with their nick
// (or number) alone; the others under the online root as "nick (status)".
// ContactTree decides; the page implements ContactTreeView and draws.
// Window thread only.

#include "pocket/icq/contact_list.h"

#include <string>
#include <string_view>

namespace pocket::icq {

namespace tree_text {
constexpr std::string_view kOnlineRoot = "온라인 사용자";
constexpr std::string_view kOfflineRoot = "오프라인 사용자";
constexpr std::string_view kNoUsers = "사용자 없음";
} // namespace tree_text

enum class TreeGroup { Online, Offline };

class ContactTreeView {
public:
    virtual ~ContactTreeView() = default;
    // Both roots, each with its placeholder and nothing else.
    virtual void resetRoots() = 0;
    virtual void setPlaceholder(TreeGroup group, bool shown) = 0;
    // image -1 means no picture.
    virtual void insertItem(TreeGroup group, int item, std::string_view label, int image) = 0;
    virtual void updateItem(int item, std::string_view label, int image) = 0;
    virtual void removeItem(int item) = 0;
};

TreeGroup groupOf(const IcqContact& contact);
std::string itemLabel(const IcqContact& contact);

class ContactTree {
public:
    explicit ContactTree(ContactTreeView& view);

    // Empty roots; every contact loses its item.
    void reset(ContactList& contacts);
    // Empty roots, then every contact inserted again.
    void rebuild(ContactList& contacts);
    // Updates the contact's item in place, or moves it to its new group.
    void redraw(IcqContact& contact);
    void remove(IcqContact& contact);

private:
    void insert(IcqContact& contact);
    void showPlaceholders();

    ContactTreeView& m_view;
    int m_nextItem = 1;
    int m_onlineCount = 0;
    int m_offlineCount = 0;
    // The group each item was inserted under, by item.
    std::vector<std::pair<int, TreeGroup>> m_groups;
};

} // namespace pocket::icq
