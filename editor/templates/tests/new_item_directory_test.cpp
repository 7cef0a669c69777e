// The names the new-item dialog offers, the item it adds, and the directory chooser over a
// made-up set of drives and folders.

#include "directory_chooser.h"
#include "memory_registry.h"
#include "memory_tree.h"
#include "new_item.h"
#include "template_store.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace tarnwick::testing {
namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

class NewItem : public ::testing::Test {
protected:
    void SetUp() override {
        const std::pair<const char*, std::uint32_t> ranks[] = {
            {"Port", 0}, {"Options", 0}, {"Directory", 1}, {"VirtualHost", 2}, {"IfModule", 2}};
        for (const auto& [name, rank] : ranks)
            registry.Put(kMachine, TemplateKey(name), NumberValue("Parent", rank));
        registry.Put(kMachine, TemplateKey("Port"), StringValue("Default", "80"));
        // Only under the user's root: never offered.
        registry.Put(RegistryRoot::CurrentUser, TemplateKey("UserOnly"), NumberValue("Parent", 0));
    }
    MemoryRegistry registry;
    MemoryTree tree;
};

TEST_F(NewItem, OfferedNamesFollowTheRanks) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(OfferedNames(registry, "httpd.conf"), (Names{"Directory", "Options", "Port"}));  // no template: rank 2
    EXPECT_EQ(OfferedNames(registry, "Directory"), (Names{"Options", "Port"}));
    EXPECT_EQ(OfferedNames(registry, "VirtualHost"), (Names{"Directory", "Options", "Port"}));
    EXPECT_TRUE(OfferedNames(registry, "Port").empty());
    EXPECT_EQ(OfferedNames(registry, ""), (Names{"Directory", "Options", "Port"}));
    MemoryRegistry empty;
    EXPECT_TRUE(OfferedNames(empty, "httpd.conf").empty());
}

TEST_F(NewItem, AddsTheNameWithItsDefaultUnderTheParent) {
    ItemView file;
    file.text = "httpd.conf";
    file.sectionMark = true;
    const ItemHandle parent = tree.InsertItem(kNoItem, InsertPosition::Last(), file);
    const ItemHandle port = InsertNewItem(tree, registry, parent, "Port");
    EXPECT_EQ(tree.GetItem(port).value, "80");
    EXPECT_EQ(tree.GetItem(port).image, kDirectiveImage);
    const ItemHandle directory = InsertNewItem(tree, registry, parent, "Directory");
    EXPECT_EQ(tree.GetItem(directory).image, kSectionImage);
    EXPECT_FALSE(tree.GetItem(directory).sectionMark);  // a directive line until it has a child
    const ItemHandle unknown = InsertNewItem(tree, registry, port, "Whatever");
    EXPECT_EQ(tree.Parent(unknown), port);
    EXPECT_EQ(tree.GetItem(unknown).value, "");
    EXPECT_EQ(InsertNewItem(tree, registry, parent, ""), kNoItem);  // an empty name adds nothing
    EXPECT_EQ(tree.SelectedItem(), kNoItem);
}

// Under the selected item, except beside a plain directive: after it, at its level.
TEST_F(NewItem, PlaceIsAfterAPlainDirectiveElseUnder) {
    ItemView file;
    file.text = "httpd.conf";
    file.sectionMark = true;
    const ItemHandle top = tree.InsertItem(kNoItem, InsertPosition::Last(), file);
    const ItemHandle port = InsertNewItem(tree, registry, top, "Port");              // rank 0
    const ItemHandle unknown = InsertNewItem(tree, registry, top, "ServerName");     // no template
    const ItemHandle directory = InsertNewItem(tree, registry, top, "Directory");    // rank 1, empty
    const ItemHandle withChild = InsertNewItem(tree, registry, top, "Whatever");     // no template, a child
    const ItemHandle child = InsertNewItem(tree, registry, withChild, "Options");
    ItemView marked;
    marked.text = "IfDefine";
    marked.sectionMark = true;                                                       // an empty section read
    const ItemHandle section = tree.InsertItem(top, InsertPosition::Last(), marked);
    struct Case {
        const char* name;
        ItemHandle current;
        NewItemPlace place;
    } cases[] = {
        {"nothing selected", kNoItem, {kNoItem, kNoItem}},
        {"file item", top, {top, kNoItem}},
        {"rank 0 directive", port, {top, port}},
        {"directive without template", unknown, {top, unknown}},
        {"ranked, still without children", directory, {directory, kNoItem}},
        {"directive with a child", withChild, {withChild, kNoItem}},
        {"nested rank 0 directive", child, {withChild, child}},
        {"marked empty section", section, {section, kNoItem}},
    };
    for (const Case& test : cases) {
        const NewItemPlace place = PlaceForNewItem(tree, registry, test.current);
        EXPECT_EQ(place.parent, test.place.parent) << test.name;
        EXPECT_EQ(place.after, test.place.after) << test.name;
    }
    const ItemHandle added = InsertNewItem(tree, registry, PlaceForNewItem(tree, registry, port), "Options");
    EXPECT_EQ(tree.Parent(added), top);
    EXPECT_EQ(tree.NextSibling(port), added);
    EXPECT_EQ(tree.NextSibling(added), unknown);
}

// Drives and folders made up for the test: folders by their full path ("C:\Apache").
class MadeUpDrives final : public DriveSystem {
public:
    std::uint32_t PresentDrives() const override { return present; }
    DriveType TypeOf(const std::string& root) const override {
        const auto found = types.find(root[0]);
        return found == types.end() ? DriveType::NoRootDirectory : found->second;
    }
    std::optional<std::string> VolumeName(const std::string& root) const override {
        ++volumeQueries;
        const auto found = volumes.find(root[0]);
        if (found == volumes.end()) return std::nullopt;
        return found->second;
    }
    std::vector<FolderEntry> List(const std::string& pattern) const override {
        lastPattern = pattern;
        const std::string folder = pattern.substr(0, pattern.size() - 2);  // without "\*"
        std::vector<FolderEntry> entries;
        if (unlistable.count(folder)) return entries;
        for (const std::string& path : folders) {
            if (path.size() > folder.size() + 1 && path.compare(0, folder.size() + 1, folder + "\\") == 0 &&
                path.find('\\', folder.size() + 1) == std::string::npos)
                entries.push_back({path.substr(folder.size() + 1), true});
        }
        entries.push_back({"readme.txt", false});
        entries.push_back({".", true});
        entries.push_back({"..", true});
        return entries;
    }

    std::uint32_t present = 0b1101;  // A, C, D
    std::map<char, DriveType> types{{'A', DriveType::Removable}, {'C', DriveType::Fixed}, {'D', DriveType::CdRom}};
    std::map<char, std::string> volumes{{'A', "Floppy"}, {'C', "System"}};
    std::set<std::string> folders{"C:\\Program Files", "C:\\Program Files\\Apache", "C:\\apache", "C:\\.hidden",
                                  "C:\\Zeta", "A:\\Backup", "C:\\Locked", "C:\\\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88", "C:\\Zo\xC3\xAB"};
    std::set<std::string> unlistable{"C:\\Locked"};
    mutable int volumeQueries = 0;
    mutable std::string lastPattern;
};

std::vector<std::string> Children(const ConfigTree& tree, ItemHandle item) {
    std::vector<std::string> texts;
    for (ItemHandle child = tree.FirstChild(item); child; child = tree.NextSibling(child))
        texts.emplace_back(tree.GetItem(child).text);
    return texts;
}

ItemHandle Child(const ConfigTree& tree, ItemHandle item, std::string_view text) {
    for (ItemHandle child = item ? tree.FirstChild(item) : tree.FirstFileItem(); child; child = tree.NextSibling(child))
        if (tree.GetItem(child).text == text) return child;
    return kNoItem;
}

TEST(DirectoryChooser, ListsDrivesWithoutTouchingRemovableOnes) {
    MadeUpDrives drives;
    MemoryTree tree;
    FillDriveList(tree, drives);
    EXPECT_EQ(Children(tree, kNoItem).size(), 0u);  // the top level is not a child list
    std::vector<std::string> texts;
    for (ItemHandle drive = tree.FirstFileItem(); drive; drive = tree.NextSibling(drive)) {
        texts.emplace_back(tree.GetItem(drive).text);
        EXPECT_EQ(Children(tree, drive), std::vector<std::string>{".."});
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Removable Disk (A:)", "System (C:)", " (D:)"}));
    EXPECT_EQ(drives.volumeQueries, 2);  // C and D only
    EXPECT_EQ(tree.GetItem(tree.FirstFileItem()).image, 2);
    EXPECT_EQ(tree.GetItem(Child(tree, kNoItem, " (D:)")).image, 5);
    EXPECT_EQ(DriveImage(DriveType::RamDisk), 6);
    EXPECT_EQ(DriveImage(DriveType::Unknown), 2);
}

TEST(DirectoryChooser, ExpandsFoldersLazilyAndBuildsPaths) {
    MadeUpDrives drives;
    MemoryTree tree;
    FillDriveList(tree, drives);
    const ItemHandle c = Child(tree, kNoItem, "System (C:)");
    ExpandFolder(tree, drives, c);
    EXPECT_EQ(drives.lastPattern, "C:\\*");
    // Names in other scripts after the Latin letters, as their UTF-8 bytes go.
    EXPECT_EQ(Children(tree, c), (std::vector<std::string>{"apache", "Locked", "Program Files", "Zeta", "Zo\xC3\xAB",
                                                           "\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88"}));
    const ItemHandle programs = Child(tree, c, "Program Files");
    ExpandFolder(tree, drives, programs);
    const ItemHandle apache = Child(tree, programs, "Apache");
    EXPECT_EQ(BuildItemPath(tree, apache, '\\'), "C:\\Program Files\\Apache");
    EXPECT_EQ(BuildItemPath(tree, apache, '/'), "C:/Program Files/Apache");
    EXPECT_EQ(BuildItemPath(tree, c, '/'), "C:");
    EXPECT_EQ(BuildItemPath(tree, kNoItem, '/'), "");

    const ItemHandle a = tree.FirstFileItem();
    ExpandFolder(tree, drives, a);
    EXPECT_EQ(BuildItemPath(tree, Child(tree, a, "Backup"), '/'), "A:/Backup");

    ExpandFolder(tree, drives, Child(tree, c, "Locked"));  // cannot be listed: no children
    EXPECT_TRUE(Children(tree, Child(tree, c, "Locked")).empty());
}

TEST(DirectoryChooser, PruningThenExpandingShowsTheFolderAsItIsNow) {
    MadeUpDrives drives;
    MemoryTree tree;
    FillDriveList(tree, drives);
    const ItemHandle c = Child(tree, kNoItem, "System (C:)");
    ExpandFolder(tree, drives, c);
    PruneFolder(tree, c);
    EXPECT_EQ(Children(tree, c), std::vector<std::string>{"apache"});
    drives.folders.insert("C:\\New Folder");
    ExpandFolder(tree, drives, c);
    EXPECT_EQ(Children(tree, c), (std::vector<std::string>{"apache", "Locked", "New Folder", "Program Files", "Zeta",
                                                           "Zo\xC3\xAB", "\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88"}));
    EXPECT_EQ(tree.LiveValueCount(), 3u);  // only the drive items carry a value, their letter
}

}  // namespace
}  // namespace tarnwick::testing
