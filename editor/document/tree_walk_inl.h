#pragma once

namespace tarnwick {

// Walks `first`, its following siblings and all their descendants children-first. Parent
// links bring the walk back up, so no stack is kept.
template <typename Visit>
ItemHandle VisitChildrenFirst(const ConfigTree& tree, ItemHandle first, Visit visit) {
    if (first == kNoItem) return kNoItem;
    const ItemHandle level = tree.Parent(first);
    auto deepestFirstChild = [&tree](ItemHandle item) {
        for (ItemHandle child = tree.FirstChild(item); child != kNoItem; child = tree.FirstChild(item))
            item = child;
        return item;
    };
    ItemHandle item = deepestFirstChild(first);
    while (item != kNoItem) {
        // Read the way on before visiting: the visitor may release what it is shown.
        const ItemHandle parent = tree.Parent(item);
        const ItemHandle next = tree.NextSibling(item);
        if (visit(item)) return item;
        if (next != kNoItem)
            item = deepestFirstChild(next);
        else
            item = parent == level ? kNoItem : parent;
    }
    return kNoItem;
}

template <typename Enter, typename Leave>
void WalkInFileOrder(const ConfigTree& tree, ItemHandle top, Enter enter, Leave leave) {
    ItemHandle item = tree.FirstChild(top);
    while (item != kNoItem) {
        const ItemHandle child = tree.FirstChild(item);
        const bool section = enter(item, child != kNoItem);
        if (child != kNoItem) {
            item = child;
            continue;
        }
        if (section) leave(item);
        // Move on: the next sibling, or leave the items whose last child this was.
        for (;;) {
            if (const ItemHandle next = tree.NextSibling(item); next != kNoItem) {
                item = next;
                break;
            }
            item = tree.Parent(item);
            if (item == top) {
                item = kNoItem;
                break;
            }
            leave(item);
        }
    }
}

template <typename Visit>
void VisitInFileOrder(const ConfigTree& tree, ItemHandle top, Visit visit) {
    WalkInFileOrder(
        tree, top,
        [&visit](ItemHandle item, bool) {
            visit(item);
            return false;
        },
        [](ItemHandle) {});
}

}  // namespace tarnwick
