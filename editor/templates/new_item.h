#pragma once
// Adding an item under the current one: the template names offered by their nesting ranks,
// and the new item valued with its template's default.

#include "config_tree.h"
#include "registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The templates key as the new-item code spells it; the registry ignores the case.
inline constexpr const char* kNewItemTemplatesKey = "Software\\Velmora\\Tarnwick\\Templates";

// The template names (subkeys under HKEY_LOCAL_MACHINE only) whose nesting rank is smaller
// than that of `currentName` (2 when it has none), in alphabetical order.
std::vector<std::string> OfferedNames(const Registry& registry, std::string_view currentName);

// Where New Item puts the item it adds: under `parent`, after `after` (kNoItem: last).
struct NewItemPlace {
    ItemHandle parent = kNoItem;
    ItemHandle after = kNoItem;
};

// New Item with `current` selected adds under it, except beside a plain directive (not a file
// item, no section mark, no children, and a template rank of 0 or no template): then after it,
// at its level, since Apache takes no directive made into a section.
NewItemPlace PlaceForNewItem(const ConfigTree& tree, const Registry& registry, ItemHandle current);

// Adds `name` at `place`, valued with its template's default, with section images when its
// rank is not 0; nothing is selected. An empty name adds nothing.
ItemHandle InsertNewItem(ConfigTree& tree, const Registry& registry, NewItemPlace place, std::string_view name);
// The same as the last child of `parent`.
ItemHandle InsertNewItem(ConfigTree& tree, const Registry& registry, ItemHandle parent, std::string_view name);

}  // namespace tarnwick
