#pragma once

// File: pc/service/upload_receiver.h
// The PC side of an upload: the 309 announcement (or its cancel word), the
// blocks arriving on the upload port and the end of the upload. One upload
// runs at a time, and it belongs to one upload connection: the first one that
// brings data after the announcement. Only that connection's blocks are
// written and acknowledged, and only its close can end the upload; another
// connection closing (the previous upload's, or an idle one) changes nothing.
// No byte is acknowledged that was not written, and nothing beyond the
// announced size is written. Files are written into the upload folder under
// a safe single-component name, replacing without following links. Answers
// on the command channel go through the AnswerSink. Window thread only.
//
// Where the session agreed to it on the private link, an announcement with
// the line "window" starts a windowed upload instead (window_receiver.h):
// the file is kept, not replaced, the answer tells how much of it the PC
// holds, and a broken connection keeps what arrived for the next try. The
// SHA-256 of the part held is made by a PrefixDigest when one is given (on
// its own thread: the answer goes out when it is ready, and an upload that
// ends first never gets it), else at once.

#include "pc/service/service_ports.h"
#include "pc/service/window_receiver.h"
#include "platform/tls/prefix_digest.h"
#include "proto/upload_block.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pc::service {

class UploadReceiver {
public:
    // Identifies an upload connection (RemoteService numbers them).
    using ConnectionId = std::uint64_t;

    // What the connection that delivered a block is to do.
    struct Reply {
        std::optional<proto::UploadAck> ack; // Send this acknowledgement.
        std::string frames; // Or these frames (a windowed upload).
        bool closeConnection = false; // The upload ended in error; hang up.
    };

    UploadReceiver(std::filesystem::path uploadFolder, AnswerSink& answers, ProgressView& progress);
    ~UploadReceiver();
    UploadReceiver(const UploadReceiver&) = delete;
    UploadReceiver& operator=(const UploadReceiver&) = delete;

    // Whether the session may announce windowed uploads (agreed at log-in
    // on the private link; off again for the next session).
    void setWindowAllowed(bool allowed) { m_windowAllowed = allowed; }
    // Hashes what the PC holds of a windowed upload away from this thread;
    // outlives the receiver.
    void setDigest(platform::PrefixDigest* digest) { m_digest = digest; }
    bool isWindowed() const { return m_inProgress && m_windowed; }

    // Code 309: an announcement "size\nname\n..." (purpose = the request's
    // first number: 0 a plain file, 1 a mail attachment) or the cancel word.
    void onRequest(std::int32_t purpose, std::string_view text);

    // One receive on an upload connection; nullopt for a failed receive.
    Reply onReceived(ConnectionId connection, std::optional<std::string_view> bytes);

    // The acknowledgement could not be sent on that connection.
    void onAckFailed(ConnectionId connection);
    // An upload connection was closed by the handheld.
    void onConnectionClosed(ConnectionId connection);
    // Service reset or stop: ends a running upload, keeping its partial file.
    void reset();

    // The upload folder as the handheld names PC paths ("C:\\…\\pda_Upload\\"):
    // the end answer tells it in its detail where the file went.
    void setShownFolder(std::string pcFolder) { m_shownFolder = std::move(pcFolder); }

    bool isInProgress() const { return m_inProgress; }
    // The connection the running upload belongs to (0: none yet).
    ConnectionId owner() const { return m_inProgress ? m_owner : 0; }
    const std::string& fileName() const { return m_fileName; }
    std::int32_t receivedTotal() const { return m_receivedTotal; }

private:
    bool isOwnedBy(ConnectionId connection);
    void cancel(); // Ends the upload and deletes its partial file.
    void complete(); // Ends the upload and reports it on the command channel.
    std::string shownPath() const; // Where the file is, as the handheld names it.
    void finish(); // Closes the file, clears the flag and the progress window.
    void closeFile();
    Reply onData(std::string_view bytes);
    bool openWindowed();
    void tellHeld(); // The announcement's answer of a windowed upload.
    void answerHeld(std::uint64_t held, std::optional<std::string> sha256Hex);
    Reply onFrames(std::string_view bytes);

    std::filesystem::path m_folder;
    AnswerSink& m_answers;
    ProgressView& m_progress;
    int m_fd = -1;
    bool m_inProgress = false;
    ConnectionId m_owner = 0; // 0: no connection has brought data yet.
    std::int32_t m_announcedSize = 0;
    std::int32_t m_receivedTotal = 0;
    std::int32_t m_purpose = 0;
    std::string m_fileName; // Already reduced to a safe name.
    std::string m_shownFolder;
    bool m_windowAllowed = false;
    bool m_windowed = false; // The running upload is windowed.
    WindowReceiver m_window;
    std::uint64_t m_held = 0; // What the PC held of the windowed upload's file.
    platform::PrefixDigest* m_digest = nullptr;
};

} // namespace pc::service
