#include "memory_tree.h"

#include <cstring>
#include <limits>

namespace tarnwick {

namespace {

// Blocks stay below the allocator's mapping threshold, so freed blocks are reused.
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kOwnBlockThreshold = kBlockSize / 4;
constexpr std::size_t kCompactFloorBytes = 1 << 20;

std::string_view UpToNul(std::string_view text) {
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::uint8_t ClampImage(int image) {
    return static_cast<std::uint8_t>(image < 0 ? 0 : image > 255 ? 255 : image);
}

}  // namespace

MemoryTree::MemoryTree() { NodeAt(NewNode()).flags = kAlive; }

std::uint32_t MemoryTree::NewNode() {
    if ((nodeCount_ & kNodeBlockMask) == 0) {
        nodeBlocks_.emplace_back(std::make_unique_for_overwrite<Node[]>(kNodeBlockMask + 1));
        sourceBlocks_.emplace_back(std::make_unique_for_overwrite<SourceSlot[]>(kNodeBlockMask + 1));
    }
    const std::size_t index = nodeCount_++;
    NodeAt(index) = Node{};
    return static_cast<std::uint32_t>(index);
}

bool MemoryTree::IsItem(ItemHandle item) const {
    return item != kNoItem && item < nodeCount_ && (NodeOf(item).flags & kAlive);
}

char* MemoryTree::Allocate(std::size_t size) {
    if (size == 0) return nullptr;
    if (size >= kOwnBlockThreshold) {
        blocks_.emplace_back(new char[size]);
        arenaBytes_ += size;
        return blocks_.back().get();
    }
    if (size > blockLeft_) {
        blocks_.emplace_back(new char[kBlockSize]);
        blockCursor_ = blocks_.back().get();
        blockLeft_ = kBlockSize;
        arenaBytes_ += kBlockSize;
    }
    char* place = blockCursor_;
    blockCursor_ += size;
    blockLeft_ -= size;
    return place;
}

bool MemoryTree::Place(const char*& at, std::uint32_t& length, std::string_view bytes, const std::string* file) {
    length = static_cast<std::uint32_t>(bytes.size());
    if (bytes.empty()) {
        at = nullptr;
        return false;
    }
    if (file && bytes.data() >= file->data() && bytes.data() + bytes.size() <= file->data() + file->size()) {
        at = bytes.data();
        return false;
    }
    char* place = Allocate(bytes.size());
    std::memcpy(place, bytes.data(), bytes.size());
    at = place;
    liveBytes_ += bytes.size();
    return true;
}

void MemoryTree::ForgetArenaBytes(const Node& node) {
    if (node.flags & kTextInArena) liveBytes_ -= node.textLength;
    if (node.flags & kValueInArena) liveBytes_ -= node.valueLength;
}

void MemoryTree::Link(std::uint32_t index, std::uint32_t parent, std::uint32_t after) {
    Node& node = NodeAt(index);
    Node& up = NodeAt(parent);
    node.parent = parent;
    node.prev = after;
    node.next = after ? NodeAt(after).next : up.firstChild;
    if (node.prev) NodeAt(node.prev).next = index; else up.firstChild = index;
    if (node.next) NodeAt(node.next).prev = index; else up.lastChild = index;
}

void MemoryTree::Unlink(std::uint32_t index) {
    Node& node = NodeAt(index);
    Node& up = NodeAt(node.parent);
    if (node.prev) NodeAt(node.prev).next = node.next; else up.firstChild = node.next;
    if (node.next) NodeAt(node.next).prev = node.prev; else up.lastChild = node.prev;
    node.prev = node.next = 0;
}

ItemHandle MemoryTree::InsertItem(ItemHandle parent, InsertPosition where, const ItemView& item) {
    if (parent != kNoItem && !IsItem(parent)) return kNoItem;
    if (nodeCount_ >= std::numeric_limits<std::uint32_t>::max()) return kNoItem;
    const std::string_view text = UpToNul(item.text);
    if (text.size() >= std::numeric_limits<std::uint32_t>::max() ||
        item.value.size() >= std::numeric_limits<std::uint32_t>::max())
        return kNoItem;
    std::uint32_t after = 0;
    switch (where.kind) {
        case InsertPosition::Kind::First: after = 0; break;
        case InsertPosition::Kind::Last: after = NodeAt(parent).lastChild; break;
        case InsertPosition::Kind::After:
            // As the tree control does, an item that is not a child of `parent` means "last".
            after = (IsItem(where.after) && NodeAt(where.after).parent == parent)
                        ? static_cast<std::uint32_t>(where.after)
                        : NodeAt(parent).lastChild;
            break;
    }
    const std::uint32_t index = NewNode();
    Node& node = NodeAt(index);
    node.flags = kAlive | (item.sectionMark ? kSectionMark : 0) | (item.expanded ? kExpanded : 0) |
                 (item.source ? kHasSource : 0);
    if (item.source) StoreSource(index, *item.source);
    node.image = ClampImage(item.image);
    node.selectedImage = ClampImage(item.selectedImage);
    const std::string* file = item.source ? item.source->file : nullptr;
    if (Place(node.text, node.textLength, text, file)) node.flags |= kTextInArena;
    node.value = nullptr;
    node.valueLength = 0;
    if (item.hasValue) {
        node.flags |= kHasValue;
        if (Place(node.value, node.valueLength, item.value, file)) node.flags |= kValueInArena;
        ++liveValues_;
    }
    Link(index, static_cast<std::uint32_t>(parent), after);
    ++revision_;
    return index;
}

ItemView MemoryTree::GetItem(ItemHandle item) const {
    if (!IsItem(item)) return {};
    const Node& node = NodeOf(item);
    ItemView view;
    view.text = std::string_view(node.text, node.textLength);
    view.hasValue = node.flags & kHasValue;
    if (view.hasValue) view.value = std::string_view(node.value, node.valueLength);
    view.image = node.image;
    view.selectedImage = node.selectedImage;
    view.sectionMark = node.flags & kSectionMark;
    view.expanded = node.flags & kExpanded;
    if (node.flags & kHasSource) view.source = &SourceAt(item);
    return view;
}

void MemoryTree::SetItemValue(ItemHandle item, std::string_view value) {
    if (!IsItem(item)) return;
    Node& node = NodeOf(item);
    if (!(node.flags & kHasValue)) ++liveValues_;
    // The old value's bytes become garbage; a new value always goes to the arena.
    if (node.flags & kValueInArena) liveBytes_ -= node.valueLength;
    node.flags = static_cast<std::uint8_t>((node.flags | kHasValue) & ~kValueInArena);
    if (Place(node.value, node.valueLength, value, nullptr)) node.flags |= kValueInArena;
    ++revision_;
    CompactIfWasteful();
}

void MemoryTree::ReleaseItemValue(ItemHandle item) {
    if (!IsItem(item)) return;
    Node& node = NodeOf(item);
    if (!(node.flags & kHasValue)) return;
    --liveValues_;
    if (node.flags & kValueInArena) liveBytes_ -= node.valueLength;
    node.value = nullptr;
    node.valueLength = 0;
    node.flags &= static_cast<std::uint8_t>(~(kHasValue | kValueInArena));
    ++revision_;
}

void MemoryTree::SetItemSource(ItemHandle item, const ItemSource& source) {
    if (!IsItem(item)) return;
    if (!source.file) {
        NodeOf(item).flags &= static_cast<std::uint8_t>(~kHasSource);
        return;
    }
    StoreSource(item, source);
    NodeOf(item).flags |= kHasSource;
}

ItemHandle MemoryTree::FirstFileItem() const { return NodeAt(0).firstChild; }

ItemHandle MemoryTree::NextSibling(ItemHandle item) const { return IsItem(item) ? NodeOf(item).next : kNoItem; }

ItemHandle MemoryTree::FirstChild(ItemHandle item) const { return IsItem(item) ? NodeOf(item).firstChild : kNoItem; }

ItemHandle MemoryTree::Parent(ItemHandle item) const { return IsItem(item) ? NodeOf(item).parent : kNoItem; }

void MemoryTree::SelectItem(ItemHandle item) {
    if (item != kNoItem && !IsItem(item)) return;
    selected_ = item;
    if (selectionListener_) selectionListener_(item);
}

void MemoryTree::SetDropHighlight(ItemHandle item) { dropHighlight_ = IsItem(item) ? item : kNoItem; }

void MemoryTree::PlaceItemAt(TreePoint point, ItemHandle item) { hitPoints_[{point.x, point.y}] = item; }

ItemHandle MemoryTree::HitTest(TreePoint point) const {
    const auto hit = hitPoints_.find({point.x, point.y});
    return (hit != hitPoints_.end() && IsItem(hit->second)) ? hit->second : kNoItem;
}

void MemoryTree::Forget(Node& node) {
    if (node.flags & kHasValue) --liveValues_;
    ForgetArenaBytes(node);
    node.flags = 0;
    node.text = node.value = nullptr;
}

void MemoryTree::DeleteItem(ItemHandle item) {
    if (!IsItem(item)) return;
    const auto top = static_cast<std::uint32_t>(item);
    Unlink(top);
    ++revision_;
    // Depth-first over the detached subtree through the child and sibling links.
    std::uint32_t index = top;
    while (index != 0) {
        Node& node = NodeAt(index);
        if (node.firstChild) {
            const std::uint32_t child = node.firstChild;
            node.firstChild = NodeAt(child).next;
            index = child;
            continue;
        }
        const std::uint32_t up = index == top ? 0 : node.parent;
        if (selected_ == index) selected_ = kNoItem;
        if (dropHighlight_ == index) dropHighlight_ = kNoItem;
        Forget(node);
        index = up;
    }
    CompactIfWasteful();
}

void MemoryTree::CompactIfWasteful() {
    const std::size_t used = arenaBytes_ - blockLeft_;
    if (used < kCompactFloorBytes || used - liveBytes_ <= liveBytes_) return;
    std::vector<std::unique_ptr<char[]>> oldBlocks;
    oldBlocks.swap(blocks_);
    blockCursor_ = nullptr;
    blockLeft_ = 0;
    arenaBytes_ = 0;
    liveBytes_ = 0;
    // Only what lives in the arena moves; the old blocks go when this returns.
    for (std::size_t i = 1; i < nodeCount_; ++i) {
        Node& node = NodeAt(i);
        if (!(node.flags & kAlive)) continue;
        if (node.flags & kTextInArena) Place(node.text, node.textLength, {node.text, node.textLength}, nullptr);
        if (node.flags & kValueInArena) Place(node.value, node.valueLength, {node.value, node.valueLength}, nullptr);
    }
}

}  // namespace tarnwick
