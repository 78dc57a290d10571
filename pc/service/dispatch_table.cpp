#include "pc/service/dispatch_table.h"

#include <algorithm>

namespace pc::service {

void DispatchTable::add(std::int32_t code, CommandHandler handler)
{
    remove(code);
    m_entries.push_back({ code, std::move(handler) });
}

void DispatchTable::remove(std::int32_t code)
{
    std::erase_if(m_entries, [code](const Entry& entry) { return entry.code == code; });
}

bool DispatchTable::has(std::int32_t code) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [code](const Entry& e) { return e.code == code; });
}

bool DispatchTable::dispatch(const CommandContext& context) const
{
    for (const auto& entry : m_entries) {
        if (entry.code == context.code) {
            // Copy: the handler may change the table while it runs.
            CommandHandler handler = entry.handler;
            handler(context);
            return true;
        }
    }
    return false;
}

} // namespace pc::service
