#include "pc/service/mail_piece_assembler.h"

#include "proto/command_codes.h"

#include <algorithm>

namespace pc::service {

namespace {

constexpr std::int32_t kPieceMiddle = 0;
constexpr std::int32_t kPieceLast = 1;
constexpr std::int32_t kPieceFirst = 3;
constexpr std::int32_t kPieceOnly = 4;

} // namespace

void MailPieceAssembler::append(std::string_view text, std::size_t wireBytes)
{
    std::size_t room = kMaxMailBytes - m_buffer.size();
    m_buffer.append(text.substr(0, room));
    m_wireBytes = std::min(m_wireBytes + wireBytes, kMaxMailBytes);
}

MailPieceAssembler::Outcome MailPieceAssembler::onPiece(std::int32_t which, std::string_view text,
    std::size_t wireBytes)
{
    Outcome outcome;
    switch (which) {
    case kPieceFirst:
    case kPieceMiddle:
        if (which == kPieceFirst) {
            m_buffer.clear();
            m_wireBytes = 0;
        }
        append(text, wireBytes);
        outcome.answer = proto::PcAnswer { static_cast<std::int32_t>(m_wireBytes), proto::kCodeNext, "NEXT" };
        break;
    case kPieceLast:
    case kPieceOnly:
        if (which == kPieceOnly)
            m_buffer.clear();
        append(text, wireBytes);
        outcome.mail = std::move(m_buffer);
        m_buffer.clear();
        m_wireBytes = 0;
        break;
    default:
        break;
    }
    return outcome;
}

} // namespace pc::service
