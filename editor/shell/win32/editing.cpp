// The Edit menu's editing commands: Undo and Redo, Cut, Copy and Paste of items through the
// clipboard, Move Up and Move Down; the edit keys of text fields; the steps the history makes
// of the window's messages.

#include "editor.h"

#include "item_text.h"
#include "resource.h"
#include "tree_editing.h"

#include <cwchar>

namespace tarnwick {

namespace {

// The code page the system takes CF_TEXT in: that of the input locale, which it notes as the
// clipboard's CF_LOCALE. The program's own code page may be another.
UINT ClipboardTextCodePage() {
    const auto locale = static_cast<LCID>(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0)) & 0xFFFF);
    UINT codePage = 0;
    if (GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPSTR>(&codePage),
                       sizeof codePage / sizeof(char)) == 0 || codePage == 0)
        return CP_ACP;
    return codePage;
}

std::wstring Widened(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrowed(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
    return text;
}

// Another program may hold the clipboard for a moment.
bool OpenClipboardSoon(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

bool PutOnClipboard(UINT format, const void* data, std::size_t bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, data, bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    return false;
}

// What a clipboard format holds, up to its first NUL and never past its memory's end.
template <typename Char>
std::basic_string<Char> ClipboardData(UINT format) {
    HANDLE data = GetClipboardData(format);
    if (!data) return {};
    const auto* chars = static_cast<const Char*>(GlobalLock(data));
    if (!chars) return {};
    const std::size_t most = GlobalSize(data) / sizeof(Char);
    std::size_t length = 0;
    while (length < most && chars[length] != Char{}) ++length;
    std::basic_string<Char> text(chars, length);
    GlobalUnlock(data);
    return text;
}

}  // namespace

bool PutTextOnClipboard(HWND owner, const std::string& text) {
    if (!OpenClipboardSoon(owner)) return false;
    EmptyClipboard();
    const std::wstring wide = Widened(text, CP_ACP);
    const bool unicode = PutOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    const std::string ansi = Narrowed(wide, ClipboardTextCodePage());
    const bool ansiPut = PutOnClipboard(CF_TEXT, ansi.c_str(), ansi.size() + 1);
    CloseClipboard();
    return unicode || ansiPut;
}

std::optional<std::string> ClipboardText(HWND owner) {
    const bool unicode = IsClipboardFormatAvailable(CF_UNICODETEXT);
    if (!unicode && !IsClipboardFormatAvailable(CF_TEXT)) return std::nullopt;
    if (!OpenClipboardSoon(owner)) return std::nullopt;
    const std::string text = unicode ? Narrowed(ClipboardData<wchar_t>(CF_UNICODETEXT), CP_ACP)
                                     : Narrowed(Widened(ClipboardData<char>(CF_TEXT), ClipboardTextCodePage()), CP_ACP);
    CloseClipboard();
    return text;
}

namespace {

// A value typed into a pane is stored first, as a step of its own; false when it may not be.
bool StorePaneValue(Editor& editor) {
    if (editor.panes && !editor.panes->ApplyChangedPane()) return false;
    editor.history->EndStep();
    return true;
}

void ShowChangedItem(Editor& editor) {
    const ItemHandle item = editor.items->SelectedItem();
    SelectAndShow(editor, item);
    // The panes show the item as it is now, though the selection may not have moved.
    if (item != kNoItem) OnSelectionChanged(editor, item);
    else editor.document->currentItem = kNoItem;
}

void UndoOrRedo(Editor& editor, bool undo) {
    if (!StorePaneValue(editor)) return;
    EditHistory& history = *editor.history;
    const bool done = WithoutRedrawing(editor, [&] { return undo ? history.Undo() : history.Redo(); });
    if (done) ShowChangedItem(editor);
}

bool CopyItem(Editor& editor) {
    const ItemHandle item = editor.document->currentItem;
    if (item == kNoItem) return false;
    return PutTextOnClipboard(editor.window, ItemsText(*editor.history, item));
}

void PasteFromClipboard(Editor& editor) {
    ConfigDocument& document = *editor.document;
    if (document.currentItem == kNoItem) return;
    const std::optional<std::string> text = ClipboardText(editor.window);
    const PastedItems pasted =
        WithoutRedrawing(editor, [&] { return PasteItems(document, document.currentItem, text.value_or(std::string())); });
    if (pasted.first == kNoItem) {
        editor.prompts.ReportNothingToPaste(editor.window, std::string(kNoConfigurationLines));
        return;
    }
    SelectAndShow(editor, pasted.first);
}

void MoveCurrentItem(Editor& editor, bool up) {
    ConfigDocument& document = *editor.document;
    const ItemHandle item = document.currentItem;
    const ItemHandle moved = up ? MoveItemUp(*editor.history, item, &document.sources)
                                : MoveItemDown(*editor.history, item, &document.sources);
    if (moved != kNoItem) SelectAndShow(editor, moved);
}

bool IsTextField(HWND window) {
    char className[32] = {};
    if (!window || !GetClassNameA(window, className, sizeof className)) return false;
    return lstrcmpiA(className, "Edit") == 0 || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, className, 8, "RichEdit", 8) == CSTR_EQUAL;
}

// Keeps the menu's Undo and Redo grayed while there is nothing to undo or redo.
void ShowUndoState(Editor& editor) {
    HMENU menu = editor.window ? GetMenu(editor.window) : nullptr;
    if (!menu || !editor.history) return;
    const bool canUndo = editor.history->CanUndo(), canRedo = editor.history->CanRedo();
    if (canUndo == editor.undoShown && canRedo == editor.redoShown) return;
    EnableMenuItem(menu, CMD_UNDO, MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, CMD_REDO, MF_BYCOMMAND | (canRedo ? MF_ENABLED : MF_GRAYED));
    editor.undoShown = canUndo;
    editor.redoShown = canRedo;
}

}  // namespace

bool RunEditCommand(Editor& editor, int command) {
    switch (command) {
        case CMD_UNDO: UndoOrRedo(editor, true); return true;
        case CMD_REDO: UndoOrRedo(editor, false); return true;
        case CMD_COPY:
            if (StorePaneValue(editor)) CopyItem(editor);
            return true;
        case CMD_CUT:
            // Undo brings the item back: no question first.
            if (StorePaneValue(editor) && CopyItem(editor)) DeleteConfigItem(*editor.document, editor.document->currentItem);
            return true;
        case CMD_PASTE:
            if (StorePaneValue(editor)) PasteFromClipboard(editor);
            return true;
        case CMD_MOVE_UP:
        case CMD_MOVE_DOWN:
            if (StorePaneValue(editor)) MoveCurrentItem(editor, command == CMD_MOVE_UP);
            return true;
        default: return false;
    }
}

bool RouteTextFieldKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000)) return false;
    const WPARAM key = message.wParam;
    if (key != 'X' && key != 'C' && key != 'V' && key != 'Z' && key != 'Y' && key != 'A') return false;
    if (!IsTextField(message.hwnd) || message.hwnd != GetFocus()) return false;
    // The control does the rest itself, as it does in a dialog, where no key table stands first.
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

EditStepScope::EditStepScope(Editor& editor) : editor_(editor) {
    // A change made outside the window's messages (a pane's Update) is a step of its own.
    if (editor_.messageDepth++ == 0 && editor_.history) editor_.history->EndStep();
}

EditStepScope::~EditStepScope() {
    if (--editor_.messageDepth != 0 || !editor_.history) return;
    editor_.history->EndStep();
    ShowUndoState(editor_);
}

}  // namespace tarnwick
