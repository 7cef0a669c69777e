#pragma once
// Walks and lookups over the tree. All of them are iterative, so that a configuration nested
// as deep as memory allows cannot overflow the stack.

#include "config_tree.h"

#include <string_view>

namespace tarnwick {

// An ASCII capital as its small letter; every other byte as it is.
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII letters compare without regard to case; every other byte must be equal.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The first item named `name` among `start` and its following siblings, searching each
// item's subtree before the item itself. start == kNoItem starts at the first file item.
// Names compare without regard to case, over their first kMaxItemTextLength characters.
ItemHandle FindItemByName(const ConfigTree& tree, ItemHandle start, std::string_view name);

// Releases the value strings of every item below `item`, not that of `item` itself.
void ReleaseItemValues(ConfigTree& tree, ItemHandle item);

// Releases the value strings below every file item; the file items keep their directories.
void ReleaseTreeValues(ConfigTree& tree);

// Visits `first`, its following siblings and everything below them in the order the search
// above uses: an item's children before the item, its subtree before its following siblings.
// `visit` returns true to stop; the handle it stopped at is returned, else kNoItem.
template <typename Visit>
ItemHandle VisitChildrenFirst(const ConfigTree& tree, ItemHandle first, Visit visit);

// Visits every item below `top` in the order they stand in the file: an item before its
// children, its children before its following siblings.
template <typename Visit>
void VisitInFileOrder(const ConfigTree& tree, ItemHandle top, Visit visit);

// The same order, as a writer needs it: enter(item, hasChildren) is called before an item's
// children and returns whether the item is a section; leave(item) is called after the last
// child of every item that has children, and right after entering a section without any.
template <typename Enter, typename Leave>
void WalkInFileOrder(const ConfigTree& tree, ItemHandle top, Enter enter, Leave leave);

}  // namespace tarnwick

#include "tree_walk_inl.h"
