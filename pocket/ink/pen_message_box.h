#pragma once

// File: pocket/ink/pen_message_box.h
// The box of received pen messages: one list per network (MSN and ICQ)
// built from the receive folder's index file, newest first, with "보기"
// (view), "삭제" (delete) and "종료" (close). Toolkit-free; the window
// implements PenMessageBoxView. Window thread only.

#include "platform/ui.h"
#include "pocket/ink/ink_paths.h"
#include "pocket/ink/ink_viewer.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::ink {

namespace message_box_text {
constexpr std::string_view kConfirmDelete = "선택하신 메세지를 삭제하시겠습니까?";
constexpr std::string_view kTimeColumn = "받은시간"; // 150 pixels
constexpr std::string_view kSenderColumn = "보낸사람"; // 100 pixels
constexpr std::string_view kPathColumn = "경로"; // 120 pixels
} // namespace message_box_text

struct PenMessageRow {
    std::string receivedTime;
    std::string sender;
    std::string path;
    friend bool operator==(const PenMessageRow&, const PenMessageRow&) = default;
};

// One index line: the path as it stands; from the file name (after the last
// backslash) the sender is the part before the first blank and the time the
// rest without its ".ink" ending.
PenMessageRow rowFromIndexLine(std::string_view line);

class PenMessageBoxView {
public:
    virtual ~PenMessageBoxView() = default;
    virtual void setRows(Network network, const std::vector<PenMessageRow>& newestFirst) = 0;
    virtual void showNetwork(Network network) = 0;
    virtual void close() = 0;
};

class PenMessageBox {
public:
    PenMessageBox(std::filesystem::path deviceRoot, PenMessageBoxView& view, platform::Ui& ui,
        InkViewers& viewers);

    // Loads both lists and shows the MSN list.
    void open();
    void showNetwork(Network network);

    // "보기": reads the row's file and opens a viewer; a file that fails the
    // reader's checks is reported with the reader's message.
    void view(Network network, std::size_t row);

    // "삭제": after the user agrees, removes the row and rewrites the index
    // oldest first. The ink file itself stays.
    void remove(Network network, std::size_t row);

    // "종료".
    void quit();

    const std::vector<PenMessageRow>& rows(Network network) const;

    // The ANSI code page of the index files (UTF-8 unless set); rows hold
    // UTF-8 text.
    void setCodePage(std::string codePage) { m_codePage = std::move(codePage); }

private:
    std::vector<PenMessageRow>& rowsOf(Network network);
    void load(Network network);

    std::filesystem::path m_deviceRoot;
    PenMessageBoxView& m_view;
    platform::Ui& m_ui;
    InkViewers& m_viewers;
    std::vector<PenMessageRow> m_msnRows;
    std::vector<PenMessageRow> m_icqRows;
    std::string m_codePage = "UTF-8";
};

} // namespace pocket::ink
