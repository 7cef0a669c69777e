#include "config_document.h"

#include "tree_walk.h"

namespace tarnwick {

void DeleteConfigItem(ConfigDocument& document, ItemHandle item) {
    if (item == kNoItem) return;
    ReleaseItemValues(document.tree, item);
    document.tree.ReleaseItemValue(item);
    document.tree.DeleteItem(item);
    document.currentItem = document.tree.SelectedItem();
}

void AppendBackslash(std::string& directory) {
    if (directory.empty() || directory.back() != '\\') directory += '\\';
}

}  // namespace tarnwick
