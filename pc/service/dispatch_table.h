#pragma once

// File: pc/service/dispatch_table.h
// Routes a command to its handler by code: a table {code, handler}. Codes
// without a handler are ignored.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pc::service {

class CommandConnection;

// What a handler gets: the request's fields, the sender's dotted address and
// the connection it arrived on (valid for the duration of the call).
struct CommandContext {
    std::int32_t first = 0;
    std::int32_t code = 0;
    std::string text;
    std::string senderAddress;
    CommandConnection* connection = nullptr;
};

using CommandHandler = std::function<void(const CommandContext&)>;

class DispatchTable {
public:
    // Adds or replaces the handler of a code.
    void add(std::int32_t code, CommandHandler handler);
    void remove(std::int32_t code);
    bool has(std::int32_t code) const;
    // Runs the handler; false when the code has none.
    bool dispatch(const CommandContext& context) const;

private:
    struct Entry {
        std::int32_t code;
        CommandHandler handler;
    };
    std::vector<Entry> m_entries;
};

} // namespace pc::service
