#pragma once

// File: pocket/ink/pen_inbox.h
// Received pen messages. PenReceptions keeps the files being received
// (at most kMaxReceptions at once, one per sender); PenInbox files a
// complete one: it checks the file, adds its line to the receive folder's
// index and opens a viewer. The messengers call both on the window thread.

#include "platform/result.h"
#include "platform/ui.h"
#include "pocket/ink/ink_paths.h"
#include "pocket/ink/ink_viewer.h"

#include <array>
#include <functional>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::ink {

namespace inbox_text {
constexpr std::string_view kNoMoreViewers = "더 시상 펜 메세지를 표현할 수 없습니다.";
constexpr std::string_view kDamaged = "Pen MSG data was damaged!(converting)";
} // namespace inbox_text

enum class ReceptionError {
    Full, // Every reception slot is taken.
    Unknown, // No reception from this sender is running.
    CannotWrite, // The receive file could not be created or appended to.
    TooLarge, // The file would outgrow what a reader looks at (kMaxInkFileBytes).
};

class PenReceptions {
public:
    static constexpr int kMaxReceptions = 20;

    explicit PenReceptions(std::filesystem::path deviceRoot);

    // Starts receiving into a new empty file at `handheldPath` (in the
    // network's receive folder, which is created). A running reception from
    // the same sender is replaced and its partial file removed.
    [[nodiscard]] platform::Result<void, ReceptionError> begin(Network network, std::string_view sender,
        std::string handheldPath);

    // Appends a chunk to the sender's file. A peer that keeps sending past
    // kMaxInkFileBytes is refused instead of filling the device.
    [[nodiscard]] platform::Result<void, ReceptionError> append(Network network, std::string_view sender,
        std::string_view bytes);

    // Ends the reception and returns the file's handheld path.
    [[nodiscard]] platform::Result<std::string, ReceptionError> finish(Network network, std::string_view sender);

    // Drops the reception and removes its partial file.
    void cancel(Network network, std::string_view sender);

    std::optional<std::string> pathOf(Network network, std::string_view sender) const;
    int runningCount() const;

private:
    struct Entry {
        bool inUse = false;
        Network network = Network::Msn;
        std::string sender;
        std::string handheldPath;
        std::uint64_t bytes = 0;
    };

    Entry* find(Network network, std::string_view sender);
    const Entry* find(Network network, std::string_view sender) const;

    std::filesystem::path m_deviceRoot;
    std::array<Entry, kMaxReceptions> m_entries;
};

enum class InboxError {
    Damaged, // The file failed the reader's checks; it stays without index line.
    NoViewer, // Filed, but every viewer is open.
    Undrawable, // Filed, but its strokes are damaged; the viewer closed again.
};

class PenInbox {
public:
    PenInbox(std::filesystem::path deviceRoot, platform::Ui& ui, InkViewers& viewers);

    // A complete ink file has been stored at `handheldPath`: read it, add its
    // index line, show it in a viewer titled "From : <network> - <sender>".
    // A file that fails the reader's checks gets the reader's message (title
    // "Quillon") and, over MSN, "Pen MSG data was damaged!(converting)"
    // titled "MSN". Other failures are titled with the network's name.
    [[nodiscard]] platform::Result<void, InboxError> received(Network network, std::string_view sender,
        std::string_view handheldPath);

    // Index lines are kept in the handheld's ANSI code page (UTF-8 unless set).
    void setCodePage(std::string codePage) { m_codePage = std::move(codePage); }

    // Told of every message filed (indexed), with the file on this machine;
    // the console prints it.
    using FiledListener = std::function<void(Network, std::string_view sender, const std::filesystem::path& file)>;
    void setFiledListener(FiledListener listener) { m_filed = std::move(listener); }

private:
    FiledListener m_filed;
    std::string m_codePage = "UTF-8";
    std::filesystem::path m_deviceRoot;
    platform::Ui& m_ui;
    InkViewers& m_viewers;
};

} // namespace pocket::ink
