#include "find_items.h"

#include "own_comments.h"
#include "tree_walk.h"

#include <algorithm>

namespace tarnwick {

TextMatcher::TextMatcher(std::string_view text, bool matchCase) : text_(text), matchCase_(matchCase) {
    if (!matchCase_) std::transform(text_.begin(), text_.end(), text_.begin(), LowerAscii);
}

bool TextMatcher::In(std::string_view haystack) const {
    if (text_.empty() || haystack.size() < text_.size()) return false;
    if (matchCase_) return haystack.find(text_) != std::string_view::npos;
    const char first = text_[0];
    const std::size_t last = haystack.size() - text_.size();
    for (std::size_t at = 0; at <= last; ++at) {
        if (LowerAscii(haystack[at]) != first) continue;
        std::size_t i = 1;
        while (i < text_.size() && LowerAscii(haystack[at + i]) == text_[i]) ++i;
        if (i == text_.size()) return true;
    }
    return false;
}

bool ItemHolds(const ItemView& item, const TextMatcher& matcher) {
    if (matcher.In(item.text) || matcher.In(item.value)) return true;
    return item.source && matcher.In(OwnCommentLines(*item.source));
}

ItemHandle NextInFileOrder(const ConfigTree& tree, ItemHandle item) {
    if (const ItemHandle child = tree.FirstChild(item); child != kNoItem) return child;
    for (; item != kNoItem; item = tree.Parent(item))
        if (const ItemHandle next = tree.NextSibling(item); next != kNoItem) return next;
    return kNoItem;
}

namespace {

bool Holds(const ConfigTree& tree, ItemHandle item, const TextMatcher& matcher) {
    return ItemHolds(tree.GetItemContent(item), matcher);
}

ItemHandle FindForward(const ConfigTree& tree, ItemHandle from, const TextMatcher& matcher) {
    const ItemHandle start = from == kNoItem ? tree.FirstFileItem() : NextInFileOrder(tree, from);
    for (ItemHandle item = start; item != kNoItem; item = NextInFileOrder(tree, item))
        if (Holds(tree, item, matcher)) return item;
    if (from == kNoItem) return kNoItem;
    // Round the end once, up to and with the starting item.
    for (ItemHandle item = tree.FirstFileItem(); item != kNoItem; item = NextInFileOrder(tree, item)) {
        if (Holds(tree, item, matcher)) return item;
        if (item == from) break;
    }
    return kNoItem;
}

// The tree can be walked forward only; one walk notes the last match before the starting item
// and the last match of all, which is where going backward round the start arrives.
ItemHandle FindBackward(const ConfigTree& tree, ItemHandle from, const TextMatcher& matcher) {
    ItemHandle lastBefore = kNoItem, lastOfAll = kNoItem;
    bool passed = from == kNoItem;
    for (ItemHandle item = tree.FirstFileItem(); item != kNoItem; item = NextInFileOrder(tree, item)) {
        if (item == from) passed = true;
        if (!Holds(tree, item, matcher)) continue;
        if (!passed) lastBefore = item;
        lastOfAll = item;
    }
    return lastBefore != kNoItem ? lastBefore : lastOfAll;
}

}  // namespace

ItemHandle FindItem(const ConfigTree& tree, ItemHandle from, const TextMatcher& matcher, FindDirection direction) {
    if (matcher.Empty()) return kNoItem;
    return direction == FindDirection::Forward ? FindForward(tree, from, matcher) : FindBackward(tree, from, matcher);
}

}  // namespace tarnwick
