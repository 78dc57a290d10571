#pragma once

// File: pc/convert/dde_conversation.h
// The client side of a DDE conversation over the local stand-in: connect to
// a service and topic (starting the server program when it is not running),
// then send EXECUTE, REQUEST and POKE transactions. Synchronous transactions
// wait for their reply up to the time-out; asynchronous ones are remembered
// by a caller-chosen request id and complete when their reply is read.
// Failures go to report() with the texts the word-processor link logs.
// Belongs to one thread.

#include "pc/convert/dde_wire.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pc::convert {

class DdeConversation {
public:
    static constexpr std::chrono::milliseconds kTransactionTimeout { 20000 };
    static constexpr std::chrono::milliseconds kServerStartWait { 20000 };

    DdeConversation();
    virtual ~DdeConversation();
    DdeConversation(const DdeConversation&) = delete;
    DdeConversation& operator=(const DdeConversation&) = delete;

    bool connect(std::string_view service, std::string_view topic);
    void disconnect();
    bool isConnected() const { return m_fd >= 0; }

    // The command is sent with its terminating zero.
    bool execute(std::string_view command);
    bool executeAsync(std::string_view command, int requestId);
    // On success the output holds the item's data.
    bool request(std::string_view item, std::uint32_t format, std::string& dataOut);
    bool requestAsync(std::string_view item, int requestId, std::uint32_t format);
    bool poke(std::string_view item, std::string_view data, std::uint32_t format);
    // Forgets a pending transaction (its reply is then ignored); -1: all.
    void abandon(int requestId);
    bool isPending(int requestId) const { return m_pending.contains(requestId); }
    // Reads what arrives within `wait` and completes the pending
    // transactions whose replies are among it.
    void pumpReplies(std::chrono::milliseconds wait);

    // The program (and its arguments) started when the first connect fails.
    void setServerCommand(std::vector<std::string> argv) { m_serverCommand = std::move(argv); }
    const std::vector<std::string>& serverCommand() const { return m_serverCommand; }
    // The command as one line, as the failure text names it.
    std::string serverCommandText() const;
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setServerStartWait(std::chrono::milliseconds wait) { m_startWait = wait; }

protected:
    virtual void report(std::string_view message, bool isError);
    // The five numbers of a callback from the server program.
    virtual void notify(const std::array<std::uint32_t, 5>& values);
    // An asynchronous transaction's reply.
    virtual void completed(int requestId, bool acknowledged, const std::string& data);

private:
    bool tryConnect(std::string_view service, std::string_view topic);
    bool sendFrame(DdeFrame frame, std::uint32_t& transaction);
    // Waits for the reply to `transaction`; false on time-out or loss.
    bool awaitReply(std::uint32_t transaction, DdeFrame& reply, std::chrono::milliseconds timeout);
    // Reads one batch of bytes within the time left; false when the
    // conversation was lost or the time ran out.
    bool readSome(std::chrono::steady_clock::time_point deadline);
    void deliver(const DdeFrame& reply);
    void dropConnection();
    bool transact(DdeFrame frame, const char* failure, DdeFrame* replyOut);
    bool startAsync(DdeFrame frame, int requestId, const char* failure);

    int m_fd = -1;
    std::uint32_t m_nextTransaction = 1;
    std::vector<std::string> m_serverCommand;
    std::chrono::milliseconds m_timeout = kTransactionTimeout;
    std::chrono::milliseconds m_startWait = kServerStartWait;
    std::unordered_map<int, std::uint32_t> m_pending; // Request id → transaction.
    std::vector<DdeFrame> m_arrived; // Replies read while waiting for another.
    DdeFrameSplitter m_splitter;
};

} // namespace pc::convert
