#pragma once
// The tree operations on a real SysTreeView32. Each item's parameter (lParam) points to its
// value string, or is 0 when it has none. A marked section is given to the control with a
// child count of one, so that it shows an expand button while empty; the mark is kept here as
// well, because the control clears that count when an item's last child goes. Items without
// the mark leave the count to the control, which then follows their real children.

#include "../config_tree.h"
#include "../tree_links.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

#include <windows.h>

namespace tarnwick {

class TreeViewItems final : public ConfigTree {
public:
    explicit TreeViewItems(HWND treeView) : treeView_(treeView) {}
    // Releases every value string still held, whether or not the window still exists.
    ~TreeViewItems() override;
    TreeViewItems(const TreeViewItems&) = delete;
    TreeViewItems& operator=(const TreeViewItems&) = delete;

    ItemHandle InsertItem(ItemHandle parent, InsertPosition where, const ItemView& item) override;
    ItemView GetItem(ItemHandle item) const override;
    ItemView GetItemContent(ItemHandle item) const override;
    void SetItemValue(ItemHandle item, std::string_view value) override;
    void ReleaseItemValue(ItemHandle item) override;
    void SetItemSource(ItemHandle item, const ItemSource& source) override;

    ItemHandle FirstFileItem() const override;
    ItemHandle NextSibling(ItemHandle item) const override;
    ItemHandle FirstChild(ItemHandle item) const override;
    ItemHandle Parent(ItemHandle item) const override;

    ItemHandle SelectedItem() const override;
    void SelectItem(ItemHandle item) override;
    void SetDropHighlight(ItemHandle item) override;
    ItemHandle HitTest(TreePoint point) const override;

    void DeleteItem(ItemHandle item) override;
    std::uint64_t Revision() const override { return revision_; }

    HWND Window() const { return treeView_; }
    std::size_t LiveValueCount() const { return values_.size(); }

private:
    ItemHandle Next(ItemHandle item, UINT relation) const;
    std::string* ValueOf(ItemHandle item) const;
    void StoreValue(ItemHandle item, std::string* value);
    void ReleaseValue(std::string* value);

    HWND treeView_;
    std::unordered_set<std::string*> values_;  // every value string this binding owns
    std::unordered_set<ItemHandle> marked_;     // the items whose section mark is set
    std::unordered_map<ItemHandle, ItemSource> sources_;  // where the items read from a file stood
    // The tree's shape and the items' words, in step with the control: walks and searches read
    // them here, as asking the control costs a message per item and step.
    TreeLinks links_;
    mutable std::string textBuffer_;           // backs the text of the last GetItem
    std::uint64_t revision_ = 0;
};

}  // namespace tarnwick
