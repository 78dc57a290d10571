#include "pocket/icq/message_windows.h"

namespace pocket::icq {

MessageWindows::MessageWindows(MessageWindowHost& host)
    : m_host(host)
{
}

bool MessageWindows::isOpen(int slot) const
{
    return slot >= 0 && slot < kMaxWindows && m_entries[static_cast<std::size_t>(slot)].view != nullptr;
}

std::optional<int> MessageWindows::open(std::string_view number, bool unknownSender)
{
    for (int slot = 0; slot < kMaxWindows; ++slot) {
        auto& entry = m_entries[static_cast<std::size_t>(slot)];
        if (entry.view)
            continue;
        entry.view = m_host.createMessageWindow(slot);
        if (!entry.view)
            return std::nullopt;
        entry.number = std::string(number);
        entry.unknownSender = unknownSender;
        return slot;
    }
    return std::nullopt;
}

std::optional<int> MessageWindows::find(std::string_view number) const
{
    for (int slot = 0; slot < kMaxWindows; ++slot) {
        if (isOpen(slot) && m_entries[static_cast<std::size_t>(slot)].number == number)
            return slot;
    }
    return std::nullopt;
}

MessageWindowView* MessageWindows::view(int slot)
{
    return isOpen(slot) ? m_entries[static_cast<std::size_t>(slot)].view.get() : nullptr;
}

const std::string& MessageWindows::number(int slot) const
{
    static const std::string kNone;
    return isOpen(slot) ? m_entries[static_cast<std::size_t>(slot)].number : kNone;
}

bool MessageWindows::isUnknownSender(int slot) const
{
    return isOpen(slot) && m_entries[static_cast<std::size_t>(slot)].unknownSender;
}

void MessageWindows::setUnknownSender(int slot, bool unknown)
{
    if (isOpen(slot))
        m_entries[static_cast<std::size_t>(slot)].unknownSender = unknown;
}

void MessageWindows::closed(int slot)
{
    if (isOpen(slot))
        m_entries[static_cast<std::size_t>(slot)] = Entry {};
}

void MessageWindows::clear()
{
    for (auto& entry : m_entries) {
        if (entry.view)
            entry.view->close();
        entry = Entry {};
    }
}

int MessageWindows::count() const
{
    int open = 0;
    for (int slot = 0; slot < kMaxWindows; ++slot)
        open += isOpen(slot) ? 1 : 0;
    return open;
}

} // namespace pocket::icq
