#include "test_prompts.h"

#include <commctrl.h>

namespace tarnwick::testing {

namespace {
std::deque<DialogScript::Step> gSteps;
}  // namespace

DialogScript::DialogScript(std::deque<Step> steps) {
    gSteps = std::move(steps);
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

DialogScript::~DialogScript() {
    KillTimer(nullptr, timer_);
    gSteps.clear();
}

bool DialogScript::Finished() const { return gSteps.empty(); }

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (gSteps.empty()) return;
    HWND dialog = FindWindowA(nullptr, gSteps.front().first.c_str());
    if (!dialog || !IsWindowVisible(dialog)) return;
    const auto act = std::move(gSteps.front().second);
    gSteps.pop_front();
    act(dialog);
}

void PrepareEditorWindows() {
    InitCommonControls();
    LoadLibraryA("RICHED32.DLL");
    RegisterEditorClasses(GetModuleHandleA(nullptr));
}

void CloseEditorWindow(Editor& editor) {
    if (editor.window) DestroyWindow(editor.window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {}
}

void Click(HWND dialog, int button) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

std::wstring ShownLabel(HWND tree, ItemHandle item) {
    wchar_t text[256] = {};
    TVITEMW fields{};
    fields.mask = TVIF_TEXT | TVIF_HANDLE;
    fields.hItem = reinterpret_cast<HTREEITEM>(item);
    fields.pszText = text;
    fields.cchTextMax = 256;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&fields));
    return text;
}

}  // namespace tarnwick::testing
