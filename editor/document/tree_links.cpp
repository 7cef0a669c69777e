#include "tree_links.h"

namespace tarnwick {

TreeLinks::Node* TreeLinks::Lookup(ItemHandle item) {
    const auto found = nodes_.find(item);
    return found == nodes_.end() ? nullptr : &found->second;
}

const TreeLinks::Node* TreeLinks::Lookup(ItemHandle item) const {
    const auto found = nodes_.find(item);
    return found == nodes_.end() ? nullptr : &found->second;
}

void TreeLinks::Insert(ItemHandle item, ItemHandle parent, InsertPosition where, Fields fields) {
    Node* up = NodeOf(parent);
    if (!up || item == kNoItem) return;
    Node node;
    node.parent = parent;
    node.fields = std::move(fields);
    ItemHandle after = kNoItem;  // kNoItem: first
    switch (where.kind) {
        case InsertPosition::Kind::First: break;
        case InsertPosition::Kind::Last: after = up->lastChild; break;
        case InsertPosition::Kind::After: {
            const Node* sibling = Lookup(where.after);
            after = sibling && sibling->parent == parent ? where.after : up->lastChild;
            break;
        }
    }
    node.previous = after;
    node.next = after == kNoItem ? up->firstChild : Lookup(after)->next;
    auto& placed = nodes_[item] = std::move(node);
    up = NodeOf(parent);  // the map may have moved nothing, but the top is not in it either way
    if (placed.previous == kNoItem) up->firstChild = item;
    else Lookup(placed.previous)->next = item;
    if (placed.next == kNoItem) up->lastChild = item;
    else Lookup(placed.next)->previous = item;
}

void TreeLinks::Unlink(ItemHandle item, Node& node) {
    Node* up = NodeOf(node.parent);
    if (node.previous == kNoItem) {
        if (up) up->firstChild = node.next;
    } else if (Node* previous = Lookup(node.previous)) {
        previous->next = node.next;
    }
    if (node.next == kNoItem) {
        if (up) up->lastChild = node.previous;
    } else if (Node* next = Lookup(node.next)) {
        next->previous = node.previous;
    }
    (void)item;
    node.previous = node.next = kNoItem;
}

const TreeLinks::Fields* TreeLinks::FieldsOf(ItemHandle item) const {
    const Node* node = Lookup(item);
    return node ? &node->fields : nullptr;
}

void TreeLinks::SetValue(ItemHandle item, std::string* value) {
    if (Node* node = Lookup(item)) node->fields.value = value;
}

ItemHandle TreeLinks::NextSibling(ItemHandle item) const {
    const Node* node = Lookup(item);
    return node ? node->next : kNoItem;
}

ItemHandle TreeLinks::FirstChild(ItemHandle item) const {
    const Node* node = Lookup(item);
    return node ? node->firstChild : kNoItem;
}

ItemHandle TreeLinks::Parent(ItemHandle item) const {
    const Node* node = Lookup(item);
    return node ? node->parent : kNoItem;
}

}  // namespace tarnwick
