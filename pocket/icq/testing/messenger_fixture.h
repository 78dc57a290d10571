#pragma once

// File: pocket/icq/testing/messenger_fixture.h
// A signed-on ICQ session and messenger over a FakeLink, with fake views and
// a temporary device root, for the messenger tests and the hostile-input
// sweep.

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/icq/contact_file.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/testing/fake_link.h"
#include "pocket/icq/testing/fake_views.h"
#include "pocket/ink/testing/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pocket::icq::testing {

class MessengerFixture : public ::testing::Test {
protected:
    MessengerFixture()
    {
        session.setListener(&messenger);
    }

    void signOn(std::vector<std::string> stored)
    {
        ensureContactFile(contactFilePath(folder.path(), 123456));
        rewriteContactFile(contactFilePath(folder.path(), 123456), stored);
        session.connect("123456", "pw");
        link.queueFrame(kChannelSignOff, tlvOf(1, "123456") + tlvOf(5, "10.0.0.9:5191") + tlvOf(6, "C"));
        link.queueSnac(1, 0x03);
        link.queueSnac(1, 0x0F, std::string("\x01" "1" "\x00\x00\x00\x00", 6), 0x0E);
        for (int i = 0; i < 3; ++i)
            session.onReadable();
        link.sent.clear();
    }

    static std::string tlvOf(std::uint16_t type, std::string_view value)
    {
        return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + std::string(value);
    }

    void receive(std::uint16_t family, std::uint16_t subtype, std::string data)
    {
        link.queueSnac(family, subtype, std::move(data));
        session.onReadable();
    }

    std::vector<SentFrame> sent(std::uint16_t family, std::uint16_t subtype)
    {
        std::vector<SentFrame> out;
        for (const auto& buffer : link.sent) {
            for (auto& frame : framesOf(buffer)) {
                if (frame.channel == kChannelSnac && frame.snac.family == family && frame.snac.subtype == subtype)
                    out.push_back(frame);
            }
        }
        return out;
    }

    std::string fileContent()
    {
        std::ifstream in(session.contactFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    ink::testing::TempFolder folder;
    platform::testing::ManualClock clock;
    platform::PollEventLoop loop { clock };
    platform::testing::FakeUi ui;
    FakeLink link;
    FakePage page;
    FakeTree tree;
    FakeWindowHost windowHost;
    FakeDeviceContacts device;
    FakeMail mail;
    struct NoStatus final : SessionStatusView {
        void setStatusText(std::string_view) override { }
    } status;
    IcqSession session { SessionSetup { "login", kIcqPort, folder.path(), [] { return std::uint16_t(1); } }, link, ui,
        status, loop };
    IcqMessenger messenger { session, MessengerPorts { ui, page, tree, windowHost, device, mail, loop } };
};

} // namespace pocket::icq::testing
