#include "pocket/mypc/transfer_progress_text.h"

#include <cmath>

namespace pocket::mypc {

namespace {

constexpr const char* kUnits[] = { "KB", "MB", "GB", "TB" };

std::string twoDigits(std::int64_t value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string sizeText(std::int64_t bytes)
{
    if (bytes < 1024)
        return std::to_string(bytes < 0 ? 0 : bytes) + " B";
    // Tenths of the unit, cut: 1023.99 KB shows as 1023.9 KB, not 1024.0 KB.
    std::size_t unit = 0;
    std::int64_t scale = 1024;
    while (unit + 1 < std::size(kUnits) && bytes / scale >= 1024) {
        scale *= 1024;
        ++unit;
    }
    std::int64_t tenths = static_cast<std::int64_t>((static_cast<long double>(bytes) * 10) / scale);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + kUnits[unit];
}

std::string speedText(double bytesPerSecond)
{
    return sizeText(static_cast<std::int64_t>(bytesPerSecond < 0 ? 0 : bytesPerSecond)) + "/s";
}

std::string timeLeftText(std::int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    if (seconds < 60)
        return std::to_string(seconds) + "초";
    if (seconds < 3600)
        return std::to_string(seconds / 60) + "분 " + twoDigits(seconds % 60) + "초";
    return std::to_string(seconds / 3600) + "시간 " + twoDigits(seconds / 60 % 60) + "분";
}

std::string totalLine(std::int64_t size)
{
    return size <= 0 ? std::string("전체사이즈 : 알수없음") : "전체사이즈 : " + sizeText(size);
}

std::string doneLine(TransferDirection direction, std::int64_t done)
{
    return (direction == TransferDirection::Sent ? "보낸사이즈 : " : "받은사이즈 : ") + sizeText(done);
}

std::string sizeAgainstLimit(std::int64_t size, std::int64_t limitBytes)
{
    std::string limit = "전송 가능한 파일 크기 : " + std::to_string(limitBytes / 1024) + "K 이하";
    return size > 0 ? "파일 크기 : " + sizeText(size) + "\n" + limit : limit;
}

std::string resumedLine(TransferDirection direction, std::int64_t held)
{
    return std::string(direction == TransferDirection::Received ? "이어받기 : " : "이어보내기 : ") + sizeText(held)
        + "부터";
}

void TransferMeter::start(platform::Ticks now, std::int64_t total, std::int64_t done)
{
    m_samples.clear();
    m_samples.push_back({ now, done });
    m_total = total;
    m_done = done;
}

void TransferMeter::update(std::int64_t done, platform::Ticks now)
{
    if (m_samples.empty())
        m_samples.push_back({ now, 0 });
    m_done = done;
    m_samples.push_back({ now, done });
    // Keep one sample at or before the window's start, so the window is full.
    while (m_samples.size() > 2 && now - m_samples[1].at >= kWindow)
        m_samples.pop_front();
}

std::optional<double> TransferMeter::bytesPerSecond() const
{
    if (m_samples.size() < 2)
        return std::nullopt;
    const Sample& first = m_samples.front();
    const Sample& last = m_samples.back();
    auto span = last.at - first.at;
    if (span < kFirstReading)
        return std::nullopt;
    return static_cast<double>(last.done - first.done) * 1000.0 / static_cast<double>(span.count());
}

std::optional<std::int64_t> TransferMeter::secondsLeft() const
{
    auto speed = bytesPerSecond();
    if (!speed || *speed <= 0 || m_total <= 0)
        return std::nullopt;
    std::int64_t left = m_total > m_done ? m_total - m_done : 0;
    return static_cast<std::int64_t>(std::ceil(static_cast<double>(left) / *speed));
}

std::string TransferMeter::rateLine() const
{
    auto speed = bytesPerSecond();
    if (!speed)
        return {};
    std::string line = "속도 : " + speedText(*speed);
    if (auto left = secondsLeft())
        line += ", 남은 시간 : " + timeLeftText(*left);
    return line;
}

} // namespace pocket::mypc
