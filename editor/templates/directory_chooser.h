#pragma once
// The drive and folder tree of the Directory panes. Drives are listed at once; the folders of
// a drive or folder are read only when it is expanded, one level at a time. A drive item
// carries its letter as its value; folder items carry none.

#include "config_tree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class DriveType { Unknown, NoRootDirectory, Removable, Fixed, Remote, CdRom, RamDisk };

struct FolderEntry {
    std::string name;
    bool isDirectory = false;
};

// The drive and folder queries the chooser makes.
class DriveSystem {
public:
    virtual ~DriveSystem() = default;
    // Bit 0 is drive A.
    virtual std::uint32_t PresentDrives() const = 0;
    virtual DriveType TypeOf(const std::string& root) const = 0;
    // The volume's name, or nothing when it cannot be read.
    virtual std::optional<std::string> VolumeName(const std::string& root) const = 0;
    // The entries matching a pattern such as "C:\Apache\*"; none when it cannot be listed.
    virtual std::vector<FolderEntry> List(const std::string& pattern) const = 0;
};

// Image indexes of the directory tree.
inline constexpr int kFolderImage = 0;
inline constexpr int kFolderSelectedImage = 1;
int DriveImage(DriveType type);

// What a drive item reads: the volume name ("Removable Disk" for removable drives, which are
// not otherwise touched) followed by " (X:)".
std::string DriveItemText(const DriveSystem& drives, char letter);

// Lists every present drive, A to Z, each with a placeholder child.
void FillDriveList(ConfigTree& tree, const DriveSystem& drives);
ItemHandle InsertFolderItem(ConfigTree& tree, ItemHandle parent, std::string_view text);
// Reads the item's folders: sub-folders not beginning with ".", sorted by name, each with a
// placeholder child; files are never listed.
void ExpandFolder(ConfigTree& tree, const DriveSystem& drives, ItemHandle item);
// Keeps the item's first child and deletes the rest, so the next expansion reads afresh.
void PruneFolder(ConfigTree& tree, ItemHandle item);
// "C:" for a drive item; otherwise the drive, then each folder with `separator` before it.
std::string BuildItemPath(const ConfigTree& tree, ItemHandle item, char separator);

}  // namespace tarnwick
