#pragma once
// The machine's drives and folders, for the directory chooser.

#include "../directory_chooser.h"

namespace tarnwick {

class Win32DriveSystem final : public DriveSystem {
public:
    std::uint32_t PresentDrives() const override;
    DriveType TypeOf(const std::string& root) const override;
    std::optional<std::string> VolumeName(const std::string& root) const override;
    std::vector<FolderEntry> List(const std::string& pattern) const override;
};

}  // namespace tarnwick
