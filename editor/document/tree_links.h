#pragma once
// The shape of a tree and the words of its items, kept beside a control that holds the same
// tree, so that walks and searches read memory instead of asking the control once per item
// and step: each item's parent, children and siblings, its text, value and images. The
// binding that owns it changes it in step with the control.

#include "config_tree.h"

#include <string>
#include <unordered_map>

namespace tarnwick {

class TreeLinks {
public:
    struct Fields {
        std::string text;
        std::string* value = nullptr;  // owned by the binding
        int image = 0;
        int selectedImage = 0;
    };

    // Links `item` under `parent` (kNoItem: the top level), first, last, or after `after`
    // when that is one of the parent's children (else last), as the control places it.
    void Insert(ItemHandle item, ItemHandle parent, InsertPosition where, Fields fields);
    // Unlinks the item and forgets it and everything below it; `forget` sees each of them.
    template <typename Forget>
    void Remove(ItemHandle item, Forget forget);

    bool Knows(ItemHandle item) const { return nodes_.count(item) != 0; }
    const Fields* FieldsOf(ItemHandle item) const;
    void SetValue(ItemHandle item, std::string* value);

    ItemHandle First() const { return top_.firstChild; }
    ItemHandle NextSibling(ItemHandle item) const;
    ItemHandle FirstChild(ItemHandle item) const;
    ItemHandle Parent(ItemHandle item) const;

private:
    struct Node {
        ItemHandle parent = kNoItem;
        ItemHandle firstChild = kNoItem;
        ItemHandle lastChild = kNoItem;
        ItemHandle previous = kNoItem;
        ItemHandle next = kNoItem;
        Fields fields;
    };
    Node* NodeOf(ItemHandle item) { return item == kNoItem ? &top_ : Lookup(item); }
    Node* Lookup(ItemHandle item);
    const Node* Lookup(ItemHandle item) const;
    void Unlink(ItemHandle item, Node& node);

    Node top_;  // the top level's children
    std::unordered_map<ItemHandle, Node> nodes_;
};

template <typename Forget>
void TreeLinks::Remove(ItemHandle item, Forget forget) {
    Node* node = Lookup(item);
    if (!node) return;
    Unlink(item, *node);
    // Below the item, children before their following siblings; parent links lead back up.
    ItemHandle at = item;
    for (;;) {
        if (const ItemHandle child = FirstChild(at); child != kNoItem) {
            at = child;
            continue;
        }
        // `at` has no children left: forget it, and climb while nothing follows.
        for (;;) {
            const ItemHandle next = at == item ? kNoItem : NextSibling(at);
            const ItemHandle parent = at == item ? kNoItem : Parent(at);
            forget(at);
            if (Node* gone = Lookup(at); gone && at != item) {
                if (Node* up = Lookup(parent)) up->firstChild = next;
            }
            nodes_.erase(at);
            if (at == item) return;
            if (next != kNoItem) {
                at = next;
                break;
            }
            at = parent;
        }
    }
}

}  // namespace tarnwick
