#include "pocket/icq/message_text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pocket::icq {

namespace {

constexpr std::array<std::pair<int, std::uint32_t>, 7> kStatusCommands { { { command::kStatusOnline, 0 },
    { command::kStatusFreeForChat, 32 }, { command::kStatusAway, 1 }, { command::kStatusNotAvailable, 4 },
    { command::kStatusOccupied, 16 }, { command::kStatusDoNotDisturb, 18 }, { command::kStatusInvisible, 256 } } };

} // namespace

std::vector<std::string> splitFields(std::string_view text)
{
    std::vector<std::string> fields;
    while (fields.size() + 1 < kMaxFields) {
        const auto cut = text.find('\xFE');
        if (cut == std::string_view::npos)
            break;
        fields.emplace_back(text.substr(0, cut));
        text.remove_prefix(cut + 1);
    }
    fields.emplace_back(text);
    return fields;
}

bool hasFields(std::uint8_t type)
{
    return type == 4 || type == 6 || type == 12 || type == 19;
}

std::optional<std::uint8_t> pluginType(std::string_view name)
{
    static const std::pair<std::string_view, std::uint8_t> kPlugins[] = { { "Web Page Address (URL)", 4 },
        { "Contacts", 19 }, { "ICQ Chat", 2 }, { "File", 3 }, { "File Transfer", 3 }, { "Request For Contacts", 26 } };
    for (const auto& [plugin, type] : kPlugins) {
        if (plugin == name)
            return type;
    }
    return std::nullopt;
}

bool isSilentType(std::uint8_t type)
{
    return type == 3 || type == 6 || type == 26 || (type >= 232 && type <= 236);
}

std::optional<std::string_view> checkAddEntry(std::string_view entry)
{
    if (entry.empty())
        return add_text::kEnterNumber;
    const bool digits = std::all_of(entry.begin(), entry.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || entry.size() < 5 || entry.size() > 10)
        return add_text::kWrongNumber;
    return std::nullopt;
}

std::optional<std::uint32_t> statusOfCommand(int commandId)
{
    for (const auto& [id, status] : kStatusCommands) {
        if (id == commandId)
            return status;
    }
    return std::nullopt;
}

PageMenuState pageMenuState(std::uint32_t ownStatus)
{
    PageMenuState state;
    if (ownStatus == 2)
        return state;
    state.connect = false;
    state.logout = state.addContact = state.broadcast = state.copyAll = state.statusMenu = true;
    for (const auto& [id, status] : kStatusCommands) {
        if (status == ownStatus)
            state.checkedStatusCommand = id;
    }
    return state;
}

} // namespace pocket::icq
