#pragma once

// File: proto/upload_block.h
// The upload channel (port 4040). The handheld sends the file as raw blocks
// of at most 1024 bytes, waiting for an acknowledgement after each, and ends
// with one of the marker texts (no terminator). The PC acknowledges every
// data block with the text "0xx0: %d 0xx1: %d" (1001 and the received total)
// zero-padded to exactly 1024 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace proto {

constexpr std::size_t kUploadBlockBytes = 1024;

// Outcome words of the PC's receive-side block record.
enum class UploadOutcome : std::int32_t {
    Error = 1000,
    Data = 1001,
    Cancel = 1002,
    Complete = 1004,
};

constexpr std::string_view kMarkerComplete = "FILE_SEND_COMPLETE";
constexpr std::string_view kMarkerCancel = "FILE_SEND_CANCEL";
constexpr std::string_view kMarkerError = "FILE_ERROR";

// The PC's receive-side record: outcome, byte count and the received bytes.
struct UploadBlock {
    UploadOutcome outcome = UploadOutcome::Data;
    std::int32_t count = 0;
    std::array<char, kUploadBlockBytes> buffer {};
};

// Classifies one received block: a block whose bytes equal a marker text
// exactly is that marker (a zero-padded marker counts too); anything else
// is data.
UploadOutcome classifyUploadBlock(std::string_view block);

// Fills a record from one receive of up to 1024 bytes.
UploadBlock makeUploadBlock(std::string_view received);

using UploadAck = std::array<char, kUploadBlockBytes>;

// "0xx0: 1001 0xx1: <total>" zero-padded to 1024 bytes.
UploadAck formatUploadAck(std::int32_t receivedTotal);

// Reads the total back from an acknowledgement; nullopt when the text is
// not one.
std::optional<std::int32_t> parseUploadAck(std::string_view block);

// The announcement of an upload (command 309): the size, "\n", the file
// name, "\n" and a third line the PC ignores (the login id).
struct UploadAnnouncement {
    std::int32_t size = 0; // The leading decimal number as the C library reads it, within int32.
    std::string name; // As sent, not yet a safe file name.
};
UploadAnnouncement parseUploadAnnouncement(std::string_view text);

} // namespace proto
