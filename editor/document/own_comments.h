#pragma once
// The comment lines that belong to one item: those directly above its own line, with no blank
// line between. A comment separated from the item by a blank line is about what follows in
// general, not about this item, and stays where it is when the item goes.

#include "config_tree.h"

#include <string_view>

namespace tarnwick {

// The item's own comment lines as they stand in its kept source, whole lines with their line
// ends, as one view into the file's bytes (its position there is data() less the file's start).
// Empty for an item not read from a file, or with no comment line right above it.
std::string_view OwnCommentLines(const ItemSource& source);

// Whether a line (without its line end) is a comment line: its first non-blank byte is '#'.
bool IsCommentLine(std::string_view line);

}  // namespace tarnwick
