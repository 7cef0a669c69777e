#include "progress_window.h"

#include "install_actions.h"
#include "resource.h"

#include <commctrl.h>

namespace kelsetup {

namespace {

// The progress window's close box and Escape do nothing. It is only on show while a run
// works, and keeps the wait cursor meanwhile, as the window thread goes on serving messages.
INT_PTR CALLBACK ProgressProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_SETCURSOR) return FALSE;
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

struct FinishData {
    const std::string& text;
    bool install;
};

// Only "&Finish" closes it.
INT_PTR CALLBACK FinishProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto& data = *reinterpret_cast<FinishData*>(lParam);
        if (data.install) SetWindowTextA(dialog, "Install...");
        SetDlgItemTextA(dialog, IDC_FINISH_TEXT, data.text.c_str());
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ConflictProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto& conflict = *reinterpret_cast<VersionConflictInfo*>(lParam);
        SetDlgItemTextA(dialog, IDC_CONFLICT_FILE, conflict.fileName.c_str());
        SetDlgItemTextA(dialog, IDC_NEW_VERSION, VersionText(conflict.installing).c_str());
        SetDlgItemTextA(dialog, IDC_EXISTING_VERSION, VersionText(conflict.existing).c_str());
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {  // also the Escape key
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

ProgressWindow::ProgressWindow(HINSTANCE instance, HWND owner, const char* caption) : instance_(instance), owner_(owner) {
    window_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressProcedure, 0);
    if (window_) SetWindowTextA(window_, caption);
}

ProgressWindow::~ProgressWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

void ProgressWindow::SetLine(int index, int control, const std::string& text) {
    std::string& shown = shown_[index];
    if (shown == text) return;
    shown = text;
    SetDlgItemTextA(window_, control, text.c_str());
}

void ProgressWindow::ShowStatus(const std::string& action, const std::string& detail1, const std::string& detail2,
                                const std::string& detail3) {
    SetLine(0, IDC_ACTION, action);
    SetLine(1, IDC_DETAIL_1, detail1);
    SetLine(2, IDC_DETAIL_2, detail2);
    SetLine(3, IDC_DETAIL_3, detail3);
}

void ProgressWindow::ShowAction(const std::string& action) { SetLine(0, IDC_ACTION, action); }

void ProgressWindow::SetProgressPercent(int percent) {
    if (percent == percent_) return;
    percent_ = percent;
    SendDlgItemMessageA(window_, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void ProgressWindow::BeginRun() {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    ShowWindow(window_, SW_SHOWDEFAULT);
    SetDlgItemTextA(window_, IDC_ITEM_FRAME, "Current Item:");
    SetDlgItemTextA(window_, IDC_PROGRESS_FRAME, "Overall Progress:");
    if (mainDialog_) ShowWindow(mainDialog_, SW_HIDE);
}

void ProgressWindow::EndRun() {
    ShowWindow(window_, SW_HIDE);
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

bool ProgressWindow::AskInstallConflict(const VersionConflictInfo& conflict) {
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_VERSION_CONFLICT), owner_, ConflictProcedure,
                           reinterpret_cast<LPARAM>(&conflict)) == 1;
}

void ProgressWindow::ShowProblems(const std::string& message) {
    MessageBoxA(owner_, message.c_str(), "Setup error...", MB_OK | MB_ICONWARNING);
}

void ProgressWindow::ShowFinish(const std::string& text, bool install) {
    FinishData data{text, install};
    DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_FINISH), owner_, FinishProcedure, reinterpret_cast<LPARAM>(&data));
}

}  // namespace kelsetup
