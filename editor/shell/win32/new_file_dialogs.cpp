// The New File(s) and Quick Configuration dialogs.

#include "code_page.h"
#include "editor.h"

#include "new_files.h"
#include "resource.h"

#include <commctrl.h>

namespace tarnwick {

namespace {

// The dialog's fields are read as the program always read them: at most this many characters.
constexpr std::size_t kMaxFieldLength = 1023;

Editor* EditorOf(HWND dialog) { return reinterpret_cast<Editor*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

INT_PTR CALLBACK NewFileProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        HWND combo = GetDlgItem(dialog, IDC_NAME_COMBO);
        for (const char* name : {"httpd.conf", "access.conf", "srm.conf"})
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        return TRUE;
    }
    Editor* editor = EditorOf(dialog);
    if (message != WM_COMMAND || !editor) return FALSE;
    const int command = LOWORD(wParam);
    if (command == IDOK || (command == IDC_NAME_COMBO && HIWORD(wParam) == CBN_DBLCLK)) {
        const std::string name = CutBetweenCharacters(WindowText(GetDlgItem(dialog, IDC_NAME_COMBO)), kMaxItemTextLength);
        if (!name.empty()) InsertFileItem(*editor->document, name);
        EndDialog(dialog, name.empty() ? IDCANCEL : IDOK);
        return TRUE;
    }
    if (command == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void ShowPresets(HWND dialog, const QuickConfigValues& values) {
    SetDlgItemTextA(dialog, IDC_QC_SERVER_ROOT, values.serverRoot.c_str());
    SetDlgItemTextA(dialog, IDC_QC_DOCUMENT_ROOT, values.documentRoot.c_str());
    HWND updown = GetDlgItem(dialog, IDC_QC_PORT_UPDOWN);
    SendMessageA(updown, UDM_SETRANGE, 0, MAKELPARAM(32767, 0));
    SendMessageA(updown, UDM_SETPOS, 0, MAKELPARAM(values.port, 0));
    SetDlgItemTextA(dialog, IDC_QC_USER, values.user.c_str());
    SetDlgItemTextA(dialog, IDC_QC_GROUP, values.group.c_str());
    SetDlgItemTextA(dialog, IDC_QC_ADMIN, values.serverAdmin.c_str());
    CheckRadioButton(dialog, IDC_QC_UNIX, IDC_QC_WINDOWS, values.unix ? IDC_QC_UNIX : IDC_QC_WINDOWS);
}

QuickConfigValues TypedValues(HWND dialog) {
    const auto field = [dialog](int id) { return CutBetweenCharacters(WindowText(GetDlgItem(dialog, id)), kMaxFieldLength); };
    QuickConfigValues values;
    values.serverRoot = field(IDC_QC_SERVER_ROOT);
    values.documentRoot = field(IDC_QC_DOCUMENT_ROOT);
    // A field holding no valid number leaves the control's last valid position.
    values.port = LOWORD(SendMessageA(GetDlgItem(dialog, IDC_QC_PORT_UPDOWN), UDM_GETPOS, 0, 0));
    values.user = field(IDC_QC_USER);
    values.group = field(IDC_QC_GROUP);
    values.serverAdmin = field(IDC_QC_ADMIN);
    values.unix = IsDlgButtonChecked(dialog, IDC_QC_UNIX) == BST_CHECKED;
    return values;
}

INT_PTR CALLBACK QuickConfigProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        ShowPresets(dialog, ReadQuickConfigPresets(reinterpret_cast<Editor*>(lParam)->registry));
        return TRUE;
    }
    Editor* editor = EditorOf(dialog);
    if (message != WM_COMMAND || !editor || HIWORD(wParam) != BN_CLICKED) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        ApplyQuickConfig(*editor->document, editor->settings.defaultConfigFilePath, TypedValues(dialog));
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool ShowNewFileDialog(Editor& editor) {
    return DialogBoxParamA(editor.instance, MAKEINTRESOURCEA(IDD_NEW_FILE), editor.window, NewFileProcedure,
                           reinterpret_cast<LPARAM>(&editor)) == IDOK;
}

bool ShowQuickConfigDialog(Editor& editor) {
    return DialogBoxParamA(editor.instance, MAKEINTRESOURCEA(IDD_QUICK_CONFIG), editor.window, QuickConfigProcedure,
                           reinterpret_cast<LPARAM>(&editor)) == IDOK;
}

}  // namespace tarnwick
