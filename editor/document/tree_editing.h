#pragma once
// Moving items in the tree, as drag and drop does it: the item and everything below it are
// made again at the drop place, with their texts, values, images, state and section marks,
// and the items they were made from are deleted.

#include "config_document.h"

namespace tarnwick {

// Makes `item` of `from`, with everything below it, again in `to` under `parent` at `where`
// (the same tree or another). With `shallower`, the copies' kept sources say they stood that
// many levels higher, so that a subtree copied to another depth is written as it stood.
// Returns the copy of `item`, or kNoItem when it could not be made.
ItemHandle CopySubtree(const ConfigTree& from, ItemHandle item, ConfigTree& to, ItemHandle parent, InsertPosition where,
                       std::uint32_t shallower = 0);

// True when `item` is `ancestor` or lies below it.
bool IsSameOrBelow(const ConfigTree& tree, ItemHandle item, ItemHandle ancestor);

// Moves `source` with everything below it to the drop position given by `target`:
// - onto an item with children or onto a file item: the last child of `target`;
// - onto any other item: right after it, under the same parent.
// Nothing moves when `source` is a file item, or `target` is none, `source` itself or below it.
// With `sources` (where the document keeps what it read), the lines above the item that are not
// its own comment lines stay where they stood. Returns the moved item, selected, or kNoItem
// when nothing moved.
ItemHandle MoveItem(ConfigTree& tree, ItemHandle target, ItemHandle source, SourceFiles* sources = nullptr);

// Makes `item` with everything below it again as the last child of `parent`, then deletes
// `item`; with `sources`, as MoveItem. Returns the new item.
ItemHandle MoveSubtree(ConfigTree& tree, ItemHandle parent, ItemHandle item, SourceFiles* sources = nullptr);

// The sibling right before `item`, or kNoItem for the first.
ItemHandle PreviousSibling(const ConfigTree& tree, ItemHandle item);

// Move Up and Move Down: `item` with everything below it and its own comment lines goes
// before its previous sibling or after its next one (a file item among the file items); with
// `sources`, the lines above it that are not its own stay where they stood. Returns the moved
// item, selected, or kNoItem when it stands at the first or last place already.
ItemHandle MoveItemUp(ConfigTree& tree, ItemHandle item, SourceFiles* sources = nullptr);
ItemHandle MoveItemDown(ConfigTree& tree, ItemHandle item, SourceFiles* sources = nullptr);

}  // namespace tarnwick
