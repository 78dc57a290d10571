#pragma once

// File: pocket/icq/message_windows.h
// The per-contact message windows of ICQ (dialog 127, at most kMaxWindows):
// a log, an input line and the buttons "SEND", "ADD" and "PEN". The table
// maps a window to the ICQ number it talks to and remembers whether that
// number was outside the contact list when the window opened. The Qt layer
// implements MessageWindowView through MessageWindowHost. Window thread only.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::icq {

class MessageWindowView {
public:
    virtual ~MessageWindowView() = default;
    virtual void setTitle(std::string_view title) = 0;
    virtual void appendLog(std::string_view text) = 0;
    virtual void clearLog() = 0;
    virtual void clearInput() = 0;
    virtual void focusInput() = 0;
    // Shows the window and brings it to the front.
    virtual void bringUp() = 0;
    virtual void close() = 0;
    // A contact's text arrived (the log shows it too); for front ends that
    // print what arrives.
    virtual void messageReceived(std::string_view /*number*/, std::string_view /*text*/) { }
};

class MessageWindowHost {
public:
    virtual ~MessageWindowHost() = default;
    // The window reports its commands with this slot.
    virtual std::unique_ptr<MessageWindowView> createMessageWindow(int slot) = 0;
};

class MessageWindows {
public:
    static constexpr int kMaxWindows = 50;

    explicit MessageWindows(MessageWindowHost& host);

    // Opens a window for the number; nothing when every slot is taken.
    std::optional<int> open(std::string_view number, bool unknownSender);
    // The open window of a number.
    std::optional<int> find(std::string_view number) const;
    MessageWindowView* view(int slot);
    const std::string& number(int slot) const;
    bool isUnknownSender(int slot) const;
    void setUnknownSender(int slot, bool unknown);
    // The user closed the window.
    void closed(int slot);
    // Forgets every window (a new login); the windows are closed.
    void clear();
    int count() const;

private:
    struct Entry {
        std::unique_ptr<MessageWindowView> view;
        std::string number;
        bool unknownSender = false;
    };

    bool isOpen(int slot) const;

    MessageWindowHost& m_host;
    std::array<Entry, kMaxWindows> m_entries;
};

} // namespace pocket::icq
