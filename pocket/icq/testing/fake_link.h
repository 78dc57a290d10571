#pragma once

// File: pocket/icq/testing/fake_link.h
// An IcqLink for tests: records what the session opens and sends, and hands
// out frames that the test queued, one per readFrame().

#include "pocket/icq/flap.h"
#include "pocket/icq/icq_link.h"

#include <deque>
#include <string>
#include <vector>

namespace pocket::icq::testing {

struct Opened {
    std::string host;
    std::uint16_t port = 0;
    bool hostIsAddress = false;
};

class FakeLink final : public IcqLink {
public:
    bool open(const std::string& host, std::uint16_t port, bool hostIsAddress) override
    {
        opened.push_back({ host, port, hostIsAddress });
        m_open = openSucceeds;
        return m_open;
    }
    void close() override
    {
        m_open = false;
        ++closes;
    }
    bool isOpen() const override { return m_open; }
    bool send(std::string_view bytes) override
    {
        if (!sendSucceeds)
            return false;
        sent.emplace_back(bytes);
        return true;
    }
    LinkRead readFrame() override
    {
        if (incoming.empty())
            return { ReadOutcome::Closed, {} };
        auto next = std::move(incoming.front());
        incoming.pop_front();
        return next;
    }
    std::uint32_t localAddress() const override { return 0x7F000001; }
    std::string failureText() const override { return failure; }
    std::string peerText() const override { return peer; }

    void queueFrame(std::uint8_t channel, std::string data)
    {
        incoming.push_back({ ReadOutcome::Frame, FlapFrame { channel, 0, std::move(data) } });
    }
    void queueSnac(std::uint16_t family, std::uint16_t subtype, std::string data = {}, std::uint32_t requestId = 0)
    {
        std::string snac = bigEndian16(family) + bigEndian16(subtype) + std::string(2, '\0') + bigEndian32(requestId);
        queueFrame(kChannelSnac, snac + data);
    }

    bool openSucceeds = true;
    bool sendSucceeds = true;
    std::vector<Opened> opened;
    std::vector<std::string> sent;
    std::deque<LinkRead> incoming;
    int closes = 0;
    std::string failure; // What failureText() says.
    std::string peer; // What peerText() says.

private:
    bool m_open = false;
};

// The frames of a sent buffer (several may travel in one send).
struct SentFrame {
    std::uint8_t channel = 0;
    std::uint16_t sequence = 0;
    std::string data;
    SnacHeader snac; // Valid for channel 2.
    std::string snacData;
};

inline std::vector<SentFrame> framesOf(std::string_view buffer)
{
    std::vector<SentFrame> frames;
    ByteReader reader(buffer);
    while (reader.remaining() >= kFlapHeaderBytes) {
        SentFrame frame;
        reader.byte();
        frame.channel = *reader.byte();
        frame.sequence = *reader.u16();
        auto length = *reader.u16();
        auto data = reader.raw(length);
        if (!data)
            break;
        frame.data = std::string(*data);
        if (frame.channel == kChannelSnac) {
            ByteReader snac(frame.data);
            if (auto header = readSnacHeader(snac)) {
                frame.snac = *header;
                frame.snacData = std::string(snac.rest());
            }
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

} // namespace pocket::icq::testing
