#pragma once
// Items as configuration text: what Copy puts on the clipboard and Paste reads back. The
// text is what Save writes with the layout kept, so a copied item keeps its comment lines
// and indentation wherever it is pasted.

#include "config_document.h"

#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr std::string_view kNoConfigurationLines = "The clipboard holds no configuration lines.";

// The item and everything below it as Save writes them with the layout kept, with its own
// comment lines (not those that belong to the place it stands in), its indentation made
// relative to its own level, every line ended by CR LF. A file item gives its contents.
std::string ItemsText(const ConfigTree& tree, ItemHandle item);

// What Paste did: the first item it inserted and how many items it read at the top level.
struct PastedItems {
    ItemHandle first = kNoItem;
    std::size_t count = 0;
};

// Reads `text` with the reader's rules (its bytes are kept in the document, so the items keep
// their layout) and inserts the items read after `selected` at its level, or at the end of a
// selected file item; the first is selected. Nothing is inserted when the text holds no
// configuration lines or no item is selected.
PastedItems PasteItems(ConfigDocument& document, ItemHandle selected, std::string text);

}  // namespace tarnwick
