#pragma once

// File: pc/service/mail_piece_assembler.h
// Assembles a long mail text that the handheld sends in pieces with code 329.
// The request's first number says which piece it is: 3 the first of several,
// 0 a middle one, 1 the last, 4 the only one; other values are ignored.
// After a first or middle piece the PC answers "NEXT" (code 330) with the
// assembled length, counted in bytes as the handheld sent them (in its code
// page), while the text itself is assembled as it was read (UTF-8).

#include "proto/pc_answer.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pc::service {

class MailPieceAssembler {
public:
    // The assembly buffer stops growing here; a handheld mail is at most a
    // few kilobytes, so only a broken or hostile peer reaches it.
    static constexpr std::size_t kMaxMailBytes = 1 << 20;

    struct Outcome {
        std::optional<proto::PcAnswer> answer; // "NEXT", when another piece is wanted.
        std::optional<std::string> mail;       // The whole text, after the last piece.
    };

    // `wireBytes` is the piece's length as the handheld sent it.
    Outcome onPiece(std::int32_t which, std::string_view text, std::size_t wireBytes);
    Outcome onPiece(std::int32_t which, std::string_view text) { return onPiece(which, text, text.size()); }
    std::size_t size() const { return m_buffer.size(); }

private:
    void append(std::string_view text, std::size_t wireBytes);

    std::string m_buffer;
    std::size_t m_wireBytes = 0;
};

} // namespace pc::service
