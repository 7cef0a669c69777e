// The Options and About dialogs of the main window.

#include "editor.h"

#include "resource.h"

#include <commdlg.h>

namespace tarnwick {

namespace {

struct OptionBox {
    int control;
    std::uint32_t Settings::*flag;
    bool checkedWhenNotZero;  // the boxes of old check only a value of exactly 1
};

const OptionBox kOptionBoxes[] = {
    {IDC_OPT_CONFIRM_DELETE, &Settings::confirmDelete, false}, {IDC_OPT_SAVE_ON_EXIT, &Settings::saveOnExit, false},
    {IDC_OPT_SAVE_PATH, &Settings::saveConfigPath, false},     {IDC_OPT_SAVE_POSITION, &Settings::saveWindowPos, false},
    {IDC_OPT_TOOLBAR_TEXT, &Settings::toolBarDesc, false},     {IDC_OPT_KEEP_LAYOUT, &Settings::keepLayout, true},
    {IDC_OPT_SHOW_VALUES, &Settings::showValues, true},
};

// Each box becomes its setting, 1 or 0; the toolbar follows a change of its labels, saves
// follow the layout setting.
void ApplyOptions(HWND dialog, Editor& editor) {
    const std::uint32_t labelsBefore = editor.settings.toolBarDesc;
    const std::uint32_t valuesBefore = editor.settings.showValues;
    for (const OptionBox& box : kOptionBoxes)
        editor.settings.*box.flag = IsDlgButtonChecked(dialog, box.control) == BST_CHECKED ? 1 : 0;
    editor.settings.apacheProgram = WindowText(GetDlgItem(dialog, IDC_OPT_APACHE_PROGRAM));
    if (editor.settings.toolBarDesc != labelsBefore) RecreateToolbar(editor);
    if (editor.settings.showValues != valuesBefore) InvalidateRect(editor.tree, nullptr, TRUE);
    editor.document->keepLayout = editor.settings.KeepsLayout();
}

// Apache's program, chosen with the common open dialog into the field; nothing changes on Cancel.
void BrowseForApacheProgram(HWND dialog) {
    std::string path = WindowText(GetDlgItem(dialog, IDC_OPT_APACHE_PROGRAM));
    path.resize(MAX_PATH * 4, '\0');
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = "Programs (*.exe)\0*.exe\0All Files\0*.*\0";
    open.lpstrFile = path.data();
    open.nMaxFile = static_cast<DWORD>(path.size());
    open.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&open)) SetDlgItemTextA(dialog, IDC_OPT_APACHE_PROGRAM, path.c_str());
}

INT_PTR CALLBACK OptionsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        const auto& editor = *reinterpret_cast<Editor*>(lParam);
        for (const OptionBox& box : kOptionBoxes) {
            const std::uint32_t value = editor.settings.*box.flag;
            const bool on = box.checkedWhenNotZero ? value != 0 : value == 1;
            CheckDlgButton(dialog, box.control, on ? BST_CHECKED : BST_UNCHECKED);
        }
        SetDlgItemTextA(dialog, IDC_OPT_APACHE_PROGRAM, editor.settings.apacheProgram.c_str());
        return TRUE;
    }
    auto* editor = reinterpret_cast<Editor*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (message != WM_COMMAND || !editor || HIWORD(wParam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK:
            ApplyOptions(dialog, *editor);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDC_OPT_SAVE:
            ApplyOptions(dialog, *editor);
            SaveSettings(editor->registry, editor->settings, editor->document->configDirectory);
            return TRUE;
        case IDC_OPT_APACHE_BROWSE: BrowseForApacheProgram(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        default: return FALSE;
    }
}

// Only OK closes the About box: Escape and the close box leave it open.
INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool ShowOptionsDialog(Editor& editor) {
    return DialogBoxParamA(editor.instance, MAKEINTRESOURCEA(IDD_OPTIONS), editor.window, OptionsProcedure,
                           reinterpret_cast<LPARAM>(&editor)) == IDOK;
}

void ShowAboutDialog(Editor& editor) {
    DialogBoxParamA(editor.instance, MAKEINTRESOURCEA(IDD_ABOUT), editor.window, AboutProcedure, 0);
}

}  // namespace tarnwick
