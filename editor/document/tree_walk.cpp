#include "tree_walk.h"

#include <algorithm>

namespace tarnwick {

namespace {

std::string_view LookupPrefix(std::string_view text) {
    return text.substr(0, std::min(text.size(), kMaxItemTextLength));
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

ItemHandle FindItemByName(const ConfigTree& tree, ItemHandle start, std::string_view name) {
    if (start == kNoItem) start = tree.FirstFileItem();
    const std::string_view wanted = LookupPrefix(name);
    return VisitChildrenFirst(tree, start, [&](ItemHandle item) {
        return EqualsIgnoringCase(LookupPrefix(tree.GetItem(item).text), wanted);
    });
}

void ReleaseItemValues(ConfigTree& tree, ItemHandle item) {
    VisitChildrenFirst(tree, tree.FirstChild(item), [&](ItemHandle below) {
        tree.ReleaseItemValue(below);
        return false;
    });
}

void ReleaseTreeValues(ConfigTree& tree) {
    for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file))
        ReleaseItemValues(tree, file);
}

}  // namespace tarnwick
