#include "directory_chooser.h"

#include <algorithm>

namespace tarnwick {

namespace {

constexpr const char* kPlaceholder = "..";

// Bytes compared unsigned: UTF-8 then sorts by character, and a name in another script comes
// after the Latin letters instead of before "A".
unsigned char Lower(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool ComesBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

}  // namespace

int DriveImage(DriveType type) {
    switch (type) {
        case DriveType::Fixed: return 3;
        case DriveType::Remote: return 4;
        case DriveType::CdRom: return 5;
        case DriveType::RamDisk: return 6;
        default: return 2;  // removable, unknown, no root directory
    }
}

std::string DriveItemText(const DriveSystem& drives, char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    std::string name;
    if (drives.TypeOf(root) == DriveType::Removable) name = "Removable Disk";
    else name = drives.VolumeName(root).value_or("");
    return name + " (" + letter + ":)";
}

void FillDriveList(ConfigTree& tree, const DriveSystem& drives) {
    const std::uint32_t present = drives.PresentDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if (!(present & (1u << bit))) continue;
        const char letter = static_cast<char>('A' + bit);
        const std::string text = DriveItemText(drives, letter);
        const std::string letterText(1, letter);
        ItemView drive;
        drive.text = text;
        drive.value = letterText;
        drive.hasValue = true;
        drive.image = drive.selectedImage = DriveImage(drives.TypeOf(letterText + ":\\"));
        const ItemHandle item = tree.InsertItem(kNoItem, InsertPosition::Last(), drive);
        if (item != kNoItem) InsertFolderItem(tree, item, kPlaceholder);
    }
}

ItemHandle InsertFolderItem(ConfigTree& tree, ItemHandle parent, std::string_view text) {
    ItemView folder;
    folder.text = text;
    folder.image = kFolderImage;
    folder.selectedImage = kFolderSelectedImage;
    return tree.InsertItem(parent, InsertPosition::Last(), folder);
}

void ExpandFolder(ConfigTree& tree, const DriveSystem& drives, ItemHandle item) {
    if (const ItemHandle first = tree.FirstChild(item)) tree.DeleteItem(first);
    std::vector<std::string> folders;
    for (const FolderEntry& entry : drives.List(BuildItemPath(tree, item, '\\') + "\\*"))
        if (entry.isDirectory && !entry.name.empty() && entry.name[0] != '.') folders.push_back(entry.name);
    // Inserted in name order: the level reads sorted, as the tree control would sort it.
    std::sort(folders.begin(), folders.end(), ComesBefore);
    for (const std::string& name : folders) {
        const ItemHandle folder = InsertFolderItem(tree, item, name);
        if (folder != kNoItem) InsertFolderItem(tree, folder, kPlaceholder);
    }
}

void PruneFolder(ConfigTree& tree, ItemHandle item) {
    const ItemHandle first = tree.FirstChild(item);
    if (first == kNoItem) return;
    while (const ItemHandle next = tree.NextSibling(first)) tree.DeleteItem(next);
}

std::string BuildItemPath(const ConfigTree& tree, ItemHandle item, char separator) {
    std::string path;
    for (; item != kNoItem; item = tree.Parent(item)) {
        const ItemView view = tree.GetItem(item);
        if (view.hasValue && !view.value.empty()) path = std::string(1, view.value[0]) + ":" + path;
        else path = std::string(1, separator) + std::string(view.text) + path;
    }
    return path;
}

}  // namespace tarnwick
