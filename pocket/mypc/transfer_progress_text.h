#pragma once

// File: pocket/mypc/transfer_progress_text.h
// The words and figures of a transfer's progress: sizes in B/KB/MB/GB, the
// speed and the time left, and the lines of the progress dialog built from
// them ("전체사이즈 : 1.9 MB", "받은사이즈 : 512.0 KB", "속도 : 120.0 KB/s,
// 남은 시간 : 12초"). Every transfer (downloads, uploads, mail and web saves)
// and every front end (window, console) takes its texts from here.
// TransferMeter measures the speed over the last few seconds; it is fed on
// the window thread with ticks from the loop's clock.
//
//     TransferMeter meter;
//     meter.start(clock.ticks(), size);
//     meter.update(received, clock.ticks());
//     view.setDoneLine(doneLine(TransferDirection::Received, received));
//     view.setRateLine(meter.rateLine());

#include "platform/clock.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace pocket::mypc {

// "500 B", "1.3 KB", "1.9 MB", "2.0 GB": binary units, one decimal cut (not
// rounded) so that a figure never shows the next unit's 1024.
std::string sizeText(std::int64_t bytes);
// The size per second: "120.0 KB/s".
std::string speedText(double bytesPerSecond);
// "12초", "2분 05초", "1시간 03분".
std::string timeLeftText(std::int64_t seconds);

enum class TransferDirection { Received, Sent };

// "전체사이즈 : 1.9 MB", or "전체사이즈 : 알수없음" for an unknown size (0).
std::string totalLine(std::int64_t size);
// "받은사이즈 : 512.0 KB" (or "보낸사이즈 : …").
std::string doneLine(TransferDirection direction, std::int64_t done);
// "이어받기 : 512.0 KB부터" (or "이어보내기 : …"): a transfer that continues
// what an earlier, cut one left on the other side.
std::string resumedLine(TransferDirection direction, std::int64_t held);
// The figures beside the size question, named as the option sheet names the
// limit: "파일 크기 : 1.9 MB\n전송 가능한 파일 크기 : 1000K 이하" (the first
// line only for a known size).
std::string sizeAgainstLimit(std::int64_t size, std::int64_t limitBytes);

// The speed of a running transfer over the last kWindow of samples, and the
// time left of a transfer of known size.
class TransferMeter {
public:
    static constexpr platform::Ticks kWindow { 5000 };
    // Below this much measured time the speed is not yet told.
    static constexpr platform::Ticks kFirstReading { 500 };

    // `done`: what was already there (a resumed transfer); the speed counts
    // only what moves from here on.
    void start(platform::Ticks now, std::int64_t total, std::int64_t done = 0);
    void update(std::int64_t done, platform::Ticks now);

    // Bytes per second; nothing before kFirstReading has passed.
    std::optional<double> bytesPerSecond() const;
    // Nothing while the speed or the size is unknown, or the speed is 0.
    std::optional<std::int64_t> secondsLeft() const;
    // "속도 : 120.0 KB/s, 남은 시간 : 12초"; "속도 : …" alone for an unknown
    // size; empty before the first reading.
    std::string rateLine() const;

private:
    struct Sample {
        platform::Ticks at;
        std::int64_t done;
    };
    std::deque<Sample> m_samples;
    std::int64_t m_total = 0;
    std::int64_t m_done = 0;
};

} // namespace pocket::mypc
