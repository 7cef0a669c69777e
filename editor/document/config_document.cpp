#include "config_document.h"

#include "own_comments.h"
#include "tree_walk.h"

namespace tarnwick {

namespace {

char PathChar(char c) { return c == '/' ? '\\' : LowerAscii(c); }

}  // namespace

bool HasUnsavedChanges(const ConfigDocument& document) { return document.tree.Revision() != document.savedRevision; }

void MarkSaved(ConfigDocument& document) { document.savedRevision = document.tree.Revision(); }

void DeleteConfigItem(ConfigDocument& document, ItemHandle item) {
    if (item == kNoItem) return;
    LeaveOtherLinesBehind(document.tree, document.sources, item);
    ReleaseItemValues(document.tree, item);
    document.tree.ReleaseItemValue(item);
    document.tree.DeleteItem(item);
    document.currentItem = document.tree.SelectedItem();
}

void AppendBackslash(std::string& directory) {
    if (directory.empty() || directory.back() != '\\') directory += '\\';
}

std::string FileItemTarget(const ConfigDocument& document, ItemHandle fileItem) {
    const ItemView item = document.tree.GetItem(fileItem);
    std::string target = (item.hasValue && !item.value.empty()) ? std::string(item.value) : document.configDirectory;
    AppendBackslash(target);
    target += item.text;
    return target;
}

std::string PathKey(std::string_view path) {
    std::string key;
    key.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = PathChar(path[i]);
        // "C:\conf\\httpd.conf" names the same file; a leading "\\" (a network path) stays.
        if (c == '\\' && i > 1 && key.back() == '\\') continue;
        key += c;
    }
    return key;
}

bool SamePath(std::string_view a, std::string_view b) { return PathKey(a) == PathKey(b); }

}  // namespace tarnwick
