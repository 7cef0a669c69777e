#include "edit_history.h"

#include "tree_editing.h"

#include <algorithm>
#include <utility>

namespace tarnwick {

namespace {

std::optional<std::string> ValueOf(const ItemView& view) {
    return view.hasValue ? std::optional<std::string>(std::string(view.value)) : std::nullopt;
}

std::optional<ItemSource> SourceOf(const ItemView& view) {
    return view.source && view.source->file ? std::optional<ItemSource>(*view.source) : std::nullopt;
}

bool SameSource(const std::optional<ItemSource>& a, const std::optional<ItemSource>& b) {
    if (!a || !b) return !a && !b;
    return a->file == b->file && a->leadBegin == b->leadBegin && a->ownBegin == b->ownBegin && a->ownEnd == b->ownEnd &&
           a->closeLeadBegin == b->closeLeadBegin && a->closeBegin == b->closeBegin && a->closeEnd == b->closeEnd &&
           a->textBegin == b->textBegin && a->textEnd == b->textEnd && a->valueBegin == b->valueBegin &&
           a->valueEnd == b->valueEnd && a->depth == b->depth && a->opening == b->opening &&
           a->fieldsInPlace == b->fieldsInPlace && a->linesOnly == b->linesOnly;
}

}  // namespace

ItemHandle EditHistory::InsertItem(ItemHandle parent, InsertPosition where, const ItemView& item) {
    const ItemHandle made = tree_.InsertItem(parent, where, item);
    if (made == kNoItem || !Noting()) return made;
    Change change;
    change.kind = Change::Kind::Insert;
    change.item = IdOf(made);
    change.parent = parent == kNoItem ? 0 : IdOf(parent);
    change.where = where.kind;
    change.after = where.kind == InsertPosition::Kind::After ? IdOf(where.after) : 0;
    // What the tree made of the fields (a name ends at its first NUL), not what was asked.
    ItemFields fields = ItemFields::From(tree_.GetItemContent(made));
    fields.expanded = item.expanded;
    change.items.push_back({change.item, 0, std::move(fields)});
    open_.push_back(std::move(change));
    return made;
}

void EditHistory::SetItemValue(ItemHandle item, std::string_view value) {
    if (!Noting() || !Exists(item)) return tree_.SetItemValue(item, value);
    std::optional<std::string> before = ValueOf(tree_.GetItemContent(item));
    tree_.SetItemValue(item, value);
    std::optional<std::string> after = ValueOf(tree_.GetItemContent(item));
    if (before == after) return;
    Change change;
    change.kind = Change::Kind::Value;
    change.item = IdOf(item);
    change.oldValue = std::move(before);
    change.newValue = std::move(after);
    open_.push_back(std::move(change));
}

void EditHistory::ReleaseItemValue(ItemHandle item) {
    if (!Noting() || !Exists(item)) return tree_.ReleaseItemValue(item);
    std::optional<std::string> before = ValueOf(tree_.GetItemContent(item));
    tree_.ReleaseItemValue(item);
    if (!before) return;
    Change change;
    change.kind = Change::Kind::Value;
    change.item = IdOf(item);
    change.oldValue = std::move(before);
    open_.push_back(std::move(change));
}

void EditHistory::SetItemSource(ItemHandle item, const ItemSource& source) {
    if (!Noting() || !Exists(item)) return tree_.SetItemSource(item, source);
    std::optional<ItemSource> before = SourceOf(tree_.GetItemContent(item));
    tree_.SetItemSource(item, source);
    std::optional<ItemSource> after = SourceOf(tree_.GetItemContent(item));
    if (SameSource(before, after)) return;
    Change change;
    change.kind = Change::Kind::Source;
    change.item = IdOf(item);
    change.oldSource = before;
    change.newSource = after;
    open_.push_back(std::move(change));
}

void EditHistory::DeleteItem(ItemHandle item) {
    if (!Exists(item)) return tree_.DeleteItem(item);
    if (!Noting()) {
        Forget(item);
        return tree_.DeleteItem(item);
    }
    Change change;
    change.kind = Change::Kind::Delete;
    change.item = IdOf(item);
    const ItemHandle parent = tree_.Parent(item);
    change.parent = parent == kNoItem ? 0 : IdOf(parent);
    const ItemHandle before = PreviousSibling(tree_, item);
    change.where = before == kNoItem ? InsertPosition::Kind::First : InsertPosition::Kind::After;
    change.after = before == kNoItem ? 0 : IdOf(before);
    change.items = SaveSubtree(item);
    Forget(item);
    tree_.DeleteItem(item);
    open_.push_back(std::move(change));
}

bool EditHistory::EndStep() {
    if (open_.empty()) return false;
    undo_.push_back(std::move(open_));
    open_.clear();
    redo_.clear();
    return true;
}

bool EditHistory::Undo() {
    EndStep();
    return Run(undo_, redo_, true);
}

bool EditHistory::Redo() {
    if (!open_.empty()) return false;  // a change since the last undo: nothing to redo
    return Run(redo_, undo_, false);
}

void EditHistory::Clear() {
    undo_.clear();
    redo_.clear();
    open_.clear();
}

bool EditHistory::Run(std::vector<Step>& from, std::vector<Step>& to, bool undoing) {
    if (from.empty()) return false;
    Step step = std::move(from.back());
    from.pop_back();
    Shown shown;
    bool done = true;
    if (undoing) {
        for (auto change = step.rbegin(); done && change != step.rend(); ++change) done = Revert(*change, shown);
    } else {
        for (auto change = step.begin(); done && change != step.end(); ++change) done = Apply(*change, shown);
    }
    // A step that no longer fits the tree cannot be trusted, nor can any before or after it.
    if (!done) Clear();
    else to.push_back(std::move(step));
    Select(shown);
    return true;
}

bool EditHistory::Apply(const Change& change, Shown& shown) {
    switch (change.kind) {
        case Change::Kind::Insert: return InsertSaved(change, change.where, shown);
        case Change::Kind::Delete: return Remove(change.item, shown);
        case Change::Kind::Value: return SetValue(change.item, change.newValue, shown);
        case Change::Kind::Source: return SetSource(change.item, change.newSource);
    }
    return false;
}

bool EditHistory::Revert(const Change& change, Shown& shown) {
    switch (change.kind) {
        case Change::Kind::Insert: return Remove(change.item, shown);
        case Change::Kind::Delete: return InsertSaved(change, change.where, shown);
        case Change::Kind::Value: return SetValue(change.item, change.oldValue, shown);
        case Change::Kind::Source: return SetSource(change.item, change.oldSource);
    }
    return false;
}

bool EditHistory::InsertSaved(const Change& change, InsertPosition::Kind where, Shown& shown) {
    const ItemHandle parent = change.parent == 0 ? kNoItem : HandleOf(change.parent);
    const ItemHandle after = change.after == 0 ? kNoItem : HandleOf(change.after);
    if ((change.parent != 0 && parent == kNoItem) || (where == InsertPosition::Kind::After && after == kNoItem)) return false;
    // The parents of the item being made, by depth below the top of the saved subtree.
    std::vector<ItemHandle> parents;
    for (const SavedItem& saved : change.items) {
        parents.resize(saved.depth);
        const ItemHandle made =
            saved.depth == 0 ? tree_.InsertItem(parent, InsertPosition{where, after}, saved.fields.View())
                             : tree_.InsertItem(parents.back(), InsertPosition::Last(), saved.fields.View());
        if (made == kNoItem) return false;
        if (saved.id != 0) {
            ids_[made] = saved.id;
            handles_[saved.id] = made;
        }
        if (saved.depth == 0 && shown.item == 0) shown.item = IdOf(made);
        parents.push_back(made);
    }
    return true;
}

bool EditHistory::Remove(ItemId id, Shown& shown) {
    const ItemHandle item = HandleOf(id);
    if (item == kNoItem) return false;
    ItemHandle place = PreviousSibling(tree_, item);
    if (place == kNoItem) place = tree_.Parent(item);
    if (place == kNoItem) place = tree_.NextSibling(item);
    shown.place = place == kNoItem ? 0 : IdOf(place);
    Forget(item);
    tree_.DeleteItem(item);
    return true;
}

bool EditHistory::SetValue(ItemId id, const std::optional<std::string>& value, Shown& shown) {
    const ItemHandle item = HandleOf(id);
    if (item == kNoItem) return false;
    if (value) tree_.SetItemValue(item, *value);
    else tree_.ReleaseItemValue(item);
    if (shown.item == 0) shown.item = id;
    return true;
}

bool EditHistory::SetSource(ItemId id, const std::optional<ItemSource>& source) {
    const ItemHandle item = HandleOf(id);
    if (item == kNoItem) return false;
    tree_.SetItemSource(item, source ? *source : ItemSource{});
    return true;
}

void EditHistory::Select(const Shown& shown) {
    ItemHandle item = shown.item != 0 ? HandleOf(shown.item) : kNoItem;
    if (item == kNoItem && shown.place != 0) item = HandleOf(shown.place);
    if (item != kNoItem) tree_.SelectItem(item);
}

bool EditHistory::Exists(ItemHandle item) const {
    if (item == kNoItem) return false;
    if (tree_.Parent(item) != kNoItem) return true;
    for (ItemHandle file = tree_.FirstFileItem(); file != kNoItem; file = tree_.NextSibling(file))
        if (file == item) return true;
    return false;
}

EditHistory::ItemId EditHistory::IdOf(ItemHandle item) {
    if (const auto known = ids_.find(item); known != ids_.end()) return known->second;
    const ItemId id = nextId_++;
    ids_.emplace(item, id);
    handles_.emplace(id, item);
    return id;
}

EditHistory::ItemId EditHistory::KnownId(ItemHandle item) const {
    const auto known = ids_.find(item);
    return known != ids_.end() ? known->second : 0;
}

ItemHandle EditHistory::HandleOf(ItemId id) const {
    const auto known = handles_.find(id);
    return known != handles_.end() ? known->second : kNoItem;
}

void EditHistory::Forget(ItemHandle item) {
    if (ids_.empty()) return;
    std::vector<ItemHandle> pending{item};
    while (!pending.empty()) {
        const ItemHandle next = pending.back();
        pending.pop_back();
        if (const auto known = ids_.find(next); known != ids_.end()) {
            handles_.erase(known->second);
            ids_.erase(known);
        }
        for (ItemHandle child = tree_.FirstChild(next); child != kNoItem; child = tree_.NextSibling(child))
            pending.push_back(child);
    }
}

std::vector<EditHistory::SavedItem> EditHistory::SaveSubtree(ItemHandle item) const {
    std::vector<SavedItem> saved;
    // Items no step names yet need no id: nothing before the delete can name them.
    std::vector<std::pair<ItemHandle, std::uint32_t>> pending{{item, 0}};
    while (!pending.empty()) {
        const auto [next, depth] = pending.back();
        pending.pop_back();
        // Read beside the control where the binding keeps the fields; only whether a section
        // is open is asked of the control itself.
        saved.push_back({KnownId(next), depth, ItemFields::From(tree_.GetItemContent(next))});
        if (tree_.FirstChild(next) != kNoItem) saved.back().fields.expanded = tree_.GetItem(next).expanded;
        const std::size_t mark = pending.size();
        for (ItemHandle child = tree_.FirstChild(next); child != kNoItem; child = tree_.NextSibling(child))
            pending.emplace_back(child, depth + 1);
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
    }
    return saved;
}

}  // namespace tarnwick
