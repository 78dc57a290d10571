#pragma once

// File: pocket/mypc/mypc_upload_sender.h
// The sending side of an upload, without the socket: reads the file in
// blocks of 1024 bytes, ends with the marker "FILE_SEND_COMPLETE" and paces
// the blocks by the PC's acknowledgements. Each acknowledgement is a
// 1024-byte text "0xx0: 1001 0xx1: <total>"; since TCP may cut it into
// several receives or join two, the acknowledgement bytes are collected and
// the next block goes out only when a whole acknowledgement has arrived that
// covers every byte sent so far. So the marker never travels behind a block
// the PC has not read yet, where it would be taken for data.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::mypc {

class UploadSender {
public:
    UploadSender() = default;
    ~UploadSender();
    UploadSender(const UploadSender&) = delete;
    UploadSender& operator=(const UploadSender&) = delete;

    // Opens the file; false when it cannot be read.
    bool open(const std::filesystem::path& file);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    std::int64_t size() const { return m_size; }
    std::int64_t sent() const { return m_sent; }
    bool isComplete() const { return m_complete; }

    // The next thing to send: a data block of up to 1024 bytes, or at the end
    // of the file the marker (after which the file is closed). Nothing once
    // the marker went out, or when reading fails (the file is closed).
    std::optional<std::string> nextBlock();

    // Bytes received on the upload connection. True when the next block may
    // go out: a whole acknowledgement has arrived that covers what was sent.
    // An acknowledgement that does not read as one counts as one.
    bool onReceived(std::string_view bytes);

    // The bar position: sent × 100 / size (100 for an empty file).
    int percent() const;

private:
    std::FILE* m_file = nullptr;
    std::int64_t m_size = 0;
    std::int64_t m_sent = 0;
    bool m_complete = false;
    std::string m_ackBytes;
};

} // namespace pocket::mypc
