// One suite for every binding of the tree operations: what the core relies on must hold for
// the in-memory tree and the real tree-view control alike.

#include "test_support.h"
#include "tree_bindings.h"
#include "tree_walk.h"

#include <functional>
#include <random>
#include <vector>

namespace tarnwick::testing {
namespace {

ItemView Directive(std::string_view name, std::string_view value) {
    ItemView item;
    item.text = name;
    item.value = value;
    item.hasValue = true;
    item.image = item.selectedImage = kDirectiveImage;
    return item;
}

ItemView Section(std::string_view name, std::string_view value) {
    ItemView item = Directive(name, value);
    item.image = kSectionImage;
    item.selectedImage = kSectionSelectedImage;
    item.sectionMark = true;
    return item;
}

ItemView File(std::string_view name) {
    ItemView item = Section(name, "C:\\conf\\");
    item.image = kFileImage;
    item.selectedImage = kFileSelectedImage;
    return item;
}

template <typename Binding>
class TreeConformance : public ::testing::Test {
protected:
    Binding binding;
    ConfigTree& tree = binding.tree;

    ItemHandle Add(ItemHandle parent, const ItemView& item) { return tree.InsertItem(parent, InsertPosition::Last(), item); }

    std::vector<std::string> ChildNames(ItemHandle parent) {
        std::vector<std::string> names;
        for (ItemHandle child = parent ? tree.FirstChild(parent) : tree.FirstFileItem(); child;
             child = tree.NextSibling(child))
            names.emplace_back(tree.GetItem(child).text);
        return names;
    }
};
TYPED_TEST_SUITE(TreeConformance, TreeBindings);

TYPED_TEST(TreeConformance, EmptyTreeHasNothingToFind) {
    EXPECT_EQ(this->tree.FirstFileItem(), kNoItem);
    EXPECT_EQ(this->tree.SelectedItem(), kNoItem);
    EXPECT_EQ(FindItemByName(this->tree, kNoItem, "httpd.conf"), kNoItem);
    ReleaseTreeValues(this->tree);
    EXPECT_EQ(this->binding.LiveValues(), 0u);
}

TYPED_TEST(TreeConformance, InsertPositionsOrderSiblings) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("httpd.conf"));
    const ItemHandle b = tree.InsertItem(file, InsertPosition::Last(), Directive("B", ""));
    tree.InsertItem(file, InsertPosition::First(), Directive("A", ""));
    tree.InsertItem(file, InsertPosition::Last(), Directive("D", ""));
    tree.InsertItem(file, InsertPosition::After(b), Directive("C", ""));
    EXPECT_EQ(this->ChildNames(file), (std::vector<std::string>{"A", "B", "C", "D"}));
    // A position after an item of another parent means the end.
    const ItemHandle other = this->Add(kNoItem, File("srm.conf"));
    tree.InsertItem(other, InsertPosition::After(b), Directive("X", ""));
    tree.InsertItem(other, InsertPosition::After(b), Directive("Y", ""));
    EXPECT_EQ(this->ChildNames(other), (std::vector<std::string>{"X", "Y"}));
    EXPECT_EQ(this->ChildNames(kNoItem), (std::vector<std::string>{"httpd.conf", "srm.conf"}));
    EXPECT_EQ(tree.Parent(b), file);
    EXPECT_EQ(tree.Parent(file), kNoItem);
}

TYPED_TEST(TreeConformance, GetItemReturnsEveryField) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("httpd.conf"));
    const ItemHandle section = this->Add(file, Section("Directory", "\"C:/web\""));
    ItemView bare = Directive("ClearModuleList", "");
    bare.hasValue = false;
    const ItemHandle noValue = this->Add(section, bare);

    ItemView item = tree.GetItem(section);
    EXPECT_EQ(item.text, "Directory");
    EXPECT_EQ(item.value, "\"C:/web\"");
    EXPECT_TRUE(item.hasValue);
    EXPECT_EQ(item.image, kSectionImage);
    EXPECT_EQ(item.selectedImage, kSectionSelectedImage);
    EXPECT_TRUE(item.sectionMark);

    item = tree.GetItem(noValue);
    EXPECT_EQ(item.text, "ClearModuleList");
    EXPECT_FALSE(item.hasValue);
    EXPECT_FALSE(item.sectionMark);
    EXPECT_EQ(item.image, kDirectiveImage);
    EXPECT_EQ(tree.GetItem(file).value, "C:\\conf\\");
}

TYPED_TEST(TreeConformance, SectionMarkDoesNotFollowChildren) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("a.conf"));
    const ItemHandle emptySection = this->Add(file, Section("Files", "x"));
    const ItemHandle directive = this->Add(file, Directive("Port", "80"));
    const ItemHandle child = this->Add(directive, Directive("Inner", "1"));
    EXPECT_TRUE(CountsAsSection(tree, emptySection));
    EXPECT_TRUE(CountsAsSection(tree, directive));  // it has a child
    tree.DeleteItem(child);
    EXPECT_FALSE(tree.GetItem(directive).sectionMark);
    EXPECT_FALSE(CountsAsSection(tree, directive));
    EXPECT_TRUE(tree.GetItem(emptySection).sectionMark);
    // A section-looking directive: images alone do not make a section.
    ItemView looksLikeSection = Directive("Odd", "");
    looksLikeSection.image = kSectionImage;
    EXPECT_FALSE(CountsAsSection(tree, this->Add(file, looksLikeSection)));
}

TYPED_TEST(TreeConformance, TextsKeepTheirLengthAndEndAtNul) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("a.conf"));
    const std::string longName(3000, 'n');
    const std::string bigValue(1 << 20, 'v');
    const ItemHandle item = this->Add(file, Directive(longName, bigValue));
    EXPECT_EQ(tree.GetItem(item).text, longName);
    EXPECT_EQ(tree.GetItem(item).value.size(), bigValue.size());
    const ItemHandle withNul = this->Add(file, Directive(std::string_view("ab\0cd", 5), std::string_view("x\0y", 3)));
    EXPECT_EQ(tree.GetItem(withNul).text, "ab");
    EXPECT_EQ(tree.GetItem(withNul).value, std::string_view("x\0y", 3));  // values are bytes
}

TYPED_TEST(TreeConformance, SetAndReleaseValuesKeepOwnershipExact) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("a.conf"));
    const ItemHandle port = this->Add(file, Directive("Port", "80"));
    EXPECT_EQ(this->binding.LiveValues(), 2u);
    tree.SetItemValue(port, "8080");
    tree.SetItemValue(port, "8081");
    EXPECT_EQ(tree.GetItem(port).value, "8081");
    EXPECT_EQ(this->binding.LiveValues(), 2u);
    tree.ReleaseItemValue(port);
    EXPECT_FALSE(tree.GetItem(port).hasValue);
    tree.ReleaseItemValue(port);  // nothing left to release
    EXPECT_EQ(this->binding.LiveValues(), 1u);
    tree.SetItemValue(port, "");
    EXPECT_TRUE(tree.GetItem(port).hasValue);
    EXPECT_EQ(this->binding.LiveValues(), 2u);
}

TYPED_TEST(TreeConformance, DeleteReleasesTheSubtreeAndSparesSiblings) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("a.conf"));
    const ItemHandle doomed = this->Add(file, Section("IfModule", "mod_dir.c"));
    const ItemHandle inner = this->Add(doomed, Section("Directory", "/"));
    this->Add(inner, Directive("Options", "None"));
    this->Add(doomed, Directive("DirectoryIndex", "index.html"));
    const ItemHandle sibling = this->Add(file, Section("Files", "~"));
    this->Add(sibling, Directive("Deny", "from all"));
    EXPECT_EQ(this->binding.LiveValues(), 7u);
    tree.DeleteItem(doomed);
    EXPECT_EQ(this->binding.LiveValues(), 3u);
    EXPECT_EQ(DumpTree(tree), "F a.conf = C:\\conf\\\n  S Files = ~\n    D Deny = from all\n");
}

TYPED_TEST(TreeConformance, ReleasingValuesBelowAnItem) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("a.conf"));
    const ItemHandle leaf = this->Add(file, Directive("Port", "80"));
    ReleaseItemValues(tree, leaf);  // nothing below it
    EXPECT_EQ(tree.GetItem(leaf).value, "80");
    const ItemHandle section = this->Add(file, Section("Directory", "/"));
    this->Add(section, Directive("Options", "None"));
    ReleaseItemValues(tree, section);
    EXPECT_EQ(tree.GetItem(section).value, "/");
    EXPECT_FALSE(tree.GetItem(tree.FirstChild(section)).hasValue);
    ReleaseTreeValues(tree);
    EXPECT_EQ(tree.GetItem(file).value, "C:\\conf\\");  // file items keep their directories
    EXPECT_EQ(this->binding.LiveValues(), 1u);
}

TYPED_TEST(TreeConformance, FindItemByNameSearchesBelowBeforeTheItem) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("HTTPD.CONF"));
    EXPECT_EQ(FindItemByName(tree, kNoItem, "httpd.conf"), file);
    const ItemHandle section = this->Add(file, Section("Directory", "/"));
    const ItemHandle inner = this->Add(section, Directive("Httpd.Conf", "x"));
    EXPECT_EQ(FindItemByName(tree, kNoItem, "httpd.conf"), inner);
    const ItemHandle second = this->Add(kNoItem, File("srm.conf"));
    const ItemHandle port = this->Add(second, Directive("Port", "80"));
    EXPECT_EQ(FindItemByName(tree, kNoItem, "PORT"), port);
    EXPECT_EQ(FindItemByName(tree, kNoItem, "directory"), section);
    EXPECT_EQ(FindItemByName(tree, second, "directory"), kNoItem);  // starts at the second file
    EXPECT_EQ(FindItemByName(tree, kNoItem, "Missing"), kNoItem);
    // Only the first 1023 characters of a name take part.
    const std::string longName = std::string(kMaxItemTextLength, 'a') + "tail";
    const ItemHandle longItem = this->Add(second, Directive(longName, "1"));
    EXPECT_EQ(FindItemByName(tree, kNoItem, std::string(kMaxItemTextLength, 'A') + "other"), longItem);
}

TYPED_TEST(TreeConformance, SelectionDropHighlightAndHitTest) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("a.conf"));
    const ItemHandle port = this->Add(file, Directive("Port", "80"));
    tree.SelectItem(port);
    EXPECT_EQ(tree.SelectedItem(), port);
    tree.SetDropHighlight(file);
    tree.SetDropHighlight(kNoItem);
    EXPECT_EQ(tree.HitTest(this->binding.PointOf(port)), port);
    EXPECT_EQ(tree.HitTest(this->binding.EmptyPoint()), kNoItem);
    tree.DeleteItem(file);
    EXPECT_EQ(tree.FirstFileItem(), kNoItem);
    EXPECT_EQ(tree.SelectedItem(), kNoItem);
}

// Every change a save would write advances the revision; looking, selecting and highlighting
// do not, nor do calls that find no item to change.
TYPED_TEST(TreeConformance, RevisionCountsChangesOnly) {
    ConfigTree& tree = this->tree;
    const ItemHandle file = this->Add(kNoItem, File("a.conf"));
    const ItemHandle port = this->Add(file, Directive("Port", "80"));
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"insert", [&] { this->Add(file, Directive("User", "nobody")); }},
        {"set value", [&] { tree.SetItemValue(port, "8080"); }},
        {"release value", [&] { tree.ReleaseItemValue(port); }},
        {"delete", [&] { tree.DeleteItem(port); }},
    };
    for (const auto& [name, change] : steps) {
        const std::uint64_t before = tree.Revision();
        change();
        EXPECT_GT(tree.Revision(), before) << name;
    }
    const std::uint64_t settled = tree.Revision();
    tree.GetItem(file);
    tree.SelectItem(file);
    tree.SetDropHighlight(file);
    tree.SetDropHighlight(kNoItem);
    tree.HitTest(this->binding.EmptyPoint());
    FindItemByName(tree, kNoItem, "User");
    tree.SetItemValue(kNoItem, "x");
    tree.DeleteItem(kNoItem);
    EXPECT_EQ(tree.Revision(), settled);
}

// A long random sequence of inserts, value changes, moves (copy and delete) and deletes:
// the binding must agree with the reference tree item by item, and own exactly one string
// per item that has a value, never more (a leak) and never fewer (a double release).
TYPED_TEST(TreeConformance, RandomEditingKeepsOwnershipExact) {
    ConfigTree& tree = this->tree;
    MemoryTree reference;
    std::vector<std::pair<ItemHandle, ItemHandle>> items;  // (binding, reference)
    std::mt19937 random(20261207);
    auto pick = [&]() { return items[std::uniform_int_distribution<std::size_t>(0, items.size() - 1)(random)]; };
    auto forget = [&](ItemHandle gone) {
        std::erase_if(items, [&](const auto& pair) {
            for (ItemHandle up = pair.second; up; up = reference.Parent(up))
                if (up == gone) return true;
            return false;
        });
    };
    for (int step = 0; step < 1500; ++step) {
        const int action = items.empty() ? 0 : std::uniform_int_distribution<int>(0, 9)(random);
        const std::string value = "v" + std::to_string(step);
        if (action <= 4) {
            ItemHandle parent = kNoItem, referenceParent = kNoItem;
            if (!items.empty() && action > 0) std::tie(parent, referenceParent) = pick();
            ItemView item = action % 2 ? Section("S" + std::to_string(step), value) : Directive("D" + std::to_string(step), value);
            item.hasValue = step % 7 != 0;
            items.emplace_back(tree.InsertItem(parent, InsertPosition::Last(), item),
                               reference.InsertItem(referenceParent, InsertPosition::Last(), item));
        } else if (action <= 6) {
            const auto [item, referenceItem] = pick();
            if (action == 5) {
                tree.SetItemValue(item, value);
                reference.SetItemValue(referenceItem, value);
            } else {
                tree.ReleaseItemValue(item);
                reference.ReleaseItemValue(referenceItem);
            }
        } else if (action == 7) {
            // A move as drag and drop makes it: a copy at the end of the top level, then delete.
            const auto [item, referenceItem] = pick();
            const ItemFields fields = ItemFields::From(tree.GetItem(item));
            items.emplace_back(tree.InsertItem(kNoItem, InsertPosition::Last(), fields.View()),
                               reference.InsertItem(kNoItem, InsertPosition::Last(), fields.View()));
            forget(referenceItem);
            tree.DeleteItem(item);
            reference.DeleteItem(referenceItem);
        } else {
            const auto [item, referenceItem] = pick();
            forget(referenceItem);
            tree.DeleteItem(item);
            reference.DeleteItem(referenceItem);
        }
        if (step % 100 == 0 || step == 1499) {
            ASSERT_EQ(DumpTree(tree), DumpTree(reference)) << "after step " << step;
            ASSERT_EQ(this->binding.LiveValues(), CountValues(reference)) << "after step " << step;
        }
    }
}

}  // namespace
}  // namespace tarnwick::testing
