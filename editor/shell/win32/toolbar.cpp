// The toolbar along the top of the main window, and its re-creation when labels are turned
// on or off.

#include "editor.h"

#include "resource.h"

#include <commctrl.h>

#include <iterator>
#include <string>

namespace tarnwick {

namespace {


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

// Each button's label, in the order of the buttons that carry them; the tooltip shows it whether
// or not the labels are on the buttons.
struct ButtonLabel {
    int command;
    const char* label;
};
const ButtonLabel kButtonLabels[] = {
    {CMD_NEW_FILE, "New"},     {CMD_OPEN, "Open"},         {CMD_SAVE, "Save"},
    {CMD_CRLF, "CR/LF"},       {CMD_QUICK_CONFIG, "Quick"}, {CMD_NEW_ITEM, "New Item"},
    {CMD_DELETE_ITEM, "Del Item"}, {CMD_EXIT, "Exit"},
};

// The labels as the toolbar takes them: NUL-separated, ended by an empty one.
std::string LabelList() {
    std::string list;
    for (const ButtonLabel& button : kButtonLabels) list.append(button.label).push_back('\0');
    list.push_back('\0');
    return list;
}

}  // namespace

bool OnToolbarTooltip(Editor& editor, NMHDR& header) {
    if (header.code != TTN_GETDISPINFOA && header.code != TTN_GETDISPINFOW) return false;
    // The toolbar's tooltip control names the button by its command.
    if (!editor.toolbar || (header.hwndFrom != editor.toolbar &&
                            header.hwndFrom != reinterpret_cast<HWND>(SendMessageA(editor.toolbar, TB_GETTOOLTIPS, 0, 0))))
        return false;
    for (const ButtonLabel& button : kButtonLabels) {
        if (static_cast<int>(header.idFrom) != button.command) continue;
        if (header.code == TTN_GETDISPINFOA) {
            auto& info = reinterpret_cast<NMTTDISPINFOA&>(header);
            info.hinst = nullptr;
            lstrcpynA(info.szText, button.label, static_cast<int>(sizeof info.szText));
            info.lpszText = info.szText;
        } else {
            auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
            info.hinst = nullptr;
            MultiByteToWideChar(CP_ACP, 0, button.label, -1, info.szText, static_cast<int>(std::size(info.szText)));
            info.lpszText = info.szText;
        }
        return true;
    }
    return false;
}

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
    HWND toolbar = CreateToolbarEx(editor.window, WS_CHILD | WS_VISIBLE | WS_THICKFRAME | TBSTYLE_TOOLTIPS, IDC_TOOLBAR, 8, editor.instance,
                                   IDB_TOOLBAR, buttons, 11, 16, 15, 16, 15, sizeof(TBBUTTON));
    // Without labels an empty list is added, so the buttons carry no text.
    static const char kNoLabels[] = "\0";
    const std::string labels = LabelList();
    SendMessageA(toolbar, TB_ADDSTRINGA, 0,
                 reinterpret_cast<LPARAM>(editor.settings.ShowsToolbarLabels() ? labels.c_str() : kNoLabels));
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
