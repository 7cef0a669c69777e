#pragma once
// Undo and Redo for every way the configuration changes. The history stands between the
// editor and its tree: every change made through it (inserts, values set or released, kept
// sources replaced, deletes) is noted with what it replaced, and the changes made between two
// EndStep calls form one step, undone and redone as a whole. Because it works on the tree
// operations alone, every editing path and every tree binding share it.
//
// Items are noted by ids of the history's own, never by handle: an item deleted and brought
// back gets a new handle (and a binding may give an old handle to a new item), while the
// steps before and after it still name it.

#include "config_tree.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick {

class EditHistory final : public ConfigTree {
public:
    explicit EditHistory(ConfigTree& tree) : tree_(tree) {}

    // The tree operations, carried out on the tree given; changes are noted in the open step.
    ItemHandle InsertItem(ItemHandle parent, InsertPosition where, const ItemView& item) override;
    ItemView GetItem(ItemHandle item) const override { return tree_.GetItem(item); }
    ItemView GetItemContent(ItemHandle item) const override { return tree_.GetItemContent(item); }
    void SetItemValue(ItemHandle item, std::string_view value) override;
    void ReleaseItemValue(ItemHandle item) override;
    void SetItemSource(ItemHandle item, const ItemSource& source) override;
    ItemHandle FirstFileItem() const override { return tree_.FirstFileItem(); }
    ItemHandle NextSibling(ItemHandle item) const override { return tree_.NextSibling(item); }
    ItemHandle FirstChild(ItemHandle item) const override { return tree_.FirstChild(item); }
    ItemHandle Parent(ItemHandle item) const override { return tree_.Parent(item); }
    ItemHandle SelectedItem() const override { return tree_.SelectedItem(); }
    void SelectItem(ItemHandle item) override { tree_.SelectItem(item); }
    void SetDropHighlight(ItemHandle item) override { tree_.SetDropHighlight(item); }
    ItemHandle HitTest(TreePoint point) const override { return tree_.HitTest(point); }
    void DeleteItem(ItemHandle item) override;
    std::uint64_t Revision() const override { return tree_.Revision(); }

    // Closes the open step: the changes made since the last close become one step to undo, and
    // what Redo would have redone is dropped. Returns whether there was a change to close.
    bool EndStep();
    // Whether a closed step can be undone or redone (the open one is closed first by both).
    bool CanUndo() const { return !undo_.empty() || !open_.empty(); }
    bool CanRedo() const { return open_.empty() && !redo_.empty(); }
    // Undoes or redoes one step and selects the item it brought back or changed (or, where it
    // only took items away, the place they stood). Returns false when there was nothing to do.
    bool Undo();
    bool Redo();
    std::size_t UndoSteps() const { return undo_.size(); }
    std::size_t RedoSteps() const { return redo_.size(); }
    // Forgets every step.
    void Clear();

    // While one is alive, changes are not steps (opening files): they are carried out unnoted.
    class Unnoted {
    public:
        explicit Unnoted(EditHistory& history) : history_(history) { ++history_.unnoted_; }
        ~Unnoted() { --history_.unnoted_; }
        Unnoted(const Unnoted&) = delete;
        Unnoted& operator=(const Unnoted&) = delete;

    private:
        EditHistory& history_;
    };

private:
    using ItemId = std::uint64_t;  // 0: none (as a parent: the top level)

    // One item of a deleted subtree, in file order, with its depth below the subtree's top.
    struct SavedItem {
        ItemId id = 0;
        std::uint32_t depth = 0;
        ItemFields fields;
    };

    struct Change {
        enum class Kind { Insert, Delete, Value, Source };
        Kind kind = Kind::Insert;
        ItemId item = 0;
        // Insert: where it was asked for; Delete: where the item stood (after: the sibling
        // before it, 0 for the first place).
        ItemId parent = 0;
        InsertPosition::Kind where = InsertPosition::Kind::Last;
        ItemId after = 0;
        std::vector<SavedItem> items;  // Insert: the item; Delete: the whole subtree
        std::optional<std::string> oldValue{}, newValue{};
        std::optional<ItemSource> oldSource{}, newSource{};
    };
    using Step = std::vector<Change>;

    // What one undo or redo selects: the first item it brought back or changed, else the
    // place where it last took one away.
    struct Shown {
        ItemId item = 0;
        ItemId place = 0;
    };

    bool Noting() const { return unnoted_ == 0; }
    bool Exists(ItemHandle item) const;
    ItemId IdOf(ItemHandle item);      // makes one for an item that has none yet
    ItemId KnownId(ItemHandle item) const;  // 0 when it has none
    ItemHandle HandleOf(ItemId id) const;
    // Forgets the handles of `item` and everything below it, which the tree is about to delete.
    void Forget(ItemHandle item);
    std::vector<SavedItem> SaveSubtree(ItemHandle item) const;

    // Carry a change out or take it back, on the tree itself; false when an item it names is
    // gone (which only a change made past the history can cause).
    bool Apply(const Change& change, Shown& shown);
    bool Revert(const Change& change, Shown& shown);
    bool InsertSaved(const Change& change, InsertPosition::Kind where, Shown& shown);
    bool Remove(ItemId id, Shown& shown);
    bool SetValue(ItemId id, const std::optional<std::string>& value, Shown& shown);
    bool SetSource(ItemId id, const std::optional<ItemSource>& source);
    void Select(const Shown& shown);
    bool Run(std::vector<Step>& from, std::vector<Step>& to, bool undoing);

    ConfigTree& tree_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    Step open_;
    int unnoted_ = 0;
    ItemId nextId_ = 1;
    std::unordered_map<ItemHandle, ItemId> ids_;
    std::unordered_map<ItemId, ItemHandle> handles_;
};

}  // namespace tarnwick
