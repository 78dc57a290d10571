#pragma once

// File: pocket/link/link_messages.h
// The window messages through which the handheld's links report to the
// window thread. The numbers are fixed; the main window routes them.

namespace pocket::link {

constexpr int kLinkKindMsn = 1;
constexpr int kLinkKindIcq = 2;
constexpr int kLinkKindYahoo = 3;
constexpr int kLinkKindPc = 100;

constexpr int kMsgMsnBlockQueued = 4025;
constexpr int kMsgMsnClosed = 4026;
constexpr int kMsgIcqReadable = 5025;
constexpr int kMsgIcqClosed = 5026;
constexpr int kMsgYahooReadable = 6025;
constexpr int kMsgYahooClosed = 6026;
// A PC answer record was queued; wParam is its slot in the answer queue.
constexpr int kMsgPcAnswerQueued = 1530;

// The "readable" and "closed" messages of a link kind (0 for other kinds).
constexpr int readableMessageForKind(int kind)
{
    return kind == kLinkKindMsn ? kMsgMsnBlockQueued
        : kind == kLinkKindIcq  ? kMsgIcqReadable
        : kind == kLinkKindYahoo ? kMsgYahooReadable
                                 : 0;
}

constexpr int closedMessageForKind(int kind)
{
    return kind == kLinkKindMsn ? kMsgMsnClosed
        : kind == kLinkKindIcq  ? kMsgIcqClosed
        : kind == kLinkKindYahoo ? kMsgYahooClosed
                                 : 0;
}

} // namespace pocket::link
