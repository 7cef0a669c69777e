#include "tree_editing.h"

#include "own_comments.h"

#include <utility>
#include <vector>

namespace tarnwick {

namespace {

// Copies the children of `from` (and theirs) under `to`, in order. Iterative, so that any
// depth is copied; the originals are left for the caller to delete.
void CopyChildren(ConfigTree& tree, ItemHandle from, ItemHandle to) {
    std::vector<std::pair<ItemHandle, ItemHandle>> pending{{from, to}};  // (original, copy)
    while (!pending.empty()) {
        const auto [original, copy] = pending.back();
        pending.pop_back();
        std::vector<std::pair<ItemHandle, ItemHandle>> made;
        for (ItemHandle child = tree.FirstChild(original); child != kNoItem; child = tree.NextSibling(child)) {
            const ItemFields fields = ItemFields::From(tree.GetItem(child));
            made.emplace_back(child, tree.InsertItem(copy, InsertPosition::Last(), fields.View()));
        }
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            if (it->second != kNoItem) pending.push_back(*it);
    }
}

}  // namespace

bool IsSameOrBelow(const ConfigTree& tree, ItemHandle item, ItemHandle ancestor) {
    for (; item != kNoItem; item = tree.Parent(item))
        if (item == ancestor) return true;
    return false;
}

ItemHandle MoveItem(ConfigTree& tree, ItemHandle target, ItemHandle source, SourceFiles* sources) {
    if (target == kNoItem || source == kNoItem || tree.Parent(source) == kNoItem) return kNoItem;
    // Into itself would copy the item into its own subtree without end.
    if (IsSameOrBelow(tree, target, source)) return kNoItem;
    // A file item takes the item as its last child: nothing but files stands at the top level.
    const bool intoTarget = tree.FirstChild(target) != kNoItem || tree.Parent(target) == kNoItem;
    const ItemHandle parent = intoTarget ? target : tree.Parent(target);
    const InsertPosition where = intoTarget ? InsertPosition::Last() : InsertPosition::After(target);
    if (sources) LeaveOtherLinesBehind(tree, *sources, source);
    const ItemFields fields = ItemFields::From(tree.GetItem(source));
    const ItemHandle moved = tree.InsertItem(parent, where, fields.View());
    if (moved == kNoItem) return kNoItem;
    tree.SelectItem(moved);
    CopyChildren(tree, source, moved);
    tree.SelectItem(moved);
    tree.DeleteItem(source);
    return moved;
}

ItemHandle MoveSubtree(ConfigTree& tree, ItemHandle parent, ItemHandle item, SourceFiles* sources) {
    if (item == kNoItem || IsSameOrBelow(tree, parent, item)) return kNoItem;
    if (sources) LeaveOtherLinesBehind(tree, *sources, item);
    const ItemFields fields = ItemFields::From(tree.GetItem(item));
    const ItemHandle copy = tree.InsertItem(parent, InsertPosition::Last(), fields.View());
    if (copy == kNoItem) return kNoItem;
    CopyChildren(tree, item, copy);
    tree.SelectItem(parent);
    tree.DeleteItem(item);
    return copy;
}

}  // namespace tarnwick
