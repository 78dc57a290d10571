#pragma once

// File: pc/service/drive_paths.h
// PcPaths over the program's drive map: the drives of the log-in answer are
// the map's drives, and paths translate through it both ways.

#include "pc/service/pc_paths.h"
#include "platform/drive_map.h"

namespace pc::service {

class DrivePaths final : public PcPaths {
public:
    // The map outlives this object.
    explicit DrivePaths(const platform::DriveMap& drives);

    std::optional<std::filesystem::path> toLocal(std::string_view pcPath) const override;
    std::string toPc(const std::filesystem::path& local) const override;
    std::string driveList() const override;

private:
    const platform::DriveMap& m_drives;
};

} // namespace pc::service
