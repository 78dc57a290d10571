#pragma once

// File: pocket/icq/message_text.h
// Small rules of the ICQ page kept apart so they can be checked alone: the
// fields of URL and contact messages, the types of plugin messages, the
// check of the add-contact entry and the page menu's state. Pure.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::icq {

// Types of received messages.
constexpr std::uint8_t kTypeText = 1;
constexpr std::uint8_t kTypeUrl = 4;

// The text cut at every byte 0xFE into at most kMaxFields fields; the last
// field keeps the rest.
constexpr std::size_t kMaxFields = 20;
std::vector<std::string> splitFields(std::string_view text);
bool hasFields(std::uint8_t type);

// The message type of a channel-2 plugin by its name; nothing for others.
std::optional<std::uint8_t> pluginType(std::string_view name);

// Types that are dropped without a word.
bool isSilentType(std::uint8_t type);

namespace add_text {
// Dialog 125 of the MSN page, retitled for ICQ; the entry takes digits only.
constexpr std::string_view kCaption = "ICQ - Add/Invite Users";
constexpr std::string_view kPrompt = "사용자 ICQ number를 입력하세요.";
constexpr std::string_view kEnterNumber = "사용자 ICQ 번호를 입력해주세요.";
constexpr std::string_view kWrongNumber = "입력된 번호는 잘못된 번호입니다.\n(10000 - 2147482646)";
} // namespace add_text

// The add dialog's entry: nothing when it is acceptable, else the text.
std::optional<std::string_view> checkAddEntry(std::string_view entry);

// The ICQ page's commands.
namespace command {
constexpr int kContactInfo = 40021;
constexpr int kConnect = 40025;
constexpr int kLogout = 40026;
constexpr int kStatusOnline = 40027;
constexpr int kStatusFreeForChat = 40028;
constexpr int kStatusAway = 40029;
constexpr int kStatusNotAvailable = 40030;
constexpr int kStatusOccupied = 40031;
constexpr int kStatusDoNotDisturb = 40032;
constexpr int kStatusInvisible = 40033;
constexpr int kAddContact = 40034;
constexpr int kBroadcast = 40035;
constexpr int kOpenMessageWindow = 40038;
constexpr int kEmail = 40039;
constexpr int kDeleteContact = 40040;
constexpr int kPenMessage = 40042;
constexpr int kCopyAllToDevice = 40061;
constexpr int kCopyToDevice = 40062;
} // namespace command

// The status a status command sets, or nothing for other commands.
std::optional<std::uint32_t> statusOfCommand(int commandId);

struct PageMenuState {
    bool connect = true;
    bool logout = false;
    bool addContact = false;
    bool broadcast = false;
    bool copyAll = false;
    bool statusMenu = false;
    int checkedStatusCommand = 0; // 0: none checked.
};
PageMenuState pageMenuState(std::uint32_t ownStatus);

} // namespace pocket::icq
