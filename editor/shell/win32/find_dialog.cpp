// Find and Find Next: Windows' own modeless Find dialog, and the search it starts over every
// item of the configuration.

#include "editor.h"

#include "find_items.h"

#include <cstring>

namespace tarnwick {

namespace {

// Searches for the kept text from the selection; a match is selected and shown, no match is
// reported over the window the user is in.
void Search(Editor& editor, FindDirection direction) {
    const TextMatcher matcher(editor.find.text, editor.find.matchCase);
    const ItemHandle found = FindItem(*editor.items, editor.items->SelectedItem(), matcher, direction);
    if (found != kNoItem) {
        SelectAndShow(editor, found);
        return;
    }
    HWND owner = editor.find.dialog && IsWindowVisible(editor.find.dialog) ? editor.find.dialog : editor.window;
    editor.prompts.ReportNotFound(owner, std::string("Cannot find \"") + editor.find.text + "\".");
}

}  // namespace

void SelectAndShow(Editor& editor, ItemHandle item) {
    if (item == kNoItem) return;
    // Selecting opens the collapsed sections above the item; opening them here as well keeps
    // that true whatever the control does, and costs nothing when they are open.
    for (ItemHandle parent = editor.items->Parent(item); parent != kNoItem; parent = editor.items->Parent(parent))
        SendMessageA(editor.tree, TVM_EXPAND, TVE_EXPAND, static_cast<LPARAM>(parent));
    editor.items->SelectItem(item);
    SendMessageA(editor.tree, TVM_ENSUREVISIBLE, 0, static_cast<LPARAM>(item));
}

void ShowFindDialog(Editor& editor) {
    FindState& find = editor.find;
    if (find.dialog) {
        SetActiveWindow(find.dialog);
        return;
    }
    if (!find.message) find.message = RegisterWindowMessageA(FINDMSGSTRINGA);
    find.request = FINDREPLACEA{};
    find.request.lStructSize = sizeof find.request;
    find.request.hwndOwner = editor.window;
    find.request.hInstance = editor.instance;
    find.request.Flags = FR_DOWN | FR_HIDEWHOLEWORD | (find.matchCase ? FR_MATCHCASE : 0);
    find.request.lpstrFindWhat = find.text;
    find.request.wFindWhatLen = static_cast<WORD>(sizeof find.text);
    find.dialog = FindTextA(&find.request);
}

void FindAgain(Editor& editor, FindDirection direction) {
    if (editor.find.text[0] == '\0') {
        ShowFindDialog(editor);  // nothing looked for yet: ask what
        return;
    }
    Search(editor, direction);
}

void OnFindDialogMessage(Editor& editor, const FINDREPLACEA& request) {
    if (request.Flags & FR_DIALOGTERM) {
        editor.find.dialog = nullptr;
        return;
    }
    if (!(request.Flags & FR_FINDNEXT)) return;
    editor.find.matchCase = (request.Flags & FR_MATCHCASE) != 0;
    Search(editor, (request.Flags & FR_DOWN) ? FindDirection::Forward : FindDirection::Backward);
}

}  // namespace tarnwick
