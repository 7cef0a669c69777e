// The editor from the keyboard: Tab and Shift+Tab round the tree, the pane's controls and the
// description; Enter or F2 from the tree to the value field and Enter there back, the value
// applied; the context-menu key at the selected item; the focus kept while the window is left.

#include "editor.h"

#include "resource.h"

#include <cstring>
#include <vector>

namespace tarnwick {

namespace {

bool IsWithin(HWND window, HWND ancestor) { return window && ancestor && (window == ancestor || IsChild(ancestor, window)); }

bool HasClass(HWND window, const char* name) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

LONG_PTR ButtonKind(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK; }

bool IsRadio(HWND window) {
    if (!HasClass(window, "Button")) return false;
    const LONG_PTR kind = ButtonKind(window);
    return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

bool IsPushButton(HWND window) {
    if (!HasClass(window, "Button")) return false;
    const LONG_PTR kind = ButtonKind(window);
    return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

HWND VisiblePane(const Editor& editor) {
    switch (editor.panes->CurrentTab()) {
        case kOptionsTab: return editor.panes->OptionsPane();
        case kDefaultTab: return editor.panes->DefaultPane();
        default: return editor.panes->InformationPane();
    }
}

// The pane's controls that take the focus, in their order: of a pair of radio buttons only the
// checked one (the first when neither is), as a dialog's Tab goes.
void AddPaneStops(HWND pane, std::vector<HWND>& stops) {
    if (!pane || !IsWindowVisible(pane)) return;
    bool radioTaken = false;
    for (HWND child = GetWindow(pane, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
        if (IsRadio(child)) {
            if (radioTaken) continue;
            HWND checked = child;
            for (HWND other = child; other && IsRadio(other); other = GetWindow(other, GW_HWNDNEXT))
                if (SendMessageA(other, BM_GETCHECK, 0, 0) == BST_CHECKED) checked = other;
            stops.push_back(checked);
            radioTaken = true;
            continue;
        }
        if (style & WS_TABSTOP) stops.push_back(child);
    }
}

std::vector<HWND> TabStops(const Editor& editor) {
    std::vector<HWND> stops{editor.tree, editor.panes->Tabs()};
    AddPaneStops(VisiblePane(editor), stops);
    stops.push_back(editor.description);
    return stops;
}

void FocusControl(HWND control) {
    SetFocus(control);
    if (HasClass(control, "Edit")) SendMessageA(control, EM_SETSEL, 0, -1);
}

bool MoveAround(Editor& editor, bool backward) {
    const std::vector<HWND> stops = TabStops(editor);
    const HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < static_cast<int>(stops.size()) && at < 0; ++i)
        if (stops[i] == focus) at = i;
    for (int i = 0; i < static_cast<int>(stops.size()) && at < 0; ++i)
        if (IsWithin(focus, stops[i])) at = i;
    const int count = static_cast<int>(stops.size());
    const int next = at < 0 ? (backward ? count - 1 : 0) : (at + (backward ? count - 1 : 1)) % count;
    FocusControl(stops[static_cast<std::size_t>(next)]);
    return true;
}

// Enter in the Options or Default pane: a button is pressed; anywhere else the pane's value is
// applied as "&Update" applies it, and the focus goes back to the tree.
bool EnterInPane(Editor& editor, HWND focus) {
    for (HWND pane : {editor.panes->OptionsPane(), editor.panes->DefaultPane()}) {
        if (!pane || !IsChild(pane, focus)) continue;
        if (GetDlgCtrlID(focus) == IDC_PANE_DIRECTORIES) return false;  // the folder tree keeps its keys
        const bool update = !IsPushButton(focus) || GetDlgCtrlID(focus) == IDOK;
        if (!update) {
            SendMessageA(focus, BM_CLICK, 0, 0);
            return true;
        }
        SendMessageA(pane, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(pane, IDOK)));
        SetFocus(editor.tree);
        return true;
    }
    return false;
}

bool IsKeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

bool RouteEditorKey(Editor& editor, const MSG& message) {
    if (!editor.window || !editor.panes || (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)) return false;
    const HWND focus = GetFocus();
    if (!IsWithin(focus, editor.window)) return false;  // the Find dialog and other windows keep their keys
    switch (message.wParam) {
        case VK_TAB:
            if (message.message != WM_KEYDOWN || IsKeyDown(VK_CONTROL) || IsKeyDown(VK_MENU)) return false;
            return MoveAround(editor, IsKeyDown(VK_SHIFT));
        case VK_RETURN:
            if (message.message != WM_KEYDOWN) return false;
            return EnterInPane(editor, focus);
        case VK_APPS:
        case VK_F10:
            if (message.wParam == VK_F10 && !IsKeyDown(VK_SHIFT)) return false;
            if (focus != editor.tree) return false;
            // Windows sends this on its own from the key's release; sent here it opens at once,
            // under Wine as well.
            SendMessageA(editor.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor.tree), static_cast<LPARAM>(-1));
            return true;
        default: return false;
    }
}

void FocusValueField(Editor& editor) {
    if (editor.document->currentItem == kNoItem) return;
    if (editor.panes->CurrentTab() != kOptionsTab) {
        SendMessageA(editor.panes->Tabs(), TCM_SETCURSEL, kOptionsTab, 0);
        editor.panes->OnTabChanged();
    }
    HWND pane = editor.panes->OptionsPane();
    if (!pane) return;  // a template that names no pane kind: nothing to edit here
    if (HWND edit = GetDlgItem(pane, IDC_PANE_VALUE); edit && HasClass(edit, "Edit")) {
        FocusControl(edit);
        return;
    }
    HWND first = GetDlgItem(pane, IDC_PANE_FIRST_CHOICE);
    HWND second = GetDlgItem(pane, IDC_PANE_SECOND_CHOICE);
    if (first && IsRadio(first))
        SetFocus(second && SendMessageA(second, BM_GETCHECK, 0, 0) == BST_CHECKED ? second : first);
}

POINT ItemMenuPoint(Editor& editor) {
    POINT point{0, 0};
    const ItemHandle selected = editor.items->SelectedItem();
    RECT row{};
    std::memcpy(&row, &selected, sizeof selected);  // TVM_GETITEMRECT takes the item in the rectangle
    if (selected != kNoItem) SendMessageA(editor.tree, TVM_ENSUREVISIBLE, 0, static_cast<LPARAM>(selected));
    if (selected != kNoItem && SendMessageA(editor.tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&row))) {
        point = {row.left, row.bottom};
    }
    ClientToScreen(editor.tree, &point);
    return point;
}

void OnActivate(Editor& editor, bool active) {
    if (!active) {
        const HWND focus = GetFocus();
        if (focus != editor.window && IsWithin(focus, editor.window)) editor.lastFocus = focus;
        return;
    }
    const HWND last = editor.lastFocus;
    const bool usable = last && IsWindow(last) && IsChild(editor.window, last) && IsWindowVisible(last) && IsWindowEnabled(last);
    SetFocus(usable ? last : editor.tree);
}

bool TranslateEditorMessage(Editor& editor, HACCEL accelerators, MSG& message) {
    if (RouteTextFieldKey(message)) return true;
    if (editor.window && TranslateAcceleratorA(editor.window, accelerators, &message)) return true;
    if (editor.find.dialog && IsDialogMessageA(editor.find.dialog, &message)) return true;
    // Where the focus is now is where it comes back to after a dialog: modal dialogs take it
    // away before the window hears that it is left.
    if (editor.window) {
        const HWND focus = GetFocus();
        if (focus != editor.window && IsWithin(focus, editor.window)) editor.lastFocus = focus;
    }
    if (RouteEditorKey(editor, message)) return true;
    return editor.panes && IsDialogMessageA(editor.panes->Window(), &message);
}

}  // namespace tarnwick
