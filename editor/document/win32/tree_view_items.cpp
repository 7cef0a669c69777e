#include "tree_view_items.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

namespace tarnwick {

namespace {

HTREEITEM AsTreeItem(ItemHandle item) { return reinterpret_cast<HTREEITEM>(item); }
ItemHandle AsHandle(HTREEITEM item) { return reinterpret_cast<ItemHandle>(item); }

constexpr std::size_t kFirstTextBuffer = kMaxItemTextLength + 1;
constexpr std::size_t kLargestTextBuffer = 64 * 1024 * 1024;

}  // namespace

TreeViewItems::~TreeViewItems() {
    for (std::string* value : values_) delete value;
}

ItemHandle TreeViewItems::Next(ItemHandle item, UINT relation) const {
    return static_cast<ItemHandle>(
        SendMessageA(treeView_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(AsTreeItem(item))));
}

std::string* TreeViewItems::ValueOf(ItemHandle item) const {
    const TreeLinks::Fields* fields = links_.FieldsOf(item);
    return fields ? fields->value : nullptr;  // one of values_
}

void TreeViewItems::ReleaseValue(std::string* value) {
    if (value && values_.erase(value)) delete value;
}

void TreeViewItems::StoreValue(ItemHandle item, std::string* value) {
    std::string* old = ValueOf(item);
    TVITEMA data{};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = AsTreeItem(item);
    data.lParam = reinterpret_cast<LPARAM>(value);
    if (!SendMessageA(treeView_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data))) {
        ReleaseValue(value);  // the item is gone: the new string has no owner but us
        return;
    }
    ReleaseValue(old);
    links_.SetValue(item, value);
    ++revision_;
    // The row may show the value beside the name: it is drawn again with the new one.
    RECT row{};
    std::memcpy(&row, &data.hItem, sizeof data.hItem);  // TVM_GETITEMRECT takes the item in the rectangle
    if (SendMessageA(treeView_, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row))) InvalidateRect(treeView_, &row, TRUE);
}

ItemHandle TreeViewItems::InsertItem(ItemHandle parent, InsertPosition where, const ItemView& item) {
    std::string text(item.text.substr(0, item.text.find('\0')));
    std::string* value = item.hasValue ? new std::string(item.value) : nullptr;
    if (value) values_.insert(value);

    TVINSERTSTRUCTA insert{};
    insert.hParent = parent == kNoItem ? TVI_ROOT : AsTreeItem(parent);
    switch (where.kind) {
        case InsertPosition::Kind::First: insert.hInsertAfter = TVI_FIRST; break;
        case InsertPosition::Kind::Last: insert.hInsertAfter = TVI_LAST; break;
        case InsertPosition::Kind::After:
            insert.hInsertAfter = links_.Parent(where.after) == parent && where.after != kNoItem
                                      ? AsTreeItem(where.after)
                                      : TVI_LAST;
            break;
    }
    TVITEMA& data = insert.item;
    data.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    data.pszText = text.data();
    data.iImage = item.image;
    data.iSelectedImage = item.selectedImage;
    data.lParam = reinterpret_cast<LPARAM>(value);
    // An explicit child count of 0 stays 0 on Windows even when children are added later, so
    // such an item would never get its expand button (Wine turns it into 1 on the first child,
    // a difference its own tree-view tests mark). Only marked sections give a count; every
    // other item leaves TVIF_CHILDREN out and the control follows its real children.
    if (item.sectionMark) {
        data.mask |= TVIF_CHILDREN;
        data.cChildren = 1;
    }
    // A new item is collapsed; the state is only given when it is not, as setting it costs
    // the control a walk over the items.
    if (item.expanded) {
        data.mask |= TVIF_STATE;
        data.stateMask = TVIS_EXPANDED;
        data.state = TVIS_EXPANDED;
    }
    const auto created = reinterpret_cast<HTREEITEM>(
        SendMessageA(treeView_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!created) {
        ReleaseValue(value);
        return kNoItem;
    }
    TreeLinks::Fields fields;
    fields.text = std::move(text);
    fields.value = value;
    fields.image = item.image;
    fields.selectedImage = item.selectedImage;
    links_.Insert(AsHandle(created), parent, where, std::move(fields));
    if (item.sectionMark) marked_.insert(AsHandle(created));
    if (item.source) sources_.emplace(AsHandle(created), *item.source);
    ++revision_;
    return AsHandle(created);
}

ItemView TreeViewItems::GetItem(ItemHandle item) const {
    if (item == kNoItem) return {};
    // The control hands out at most the buffer's size; a text that fills it may be longer.
    for (std::size_t size = kFirstTextBuffer;; size *= 2) {
        textBuffer_.assign(size, '\0');
        TVITEMA data{};
        data.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
        data.hItem = AsTreeItem(item);
        data.pszText = textBuffer_.data();
        data.cchTextMax = static_cast<int>(size);
        data.stateMask = TVIS_EXPANDED;
        if (!SendMessageA(treeView_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return {};
        // The control may answer with its own pointer instead of filling ours.
        const char* text = data.pszText ? data.pszText : "";
        const std::size_t length = strnlen(text, size);
        if (length + 1 >= size && size < kLargestTextBuffer) continue;
        if (text != textBuffer_.data()) textBuffer_.assign(text, length);
        else textBuffer_.resize(length);
        ItemView view;
        view.text = textBuffer_;
        if (const auto* value = reinterpret_cast<const std::string*>(data.lParam)) {
            view.hasValue = true;
            view.value = *value;
        }
        view.image = data.iImage;
        view.selectedImage = data.iSelectedImage;
        view.sectionMark = marked_.count(item) != 0;
        if (const auto source = sources_.find(item); source != sources_.end()) view.source = &source->second;
        view.expanded = (data.state & TVIS_EXPANDED) != 0;
        return view;
    }
}

void TreeViewItems::SetItemValue(ItemHandle item, std::string_view value) {
    if (item == kNoItem) return;
    auto* copy = new std::string(value);
    values_.insert(copy);
    StoreValue(item, copy);
}

void TreeViewItems::ReleaseItemValue(ItemHandle item) {
    if (item == kNoItem || !ValueOf(item)) return;
    StoreValue(item, nullptr);
}

void TreeViewItems::SetItemSource(ItemHandle item, const ItemSource& source) {
    if (item == kNoItem) return;
    if (source.file) sources_[item] = source;
    else sources_.erase(item);
}

ItemView TreeViewItems::GetItemContent(ItemHandle item) const {
    const TreeLinks::Fields* fields = links_.FieldsOf(item);
    if (!fields) return {};
    ItemView view;
    view.text = fields->text;
    if (fields->value) {
        view.hasValue = true;
        view.value = *fields->value;
    }
    view.image = fields->image;
    view.selectedImage = fields->selectedImage;
    view.sectionMark = marked_.count(item) != 0;
    if (const auto source = sources_.find(item); source != sources_.end()) view.source = &source->second;
    return view;
}

ItemHandle TreeViewItems::FirstFileItem() const { return links_.First(); }

ItemHandle TreeViewItems::NextSibling(ItemHandle item) const { return links_.NextSibling(item); }

ItemHandle TreeViewItems::FirstChild(ItemHandle item) const { return links_.FirstChild(item); }

ItemHandle TreeViewItems::Parent(ItemHandle item) const { return links_.Parent(item); }

ItemHandle TreeViewItems::SelectedItem() const { return Next(kNoItem, TVGN_CARET); }

void TreeViewItems::SelectItem(ItemHandle item) {
    SendMessageA(treeView_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(AsTreeItem(item)));
}

void TreeViewItems::SetDropHighlight(ItemHandle item) {
    SendMessageA(treeView_, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(AsTreeItem(item)));
}

ItemHandle TreeViewItems::HitTest(TreePoint point) const {
    TVHITTESTINFO hit{};
    hit.pt = POINT{point.x, point.y};
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageA(treeView_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (item && (hit.flags & TVHT_ONITEM)) ? AsHandle(item) : kNoItem;
}

void TreeViewItems::DeleteItem(ItemHandle item) {
    if (item == kNoItem) return;
    // The control frees only its own memory: collect the value strings of the whole subtree,
    // walking it through child, sibling and parent links, and release them once it is gone.
    std::vector<std::string*> released;
    std::vector<ItemHandle> removed;
    ItemHandle at = item;
    for (;;) {
        if (std::string* value = ValueOf(at)) released.push_back(value);
        removed.push_back(at);
        if (const ItemHandle child = FirstChild(at)) {
            at = child;
            continue;
        }
        while (at != item && NextSibling(at) == kNoItem) at = Parent(at);
        if (at == item) break;
        at = NextSibling(at);
    }
    if (!SendMessageA(treeView_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(AsTreeItem(item)))) return;
    ++revision_;
    links_.Remove(item, [](ItemHandle) {});
    for (std::string* value : released) ReleaseValue(value);
    for (ItemHandle gone : removed) {
        marked_.erase(gone);
        sources_.erase(gone);
    }
}

}  // namespace tarnwick
