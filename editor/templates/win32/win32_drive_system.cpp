#include "win32_drive_system.h"

#include <windows.h>

namespace tarnwick {

std::uint32_t Win32DriveSystem::PresentDrives() const { return GetLogicalDrives(); }

DriveType Win32DriveSystem::TypeOf(const std::string& root) const {
    switch (GetDriveTypeA(root.c_str())) {
        case DRIVE_REMOVABLE: return DriveType::Removable;
        case DRIVE_FIXED: return DriveType::Fixed;
        case DRIVE_REMOTE: return DriveType::Remote;
        case DRIVE_CDROM: return DriveType::CdRom;
        case DRIVE_RAMDISK: return DriveType::RamDisk;
        case DRIVE_NO_ROOT_DIR: return DriveType::NoRootDirectory;
        default: return DriveType::Unknown;
    }
}

std::optional<std::string> Win32DriveSystem::VolumeName(const std::string& root) const {
    char volume[1024] = {};
    char fileSystem[1024] = {};
    if (!GetVolumeInformationA(root.c_str(), volume, sizeof volume, nullptr, nullptr, nullptr, fileSystem,
                               sizeof fileSystem))
        return std::nullopt;
    return std::string(volume);
}

std::vector<FolderEntry> Win32DriveSystem::List(const std::string& pattern) const {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;  // cannot be listed: nothing shown
    do entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

}  // namespace tarnwick
