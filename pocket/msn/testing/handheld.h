#pragma once

// File: pocket/msn/testing/handheld.h
// One handheld's MSN side for chat tests: a session, the ten chats and the
// pen carriage over fake links, fake windows and a temporary device root.
// Chat links are links 1..10 of the factory (slot order); link 0 is the
// session's.

#include "pocket/msn/testing/fake_msn_link.h"
#include "pocket/msn/testing/handheld_parts.h"

namespace pocket::msn::testing {

struct FakeLinked : Basics {
    using Basics::Basics;
    FakeMsnLinkFactory links;
};

struct Handheld : FakeLinked, MsnParts {
    Handheld(platform::EventLoop& loop, std::string loginId, std::string name)
        : FakeLinked(std::move(loginId))
        , MsnParts(loop, *this, links, {}, "pw", "http://pen.example/")
        , friendlyName(std::move(name))
    {
    }

    FakeMsnLink& notification() { return *links.links.at(0); }
    FakeMsnLink& chatLink(int slot) { return *links.links.at(static_cast<std::size_t>(slot) + 1); }
    ChatWindowState& window(int slot) { return *windows.windows.at(slot); }

    // Online, with the given contacts listed as online.
    void logIn(const std::vector<std::pair<std::string, std::string>>& friends)
    {
        session.connect();
        std::string lines = "USR 1 OK " + id + " " + friendlyName + "\r\nCHG 2 NLN\r\n";
        for (const auto& [email, name] : friends)
            lines += "ILN 3 NLN " + email + " " + name + "\r\n";
        notification().deliver(lines);
    }

    std::string friendlyName;
};

} // namespace pocket::msn::testing
