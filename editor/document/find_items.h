#pragma once
// Find and Find Next over the whole configuration: items are looked at in the order they stand
// in their files, collapsed sections included, from the item after a starting one, wrapping
// once around the end.

#include "config_tree.h"

#include <string>
#include <string_view>

namespace tarnwick {

// A text looked for in item texts. Without matchCase, ASCII letters match either case; every
// other byte must be equal. An empty text matches nothing.
class TextMatcher {
public:
    TextMatcher(std::string_view text, bool matchCase);
    bool In(std::string_view haystack) const;
    bool Empty() const { return text_.empty(); }

private:
    std::string text_;  // small letters only when the case is not matched
    bool matchCase_;
};

// Whether the item's name, value or own comment lines hold the text.
bool ItemHolds(const ItemView& item, const TextMatcher& matcher);

enum class FindDirection { Forward, Backward };

// The next item (or, backward, the previous one) after `from` that holds the text, in file
// order, wrapping once: `from` itself is looked at last. from == kNoItem starts at the first
// item (backward: at the last). kNoItem when no item holds it.
ItemHandle FindItem(const ConfigTree& tree, ItemHandle from, const TextMatcher& matcher, FindDirection direction);

// The item after `item` in file order: its first child, else its next sibling, else the next
// sibling of the nearest parent that has one; kNoItem after the last item.
ItemHandle NextInFileOrder(const ConfigTree& tree, ItemHandle item);

}  // namespace tarnwick
