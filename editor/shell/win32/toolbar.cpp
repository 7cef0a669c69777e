// The toolbar along the top of the main window, and its re-creation when labels are turned
// on or off.

#include "editor.h"

#include "resource.h"

#include <commctrl.h>

namespace tarnwick {

namespace {

// The labels in the order of the buttons that carry them, NUL-separated, ended by an empty one.
const char kLabels[] = "New\0Open\0Save\0CR/LF\0Quick\0New Item\0Del Item\0Exit\0";

TBBUTTON Button(int picture, int command, BYTE style, int label) {
    TBBUTTON button{};
    button.iBitmap = picture;
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = style;
    button.iString = label;
    return button;
}

TBBUTTON Separator() {
    TBBUTTON separator{};
    separator.fsStyle = TBSTYLE_SEP;
    return separator;
}

}  // namespace

HWND CreateMainToolbar(Editor& editor) {
    const bool crLf = !editor.document || editor.document->crLfMode;
    TBBUTTON buttons[] = {
        Button(5, CMD_NEW_FILE, TBSTYLE_BUTTON, 0),
        Button(0, CMD_OPEN, TBSTYLE_BUTTON, 1),
        Button(1, CMD_SAVE, TBSTYLE_BUTTON, 2),
        Separator(),
        Button(7, CMD_CRLF, TBSTYLE_CHECK, 3),
        Button(6, CMD_QUICK_CONFIG, TBSTYLE_BUTTON, 4),
        Separator(),
        Button(2, CMD_NEW_ITEM, TBSTYLE_BUTTON, 5),
        Button(3, CMD_DELETE_ITEM, TBSTYLE_BUTTON, 6),
        Separator(),
        Button(4, CMD_EXIT, TBSTYLE_BUTTON, 7),
    };
    if (crLf) buttons[4].fsState |= TBSTATE_CHECKED;
    HWND toolbar = CreateToolbarEx(editor.window, WS_CHILD | WS_VISIBLE | WS_THICKFRAME, IDC_TOOLBAR, 8, editor.instance,
                                   IDB_TOOLBAR, buttons, 11, 16, 15, 16, 15, sizeof(TBBUTTON));
    // Without labels an empty list is added, so the buttons carry no text.
    static const char kNoLabels[] = "\0";
    SendMessageA(toolbar, TB_ADDSTRINGA, 0,
                 reinterpret_cast<LPARAM>(editor.settings.ShowsToolbarLabels() ? kLabels : kNoLabels));
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    RECT bounds{};
    GetWindowRect(toolbar, &bounds);
    editor.toolbarHeight = bounds.bottom - bounds.top;
    return toolbar;
}

void RecreateToolbar(Editor& editor) {
    DestroyWindow(editor.toolbar);
    editor.toolbar = CreateMainToolbar(editor);
    LayOut(editor);
}

}  // namespace tarnwick
