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

namespace {

// Makes `item` with everything below it again at `where` under `parent` and deletes it.
ItemHandle MoveTo(ConfigTree& tree, ItemHandle parent, InsertPosition where, ItemHandle item, SourceFiles* sources) {
    if (sources) LeaveOtherLinesBehind(tree, *sources, item);
    const ItemFields fields = ItemFields::From(tree.GetItem(item));
    const ItemHandle copy = tree.InsertItem(parent, where, fields.View());
    if (copy == kNoItem) return kNoItem;
    CopyChildren(tree, item, copy);
    tree.SelectItem(copy);
    tree.DeleteItem(item);
    return copy;
}

}  // namespace

ItemHandle MoveSubtree(ConfigTree& tree, ItemHandle parent, ItemHandle item, SourceFiles* sources) {
    if (item == kNoItem || IsSameOrBelow(tree, parent, item)) return kNoItem;
    const ItemHandle copy = MoveTo(tree, parent, InsertPosition::Last(), item, sources);
    if (copy != kNoItem) tree.SelectItem(parent);
    return copy;
}

ItemHandle PreviousSibling(const ConfigTree& tree, ItemHandle item) {
    const ItemHandle parent = tree.Parent(item);
    ItemHandle before = kNoItem;
    for (ItemHandle sibling = parent == kNoItem ? tree.FirstFileItem() : tree.FirstChild(parent);
         sibling != kNoItem && sibling != item; sibling = tree.NextSibling(sibling))
        before = sibling;
    return before;
}

ItemHandle MoveItemUp(ConfigTree& tree, ItemHandle item, SourceFiles* sources) {
    const ItemHandle before = item == kNoItem ? kNoItem : PreviousSibling(tree, item);
    if (before == kNoItem) return kNoItem;
    const ItemHandle further = PreviousSibling(tree, before);
    return MoveTo(tree, tree.Parent(item), further == kNoItem ? InsertPosition::First() : InsertPosition::After(further),
                  item, sources);
}

ItemHandle MoveItemDown(ConfigTree& tree, ItemHandle item, SourceFiles* sources) {
    const ItemHandle next = item == kNoItem ? kNoItem : tree.NextSibling(item);
    if (next == kNoItem) return kNoItem;
    return MoveTo(tree, tree.Parent(item), InsertPosition::After(next), item, sources);
}

}  // namespace tarnwick
