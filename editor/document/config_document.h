#pragma once
// The editor's document state that belongs with the tree: the tree itself, where files are
// read from and written to, the configuration directory and the line-end mode of saves.

#include "config_tree.h"
#include "file_store.h"

#include <string>

namespace tarnwick {

struct ConfigDocument {
    ConfigTree& tree;
    FileStore& files;
    // Where files are opened and saved; after an Open or Save As it ends in a backslash.
    std::string configDirectory;
    // On: every saved line ends in CR LF; off: in LF. On at start-up, never stored.
    bool crLfMode = true;
    // The item last selected in the tree; Delete, New Item and the panes act on it.
    ItemHandle currentItem = kNoItem;
};

// Deletes the item and everything below it, releasing their value strings; the current item
// becomes whatever the tree selects afterwards.
void DeleteConfigItem(ConfigDocument& document, ItemHandle item);

// Appends a backslash unless `directory` already ends in one.
void AppendBackslash(std::string& directory);

}  // namespace tarnwick
