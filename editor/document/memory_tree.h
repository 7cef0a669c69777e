#pragma once
// The in-memory binding of the tree operations: the tree the core's tests and the native
// tools work on. A name or value that stands whole in the file its item was read from (the
// item's source) is not copied: the tree points into that file, which the document keeps for
// as long as its items live. Every other name and value lives in one arena of large blocks,
// so a tree of 100,000 items costs a few allocations instead of 200,000; the arena is
// compacted when more than half of it is garbage left by replaced values and deleted items.

#include "config_tree.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <vector>

namespace tarnwick {

class MemoryTree final : public ConfigTree {
public:
    MemoryTree();

    ItemHandle InsertItem(ItemHandle parent, InsertPosition where, const ItemView& item) override;
    ItemView GetItem(ItemHandle item) const override;
    void SetItemValue(ItemHandle item, std::string_view value) override;
    void ReleaseItemValue(ItemHandle item) override;
    void SetItemSource(ItemHandle item, const ItemSource& source) override;

    ItemHandle FirstFileItem() const override;
    ItemHandle NextSibling(ItemHandle item) const override;
    ItemHandle FirstChild(ItemHandle item) const override;
    ItemHandle Parent(ItemHandle item) const override;

    ItemHandle SelectedItem() const override { return selected_; }
    void SelectItem(ItemHandle item) override;
    void SetDropHighlight(ItemHandle item) override;
    ItemHandle HitTest(TreePoint point) const override;

    void DeleteItem(ItemHandle item) override;
    std::uint64_t Revision() const override { return revision_; }

    // What the owner of a real tree would be told on a selection change.
    void OnSelectionChanged(std::function<void(ItemHandle)> listener) { selectionListener_ = std::move(listener); }
    // Test geometry: HitTest(point) answers `item` for exactly this point.
    void PlaceItemAt(TreePoint point, ItemHandle item);
    ItemHandle DropHighlight() const { return dropHighlight_; }

    std::size_t LiveValueCount() const { return liveValues_; }
    std::size_t ArenaBytes() const { return arenaBytes_; }

private:
    // Blocks of nodes and sources are not set when made: each node is set in full when it
    // is made, a source when it is stored, so no memory is written twice.
    struct Node {
        const char* text;   // in the arena, or in the item's source file
        const char* value;  // likewise
        std::uint32_t textLength;
        std::uint32_t valueLength;
        std::uint32_t parent, firstChild, lastChild, next, prev;
        std::uint8_t image, selectedImage;
        std::uint8_t flags;
    };
    struct SourceSlot {
        alignas(ItemSource) unsigned char bytes[sizeof(ItemSource)];
    };
    enum : std::uint8_t {
        kAlive = 1, kHasValue = 2, kSectionMark = 4, kExpanded = 8, kHasSource = 16,
        kTextInArena = 32, kValueInArena = 64,  // else the bytes stand in the source file (or are none)
    };

    bool IsItem(ItemHandle item) const;
    Node& NodeAt(std::size_t index) { return nodeBlocks_[index >> kNodeBlockBits][index & kNodeBlockMask]; }
    const Node& NodeAt(std::size_t index) const {
        return nodeBlocks_[index >> kNodeBlockBits][index & kNodeBlockMask];
    }
    Node& NodeOf(ItemHandle item) { return NodeAt(item); }
    const Node& NodeOf(ItemHandle item) const { return NodeAt(item); }
    // Only for a node whose kHasSource is set: the slot then holds a source.
    const ItemSource& SourceAt(std::size_t index) const {
        return *std::launder(reinterpret_cast<const ItemSource*>(sourceBlocks_[index >> kNodeBlockBits][index & kNodeBlockMask].bytes));
    }
    void StoreSource(std::size_t index, const ItemSource& source) {
        new (sourceBlocks_[index >> kNodeBlockBits][index & kNodeBlockMask].bytes) ItemSource(source);
    }
    std::uint32_t NewNode();
    // Points the node at `bytes` where they stand whole in `file`, else at a copy in the arena;
    // returns whether the copy was made.
    bool Place(const char*& at, std::uint32_t& length, std::string_view bytes, const std::string* file);
    void ForgetArenaBytes(const Node& node);
    char* Allocate(std::size_t size);
    void Link(std::uint32_t index, std::uint32_t parent, std::uint32_t after);
    void Unlink(std::uint32_t index);
    void Forget(Node& node);
    void CompactIfWasteful();

    // Nodes live in fixed blocks, so growing never moves them. Index 0 is the invisible root;
    // indexes are never reused, so a stale handle stays dead.
    static constexpr std::size_t kNodeBlockBits = 11;
    static constexpr std::size_t kNodeBlockMask = (std::size_t{1} << kNodeBlockBits) - 1;
    std::vector<std::unique_ptr<Node[]>> nodeBlocks_;
    std::vector<std::unique_ptr<SourceSlot[]>> sourceBlocks_;  // beside the nodes, index for index
    std::size_t nodeCount_ = 0;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* blockCursor_ = nullptr;
    std::size_t blockLeft_ = 0;
    std::size_t arenaBytes_ = 0;
    std::size_t liveBytes_ = 0;
    std::size_t liveValues_ = 0;

    std::uint64_t revision_ = 0;
    ItemHandle selected_ = kNoItem;
    ItemHandle dropHighlight_ = kNoItem;
    std::function<void(ItemHandle)> selectionListener_;
    std::map<std::pair<int, int>, ItemHandle> hitPoints_;
};

}  // namespace tarnwick
