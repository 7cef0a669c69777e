#pragma once
// The dialogs that add an item under the current one and assign a pane kind to a name.

#include "config_tree.h"
#include "registry.h"

#include <cstdint>
#include <functional>

#include <windows.h>

namespace tarnwick {

struct NewItemRequest {
    ConfigTree& tree;
    const Registry& registry;
    ItemHandle& currentItem;
    // Runs the New File dialog once; the loop asks again until a file item is current.
    std::function<void()> askForFileItem;
    ItemHandle added = kNoItem;  // the item the dialog added
};

// Dialog 110: offers the names the current item may hold and adds the chosen or typed one.
// Returns true when an item was added.
bool ShowNewItemDialog(HINSTANCE instance, HWND owner, NewItemRequest& request);

// Dialog 131: the template list; returns the chosen template number, or 0.
std::uint32_t ShowSetTemplateDialog(HINSTANCE instance, HWND owner, const Registry& registry);

}  // namespace tarnwick
