#include "pc/service/drive_paths.h"

namespace pc::service {

DrivePaths::DrivePaths(const platform::DriveMap& drives)
    : m_drives(drives)
{
}

std::optional<std::filesystem::path> DrivePaths::toLocal(std::string_view pcPath) const
{
    // The search appends "\" to a folder that may already end in one.
    std::string cleaned;
    for (char c : pcPath) {
        if (c == '\\' && !cleaned.empty() && cleaned.back() == '\\')
            continue;
        cleaned.push_back(c);
    }
    auto local = m_drives.toLocal(cleaned);
    if (!local)
        return std::nullopt;
    return std::filesystem::path(*local);
}

std::string DrivePaths::toPc(const std::filesystem::path& local) const
{
    return m_drives.toDrivePath(local.string()).value_or(local.string());
}

std::string DrivePaths::driveList() const
{
    std::string list;
    for (const auto& drive : m_drives.drives()) {
        list.push_back(drive.letter);
        list.push_back(':');
    }
    return list + "\\\\";
}

} // namespace pc::service
