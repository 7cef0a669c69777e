// Moving items by dragging them in the tree: the main window tracks the drag, the tree shows
// the drop target, and the move itself is the document's.

#include "editor.h"

#include "resource.h"
#include "tree_editing.h"

namespace tarnwick {

namespace {

bool OverTree(Editor& editor, POINT inTree) {
    RECT client{};
    GetClientRect(editor.tree, &client);
    return PtInRect(&client, inTree) != FALSE;
}

}  // namespace

void BeginItemDrag(Editor& editor, ItemHandle item) {
    if (item == kNoItem || editor.items->Parent(item) == kNoItem) return;  // file items stay where they are
    editor.items->SelectItem(item);
    editor.document->currentItem = item;
    SetCursor(LoadCursorA(editor.instance, MAKEINTRESOURCEA(IDC_DRAG_OVER_TREE)));
    SetCapture(editor.window);
    editor.dragging = true;
}

void DragMove(Editor& editor, int x, int y) {
    if (!editor.dragging) return;
    const POINT inTree{x, y};
    if (const ItemHandle hit = editor.items->HitTest({x, y})) editor.items->SetDropHighlight(hit);
    const int cursor = OverTree(editor, inTree) ? IDC_DRAG_OVER_TREE : IDC_DRAG_ELSEWHERE;
    SetCursor(LoadCursorA(editor.instance, MAKEINTRESOURCEA(cursor)));
}

void EndItemDrag(Editor& editor) {
    if (!editor.dragging) return;
    editor.items->SetDropHighlight(kNoItem);
    POINT pointer{};
    GetCursorPos(&pointer);
    MapWindowPoints(nullptr, editor.tree, &pointer, 1);
    if (const ItemHandle target = editor.items->HitTest({pointer.x, pointer.y}))
        MoveItem(*editor.history, target, editor.items->SelectedItem(), &editor.document->sources);
    ReleaseCapture();
    ShowCursor(TRUE);
    editor.dragging = false;
}

}  // namespace tarnwick
