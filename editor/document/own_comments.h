#pragma once
// Which of the lines above an item belong to it. The comment lines directly above an item,
// with no blank line between, are its own: they go wherever the item goes. Lines above those
// (a heading or a commented-out alternative set off by a blank line, a closing line that
// closes nothing) belong to the place, and stay there when the item is deleted or moved.

#include "config_document.h"

#include <string_view>

namespace tarnwick {

// The item's own comment lines: the end of its kept lead, from the first of the comment
// lines that stand directly above it. Empty for an item not read from a file.
std::string_view OwnCommentLines(const ItemSource& source);

// Before `item` leaves its place, deleted or moved: the lines above it that are not its own
// are handed to whatever follows it there (its next sibling read from a file, else the closing
// part of its section or the end of its file), so that they stay where they stood. Where
// nothing read from a file follows, they stay with the item.
void LeaveOtherLinesBehind(ConfigTree& tree, SourceFiles& sources, ItemHandle item);

// Puts `lines` (whole lines, line ends included) right after `item` and everything below it:
// into the lead of the item that follows it, else before its parent's closing line or at the
// end of its file. For a file item, nothing.
void KeepLinesAfter(ConfigTree& tree, SourceFiles& sources, ItemHandle item, std::string_view lines);

}  // namespace tarnwick
