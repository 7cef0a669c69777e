#include "tree_editing.h"

#include "own_comments.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tarnwick {

ItemHandle CopySubtree(const ConfigTree& from, ItemHandle item, ConfigTree& to, ItemHandle parent, InsertPosition where,
                       std::uint32_t shallower) {
    const auto copyOf = [&](ItemHandle original) {
        ItemFields fields = ItemFields::From(from.GetItem(original));
        if (fields.source && fields.source->file) fields.source->depth -= std::min(shallower, fields.source->depth);
        return fields;
    };
    const ItemHandle top = to.InsertItem(parent, where, copyOf(item).View());
    // Iterative, so that any depth is copied.
    std::vector<std::pair<ItemHandle, ItemHandle>> pending;  // (original, copy)
    if (top != kNoItem) pending.emplace_back(item, top);
    while (!pending.empty()) {
        const auto [original, copy] = pending.back();
        pending.pop_back();
        for (ItemHandle child = from.FirstChild(original); child != kNoItem; child = from.NextSibling(child)) {
            const ItemHandle made = to.InsertItem(copy, InsertPosition::Last(), copyOf(child).View());
            if (made != kNoItem) pending.emplace_back(child, made);
        }
    }
    return top;
}

bool IsSameOrBelow(const ConfigTree& tree, ItemHandle item, ItemHandle ancestor) {
    for (; item != kNoItem; item = tree.Parent(item))
        if (item == ancestor) return true;
    return false;
}

namespace {

// Makes `item` with everything below it again at `where` under `parent`, selects the copy and
// deletes the item.
ItemHandle MoveTo(ConfigTree& tree, ItemHandle parent, InsertPosition where, ItemHandle item, SourceFiles* sources) {
    if (sources) LeaveOtherLinesBehind(tree, *sources, item);
    const ItemHandle copy = CopySubtree(tree, item, tree, parent, where);
    if (copy == kNoItem) return kNoItem;
    tree.SelectItem(copy);
    tree.DeleteItem(item);
    return copy;
}

}  // namespace

ItemHandle MoveItem(ConfigTree& tree, ItemHandle target, ItemHandle source, SourceFiles* sources) {
    if (target == kNoItem || source == kNoItem || tree.Parent(source) == kNoItem) return kNoItem;
    // Into itself would copy the item into its own subtree without end.
    if (IsSameOrBelow(tree, target, source)) return kNoItem;
    // A file item takes the item as its last child: nothing but files stands at the top level.
    const bool intoTarget = tree.FirstChild(target) != kNoItem || tree.Parent(target) == kNoItem;
    const ItemHandle parent = intoTarget ? target : tree.Parent(target);
    return MoveTo(tree, parent, intoTarget ? InsertPosition::Last() : InsertPosition::After(target), source, sources);
}

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
