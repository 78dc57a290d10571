#include "pocket/icq/contact_tree.h"

#include <algorithm>

namespace pocket::icq {

TreeGroup groupOf(const IcqContact& contact)
{
    return contact.isOffline() ? TreeGroup::Offline : TreeGroup::Online;
}

std::string itemLabel(const IcqContact& contact)
{
    if (contact.isOffline())
        return contact.displayName();
    return contact.displayName() + " (" + std::string(statusText(contact.status)) + ")";
}

ContactTree::ContactTree(ContactTreeView& view)
    : m_view(view)
{
}

void ContactTree::reset(ContactList& contacts)
{
    m_view.resetRoots();
    m_onlineCount = 0;
    m_offlineCount = 0;
    m_groups.clear();
    for (auto& contact : contacts)
        contact.treeItem = 0;
}

void ContactTree::rebuild(ContactList& contacts)
{
    reset(contacts);
    for (auto& contact : contacts)
        insert(contact);
    showPlaceholders();
}

void ContactTree::insert(IcqContact& contact)
{
    const auto group = groupOf(contact);
    contact.treeItem = m_nextItem++;
    m_groups.emplace_back(contact.treeItem, group);
    (group == TreeGroup::Online ? m_onlineCount : m_offlineCount) += 1;
    m_view.insertItem(group, contact.treeItem, itemLabel(contact), statusImage(contact.status).value_or(-1));
}

void ContactTree::remove(IcqContact& contact)
{
    auto found = std::find_if(m_groups.begin(), m_groups.end(),
        [&](const auto& entry) { return entry.first == contact.treeItem; });
    if (contact.treeItem == 0 || found == m_groups.end())
        return;
    (found->second == TreeGroup::Online ? m_onlineCount : m_offlineCount) -= 1;
    m_groups.erase(found);
    m_view.removeItem(contact.treeItem);
    contact.treeItem = 0;
    showPlaceholders();
}

void ContactTree::redraw(IcqContact& contact)
{
    auto found = std::find_if(m_groups.begin(), m_groups.end(),
        [&](const auto& entry) { return entry.first == contact.treeItem; });
    if (contact.treeItem != 0 && found != m_groups.end() && found->second == groupOf(contact)) {
        m_view.updateItem(contact.treeItem, itemLabel(contact), statusImage(contact.status).value_or(-1));
        return;
    }
    remove(contact);
    insert(contact);
    showPlaceholders();
}

void ContactTree::showPlaceholders()
{
    m_view.setPlaceholder(TreeGroup::Online, m_onlineCount == 0);
    m_view.setPlaceholder(TreeGroup::Offline, m_offlineCount == 0);
}

} // namespace pocket::icq
