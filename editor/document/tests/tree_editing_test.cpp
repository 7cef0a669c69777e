// Moving items as drag and drop does, on every tree binding: where the item lands, what comes
// along with it, and the drops that must do nothing.

#include "config_reader.h"
#include "test_support.h"
#include "tree_bindings.h"
#include "tree_editing.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

template <typename Binding>
class TreeEditing : public ::testing::Test {
protected:
    Binding binding;
    ConfigTree& tree = binding.tree;
    ItemHandle file = kNoItem;
    // Outlives the items, which keep where they stood in it.
    const std::string fileText =
        "Port 80\nUser nobody\n<Directory />\nOptions None\nAllowOverride None\n</Directory>\n"
        "<IfModule mod_dir.c>\n<Files x>\nDeny all\n</Files>\nDirectoryIndex index.html\n</IfModule>\n"
        "Group nogroup\n";

    void SetUp() override {
        ItemView item;
        item.text = "httpd.conf";
        item.value = "C:\\conf\\";
        item.hasValue = true;
        item.sectionMark = true;
        file = tree.InsertItem(kNoItem, InsertPosition::Last(), item);
        ParseConfigText(tree, fileText, file);
    }

    ItemHandle Find(const char* name) { return FindItemByName(tree, kNoItem, name); }
    std::string Dump() { return DumpChildren(tree, file); }
};
TYPED_TEST_SUITE(TreeEditing, TreeBindings);

TYPED_TEST(TreeEditing, DroppingOnADirectivePlacesTheItemRightAfterIt) {
    const ItemHandle moved = MoveItem(this->tree, this->Find("Port"), this->Find("Group"));
    ASSERT_NE(moved, kNoItem);
    EXPECT_EQ(this->tree.SelectedItem(), moved);
    EXPECT_EQ(this->tree.NextSibling(this->Find("Port")), moved);
    EXPECT_EQ(this->Dump().substr(0, 45), "D Port = 80\nD Group = nogroup\nD User = nobody");
}

TYPED_TEST(TreeEditing, DroppingOnASectionWithChildrenMakesItAChild) {
    const ItemHandle directory = this->Find("Directory");
    const ItemHandle moved = MoveItem(this->tree, directory, this->Find("User"));
    EXPECT_EQ(this->tree.Parent(moved), directory);
    EXPECT_NE(this->Dump().find("S Directory = /\n  D Options = None\n  D AllowOverride = None\n  D User = nobody\n"),
              std::string::npos);
}

TYPED_TEST(TreeEditing, AMovedSectionTakesItsChildrenAndValuesAlong) {
    const std::size_t values = this->binding.LiveValues();
    const ItemHandle moved = MoveItem(this->tree, this->Find("Group"), this->Find("IfModule"));
    ASSERT_NE(moved, kNoItem);
    EXPECT_EQ(this->binding.LiveValues(), values);
    EXPECT_EQ(this->Dump(),
              "D Port = 80\nD User = nobody\nS Directory = /\n  D Options = None\n  D AllowOverride = None\n"
              "D Group = nogroup\nS IfModule = mod_dir.c\n  S Files = x\n    D Deny = all\n"
              "  D DirectoryIndex = index.html\n");
    EXPECT_TRUE(this->tree.GetItem(moved).sectionMark);
}

TYPED_TEST(TreeEditing, DropsThatMoveNothing) {
    const std::string before = this->Dump();
    EXPECT_EQ(MoveItem(this->tree, this->Find("Port"), this->file), kNoItem);          // a file item
    EXPECT_EQ(MoveItem(this->tree, this->Find("Deny"), this->Find("IfModule")), kNoItem);  // below itself
    EXPECT_EQ(MoveItem(this->tree, this->Find("Port"), this->Find("Port")), kNoItem);      // onto itself
    EXPECT_EQ(MoveItem(this->tree, kNoItem, this->Find("Port")), kNoItem);                // an empty spot
    EXPECT_EQ(this->Dump(), before);
}

TYPED_TEST(TreeEditing, DroppingOnAFileItemMakesTheLastChild) {
    ItemView empty;
    empty.text = "srm.conf";
    empty.sectionMark = true;
    const ItemHandle srm = this->tree.InsertItem(kNoItem, InsertPosition::Last(), empty);
    const ItemHandle moved = MoveItem(this->tree, srm, this->Find("Options"));
    EXPECT_EQ(this->tree.Parent(moved), srm);
    const ItemHandle back = MoveItem(this->tree, this->file, moved);
    EXPECT_EQ(this->tree.Parent(back), this->file);
    EXPECT_EQ(this->tree.NextSibling(back), kNoItem);  // the file item's last child
    EXPECT_EQ(this->tree.NextSibling(srm), kNoItem);  // nothing new at the top level
}

TYPED_TEST(TreeEditing, SectionEmptiedByMovesStaysASection) {
    const ItemHandle files = this->Find("Files");
    MoveItem(this->tree, this->Find("Port"), this->Find("Deny"));
    EXPECT_EQ(this->tree.FirstChild(files), kNoItem);
    EXPECT_TRUE(CountsAsSection(this->tree, files));
}

TYPED_TEST(TreeEditing, MoveSubtreeAppendsUnderTheParent) {
    const ItemHandle copy = MoveSubtree(this->tree, this->Find("Directory"), this->Find("IfModule"));
    EXPECT_EQ(this->tree.Parent(copy), this->Find("Directory"));
    EXPECT_EQ(DumpItem(this->tree, copy), "S IfModule = mod_dir.c\n  S Files = x\n    D Deny = all\n  D DirectoryIndex = index.html\n");
    EXPECT_EQ(MoveSubtree(this->tree, this->Find("Deny"), this->Find("Directory")), kNoItem);
}

}  // namespace
}  // namespace tarnwick::testing
