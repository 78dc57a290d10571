#include "pocket/icq/contact_list.h"

#include <algorithm>

namespace pocket::icq {

bool isOfflineStatus(std::uint32_t status)
{
    return status == 2 || status == 256;
}

bool IcqContact::isOffline() const
{
    return isOfflineStatus(status);
}

std::string_view statusText(std::uint32_t status)
{
    switch (status) {
    case 0:
        return "온라인";
    case 1:
        return "자리비움";
    case 2:
        return "오프라인";
    case 4:
    case 5:
        return "오래 자리비움";
    case 16:
    case 17:
        return "다른 용무 중";
    case 18:
    case 19:
        return "방해하지마시오";
    case 32:
        return "대화가능";
    case 256:
        return "오프라인으로 표시";
    default:
        return {};
    }
}

std::optional<int> statusImage(std::uint32_t status)
{
    switch (status) {
    case 0:
        return 0;
    case 1:
        return 1;
    case 2:
        return 2;
    case 4:
    case 5:
        return 3;
    case 16:
    case 17:
        return 4;
    case 18:
    case 19:
        return 5;
    case 32:
        return 6;
    case 256:
        return 7;
    default:
        return std::nullopt;
    }
}

std::optional<int> ownStatusBitmap(std::uint32_t status)
{
    switch (status) {
    case 0:
        return 116;
    case 1:
        return 118;
    case 2:
        return 114;
    case 4:
    case 5:
        return 119;
    case 16:
    case 17:
        return 115;
    case 18:
    case 19:
        return 120;
    case 32:
        return 122;
    case 256:
        return 121;
    default:
        return std::nullopt;
    }
}

IcqContact* ContactList::add(std::string_view number)
{
    if (isFull())
        return nullptr;
    IcqContact contact;
    contact.number = std::string(number);
    m_contacts.push_back(std::move(contact));
    return &m_contacts.back();
}

bool ContactList::remove(std::string_view number)
{
    auto index = indexOf(number);
    if (!index)
        return false;
    m_contacts.erase(m_contacts.begin() + static_cast<std::ptrdiff_t>(*index));
    return true;
}

IcqContact* ContactList::find(std::string_view number)
{
    auto index = indexOf(number);
    return index ? &m_contacts[*index] : nullptr;
}

const IcqContact* ContactList::find(std::string_view number) const
{
    auto index = indexOf(number);
    return index ? &m_contacts[*index] : nullptr;
}

std::optional<std::size_t> ContactList::indexOf(std::string_view number) const
{
    auto found = std::find_if(m_contacts.begin(), m_contacts.end(),
        [&](const IcqContact& contact) { return contact.number == number; });
    if (found == m_contacts.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - m_contacts.begin());
}

std::vector<std::string> ContactList::numbers() const
{
    std::vector<std::string> numbers;
    numbers.reserve(m_contacts.size());
    for (const auto& contact : m_contacts)
        numbers.push_back(contact.number);
    return numbers;
}

} // namespace pocket::icq
