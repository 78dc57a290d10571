#include "pocket/msn/msn_contact_table.h"

namespace pocket::msn {

int MsnContactTable::findByEmail(std::string_view email) const
{
    // Cleared records have no e-mail and are nobody's.
    if (email.empty())
        return -1;
    for (int i = 0; i < size(); ++i)
        if (m_contacts[static_cast<std::size_t>(i)].email == email)
            return i;
    return -1;
}

int MsnContactTable::findByItem(TreeItem item) const
{
    if (item == 0)
        return -1;
    for (int i = 0; i < size(); ++i)
        if (m_contacts[static_cast<std::size_t>(i)].item == item)
            return i;
    return -1;
}

int MsnContactTable::add(MsnContact contact)
{
    m_contacts.push_back(std::move(contact));
    return lastIndex();
}

void MsnContactTable::clearRecord(int index)
{
    if (!isValid(index))
        return;
    at(index) = MsnContact {};
}

} // namespace pocket::msn
