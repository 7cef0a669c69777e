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

// Adds `name` as the last child of `parent`, valued with its template's default, with section
// images when its rank is not 0; nothing is selected. An empty name adds nothing.
ItemHandle InsertNewItem(ConfigTree& tree, const Registry& registry, ItemHandle parent, std::string_view name);

}  // namespace tarnwick
