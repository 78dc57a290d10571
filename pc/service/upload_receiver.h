#pragma once

// File: pc/service/upload_receiver.h
// The PC side of an upload: the 309 announcement (or its cancel word), the
// blocks arriving on the upload port and the end of the upload. One upload
// runs at a time. The receiver writes into the upload folder under a safe
// single-component name and tells the caller which acknowledgement to send
// on the upload connection; answers on the command channel go through the
// AnswerSink. Window thread only.

#include "pc/service/service_ports.h"
#include "proto/upload_block.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pc::service {

class UploadReceiver {
public:
    UploadReceiver(std::filesystem::path uploadFolder, AnswerSink& answers, ProgressView& progress);
    ~UploadReceiver();
    UploadReceiver(const UploadReceiver&) = delete;
    UploadReceiver& operator=(const UploadReceiver&) = delete;

    // Code 309: an announcement "size\nname\n..." (purpose = the request's
    // first number: 0 a plain file, 1 a mail attachment) or the cancel word.
    void onRequest(std::int32_t purpose, std::string_view text);

    // One receive on an upload connection; nullopt for a failed receive.
    // Returns the acknowledgement to send back, if any.
    std::optional<proto::UploadAck> onReceived(std::optional<std::string_view> bytes);

    // The acknowledgement could not be sent.
    void onAckFailed();
    // An upload connection was closed by the handheld.
    void onConnectionClosed();
    // Service reset or stop: ends a running upload, keeping its partial file.
    void reset();

    bool isInProgress() const { return m_inProgress; }
    const std::string& fileName() const { return m_fileName; }
    std::int32_t receivedTotal() const { return m_receivedTotal; }

private:
    void cancel();
    void finish(); // Closes the file, clears the flag and the progress window.
    void closeFile();
    std::optional<proto::UploadAck> onData(std::string_view bytes);

    std::filesystem::path m_folder;
    AnswerSink& m_answers;
    ProgressView& m_progress;
    int m_fd = -1;
    bool m_inProgress = false;
    std::int32_t m_announcedSize = 0;
    std::int32_t m_receivedTotal = 0;
    std::int32_t m_purpose = 0;
    std::string m_fileName; // Already reduced to a safe name.
};

} // namespace pc::service
