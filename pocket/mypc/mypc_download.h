#pragma once

// File: pocket/mypc/mypc_download.h
// "PDA로 가져오기" on a PC file: command 323 makes the PC copy the file into
// its download folder and answer with the size and the name; the file is
// then fetched from "%s:91\pda_Download\%s" by the transfer worker into the
// handheld's download folder. Window thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class Ui;
}

namespace proto {
struct PcAnswer;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::mypc {

class MyPcBusy;
class TransferRunner;

// The text of a 323 answer: the PC path, "[_F_I_]" and the download name.
struct DownloadAnswer {
    std::string pcPath;
    std::string name;
};
std::optional<DownloadAnswer> parseDownloadAnswer(std::string_view text);

class MyPcDownload {
public:
    MyPcDownload(link::PcLink& link, const settings::PdaSettings& settings, platform::Ui& ui, MyPcBusy& busy, TransferRunner& runner);

    // "PDA로 가져오기" on the PC file at `pcPath`. False when no request was
    // sent (busy, no path, the user said no, or the send failed).
    bool request(std::string_view pcPath);
    bool isWaiting() const { return m_waiting; }

    // The connection-lost reset: forget the waiting request.
    void reset();

private:
    void onAnswer(const proto::PcAnswer& answer);
    void startTransfer(std::int32_t size, const DownloadAnswer& answer);

    link::PcLink& m_link;
    const settings::PdaSettings& m_settings;
    platform::Ui& m_ui;
    MyPcBusy& m_busy;
    TransferRunner& m_runner;
    bool m_waiting = false;
};

} // namespace pocket::mypc
