// The main window: its children, its messages and the commands of menu, accelerators,
// toolbar, popup menu and tree.

#include "editor.h"

#include "apache_process.h"
#include "config_writer.h"
#include "included_files.h"
#include "layout.h"
#include "resource.h"
#include "template_store.h"
#include "tree_walk.h"
#include "win32/item_dialogs.h"

#include <commctrl.h>

namespace tarnwick {

namespace {

Editor* EditorOf(HWND window) { return reinterpret_cast<Editor*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

HIMAGELIST CreateTreeImages(HINSTANCE instance) {
    HIMAGELIST images = ImageList_Create(16, 13, ILC_COLOR24 | ILC_MASK, 5, 5);
    for (int bitmap : {IDB_FILE_CLOSED, IDB_FILE_OPEN, IDB_SECTION_CLOSED, IDB_SECTION_OPEN, IDB_DIRECTIVE}) {
        auto picture = static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(bitmap), IMAGE_BITMAP, 0, 0, 0));
        ImageList_AddMasked(images, picture, RGB(255, 0, 255));
        DeleteObject(picture);
    }
    return images;
}

HMENU CreateItemMenu() {
    HMENU menu = CreatePopupMenu();
    const auto insert = [menu](UINT command, const char* text) {
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = text ? MIIM_ID | MIIM_TYPE : MIIM_TYPE;
        item.fType = text ? MFT_STRING : MFT_SEPARATOR;
        item.wID = command;
        item.dwTypeData = const_cast<char*>(text);
        InsertMenuItemA(menu, 0, TRUE, &item);
    };
    insert(CMD_DELETE_ITEM, "&Delete");
    insert(0, nullptr);
    insert(CMD_NEW_ITEM, "&New");
    return menu;
}

HWND CreateChild(Editor& editor, DWORD exStyle, const char* className, DWORD style, int id) {
    return CreateWindowExA(exStyle, className, "", style, 0, 0, 0, 0, editor.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), editor.instance, nullptr);
}

void OnCreate(Editor& editor) {
    GetClientRect(editor.window, &editor.laidOut);
    editor.toolbar = CreateMainToolbar(editor);
    editor.divider = CreateChild(editor, 0, kDividerClass, WS_CHILD | WS_VISIBLE, IDC_DIVIDER);
    editor.tree = CreateChild(editor, WS_EX_CLIENTEDGE, WC_TREEVIEWA,
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                  TVS_SHOWSELALWAYS | TVS_INFOTIP,
                              IDC_CONFIG_TREE);
    editor.description = CreateChild(editor, WS_EX_CLIENTEDGE, "RichEdit",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE, IDC_DESCRIPTION);
    editor.items = std::make_unique<TreeViewItems>(editor.tree);
    editor.history = std::make_unique<EditHistory>(*editor.items);
    editor.document = std::make_unique<ConfigDocument>(
        ConfigDocument{*editor.history, editor.files, editor.settings.defaultConfigPath});
    editor.document->keepLayout = editor.settings.KeepsLayout();
    editor.document->ansiCodePage = &editor.codePage;
    editor.panes = std::make_unique<PaneContainer>(editor.instance, *editor.history, editor.registry,
                                                   editor.document->currentItem, editor.drives);
    editor.panes->SetValueCheck([&editor](ItemHandle item, std::string_view value) {
        return ValueNotInCodePage(*editor.document, item, value);
    });
    editor.panes->Create(editor.window);
    LayOut(editor);
    SetWindowPos(editor.panes->Window(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    editor.images = CreateTreeImages(editor.instance);
    SendMessageA(editor.tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(editor.images));
    editor.panes->ChoosePane("");
    editor.panes->SetEscapeTarget(editor.tree);
    editor.itemMenu = CreateItemMenu();
    SetFocus(editor.tree);
}

void OnDestroy(Editor& editor) {
    if (editor.items) ReleaseTreeValues(*editor.items);
    DestroyWindow(editor.tree);
    DestroyWindow(editor.toolbar);
    DestroyWindow(editor.divider);
    if (editor.itemMenu) DestroyMenu(editor.itemMenu);
    editor.itemMenu = nullptr;
    if (editor.images) ImageList_Destroy(editor.images);
    editor.images = nullptr;
    PostQuitMessage(0);
}

// Returns what the notification answers: TRUE keeps the tree from changing its selection.
LRESULT OnTreeNotify(Editor& editor, NMHDR& header) {
    switch (header.code) {
        case NM_CUSTOMDRAW: return OnTreeCustomDraw(editor, reinterpret_cast<NMTVCUSTOMDRAW&>(header));
        case TVN_GETINFOTIPA: OnTreeInfoTip(editor, reinterpret_cast<NMTVGETINFOTIPA&>(header)); break;
        case TVN_SELCHANGINGA:
            // A value the user typed for the item being left is stored first, or the selection stays.
            return editor.panes && !editor.panes->ApplyChangedPane() ? TRUE : FALSE;
        case TVN_SELCHANGEDA:
            OnSelectionChanged(editor, reinterpret_cast<ItemHandle>(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem));
            break;
        case TVN_KEYDOWN: {
            const WORD key = reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey;
            if (key == VK_INSERT) SendMessageA(editor.window, WM_COMMAND, CMD_NEW_ITEM, 0);
            if (key == VK_DELETE) SendMessageA(editor.window, WM_COMMAND, CMD_DELETE_ITEM, 0);
            if (key == VK_RETURN || key == VK_F2) FocusValueField(editor);
            break;
        }
        case TVN_BEGINDRAGA:
            BeginItemDrag(editor, reinterpret_cast<ItemHandle>(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem));
            break;
        default: break;
    }
    return 0;
}

// Re-lays the window out only when its client area really changed.
void OnResized(Editor& editor, UINT message) {
    // The place a next run starts at: the window's own, not that of its minimised or maximised state.
    if (!IsIconic(editor.window) && !IsZoomed(editor.window)) {
        RECT place{};
        GetWindowRect(editor.window, &place);
        if (message == WM_SIZE) NoteWindowSize(editor.settings, place.right - place.left, place.bottom - place.top);
        if (message == WM_MOVE) NoteWindowPosition(editor.settings, place.left, place.top);
    }
    RECT client{};
    GetClientRect(editor.window, &client);
    if (EqualRect(&client, &editor.laidOut)) return;
    editor.laidOut = client;
    LayOut(editor);
}

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* editor = static_cast<Editor*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        editor->window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(editor));
    }
    Editor* editor = EditorOf(window);
    if (!editor) return DefWindowProcA(window, message, wParam, lParam);
    const EditStepScope step(*editor);
    if (editor->find.message && message == editor->find.message) {
        OnFindDialogMessage(*editor, *reinterpret_cast<const FINDREPLACEA*>(lParam));
        return 0;
    }
    switch (message) {
        case WM_CREATE: OnCreate(*editor); return 0;
        case WM_DESTROY:
            OnDestroy(*editor);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            editor->window = nullptr;
            break;
        case WM_MOVE:
        case WM_SIZE:
        case WM_EXITSIZEMOVE: OnResized(*editor, message); return 0;
        case WM_CLOSE:
            if (ConfirmClose(*editor)) DestroyWindow(window);
            return 0;
        case WM_QUERYENDSESSION: return ConfirmClose(*editor) ? TRUE : FALSE;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom == editor->tree && header->idFrom == IDC_CONFIG_TREE) return OnTreeNotify(*editor, *header);
            OnToolbarTooltip(*editor, *header);
            return 0;
        }
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == editor->tree) {
                // From the keyboard (-1) the menu opens at the selected item, not at the pointer.
                POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (lParam == -1 || static_cast<DWORD>(lParam) == 0xFFFFFFFF) at = ItemMenuPoint(*editor);
                TrackPopupMenu(editor->itemMenu, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, window, nullptr);
            }
            return 0;
        case WM_ACTIVATE:
            OnActivate(*editor, LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_COMMAND: RunCommand(*editor, LOWORD(wParam)); return 0;
        case WM_MOUSEMOVE: {
            POINT inTree{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            MapWindowPoints(window, editor->tree, &inTree, 1);
            DragMove(*editor, inTree.x, inTree.y);
            return 0;
        }
        case WM_LBUTTONUP: EndItemDrag(*editor); return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void DeleteCurrentItem(Editor& editor) {
    ConfigDocument& document = *editor.document;
    if (document.currentItem == kNoItem) return;
    if (editor.settings.ConfirmsDelete() && !editor.prompts.ConfirmDelete(editor.window)) return;
    // Drawn once at the end: a file item may hold many thousand items.
    WithoutRedrawing(editor, [&] { DeleteConfigItem(document, document.currentItem); });
}

void ToggleCrLfMode(Editor& editor) {
    HMENU menu = GetMenu(editor.window);
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    GetMenuItemInfoA(menu, CMD_CRLF, FALSE, &item);
    const bool wasChecked = (item.fState & MFS_CHECKED) != 0;
    editor.document->crLfMode = !wasChecked;
    item.fState = wasChecked ? MFS_UNCHECKED : MFS_CHECKED;
    SetMenuItemInfoA(menu, CMD_CRLF, FALSE, &item);
    SendMessageA(editor.toolbar, TB_CHECKBUTTON, CMD_CRLF, MAKELPARAM(!wasChecked, 0));
}

// Returns whether every file was saved; otherwise the user is told which were not, and why.
bool ReportFailedSaves(Editor& editor, const std::vector<UnsavedFile>& unsaved) {
    if (unsaved.empty()) return true;
    editor.prompts.ReportUnsavedFiles(editor.window, unsaved);
    return false;
}

void ReportUnreadFiles(Editor& editor, const std::vector<std::string>& unread) {
    if (!unread.empty()) editor.prompts.ReportUnreadFiles(editor.window, unread);
}

void OpenIncludedFilesCommand(Editor& editor) {
    // Opening files is no step to undo.
    const EditHistory::Unnoted opening(*editor.history);
    const IncludedFiles result = WithoutRedrawing(editor, [&] { return OpenIncludedFiles(*editor.document); });
    const std::string message = IncludedFilesMessage(result);
    if (!message.empty()) editor.prompts.ReportIncludedFiles(editor.window, message);
}

}  // namespace

bool RegisterEditorClasses(HINSTANCE instance) {
    WNDCLASSA main{};
    main.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    main.lpfnWndProc = MainProcedure;
    main.hInstance = instance;
    main.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TARNWICK));
    main.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    main.lpszClassName = kMainClass;
    WNDCLASSA divider{};
    divider.style = CS_OWNDC;
    divider.lpfnWndProc = DividerProcedure;
    divider.hInstance = instance;
    divider.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE));
    divider.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    divider.lpszClassName = kDividerClass;
    const bool mainRegistered = RegisterClassA(&main) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    const bool dividerRegistered = RegisterClassA(&divider) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return mainRegistered && dividerRegistered;
}

void UnregisterEditorClasses(HINSTANCE instance) {
    UnregisterClassA(kMainClass, instance);
    UnregisterClassA(kDividerClass, instance);
}

HWND CreateEditorWindow(Editor& editor) {
    editor.settings = LoadSettings(editor.registry, [](std::string_view text) {
        const std::string source(text);
        std::string expanded(32768, '\0');
        const DWORD length = ExpandEnvironmentStringsA(source.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (length == 0 || length > expanded.size()) return source;
        expanded.resize(length - 1);
        return expanded;
    });
    editor.settings.windowDivider = ClampDivider(editor.settings.windowDivider, 0);
    WindowPlace place = StartingWindowPlace(editor.settings);
    // A stored place off every screen (a monitor since removed) is left to the system.
    const RECT stored{place.left, place.top, place.left + place.width, place.top + place.height};
    if (place.placed && !MonitorFromRect(&stored, MONITOR_DEFAULTTONULL)) place.placed = false;
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, kMainClass, kMainTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  place.placed ? place.left : CW_USEDEFAULT, place.placed ? place.top : CW_USEDEFAULT,
                                  place.width, place.height, nullptr, nullptr, editor.instance, &editor);
    if (window) ShowWindow(window, SW_SHOW);
    return window;
}

void OnSelectionChanged(Editor& editor, ItemHandle item) {
    const std::string name(editor.items->GetItem(item).text);
    editor.panes->ChoosePane(name);
    editor.panes->SetHeadings(name);
    SetWindowTextA(editor.description, Description(editor.registry, name).c_str());
    editor.document->currentItem = item;
    editor.panes->ShowItemInPanes();
}

void LayOut(Editor& editor) {
    RECT client{};
    GetClientRect(editor.window, &client);
    const Layout layout = ComputeLayout(editor.settings.windowDivider, editor.toolbarHeight, client.right, client.bottom);
    HDWP moves = BeginDeferWindowPos(4);
    const auto move = [&moves](HWND window, const Rect& place, UINT flags) {
        if (window && moves) moves = DeferWindowPos(moves, window, nullptr, place.x, place.y, place.width, place.height, flags);
    };
    move(editor.divider, layout.divider, SWP_NOZORDER);
    move(editor.tree, layout.tree, SWP_NOZORDER);
    move(editor.description, layout.description, SWP_NOZORDER);
    move(editor.panes ? editor.panes->Window() : nullptr, layout.panes, SWP_NOSIZE | SWP_NOZORDER);
    if (moves) EndDeferWindowPos(moves);
    SendMessageA(editor.toolbar, TB_AUTOSIZE, 0, 0);
}

namespace {

// A save asks the user before it writes over what another program wrote.
ReplaceQuestion AskReplace(Editor& editor) {
    return [&editor](const std::string& path) { return editor.prompts.AskReplaceChangedFile(editor.window, path); };
}

}  // namespace

void RunCommand(Editor& editor, int command) {
    ConfigDocument& document = *editor.document;
    switch (command) {
        case CMD_OPEN:
            if (const auto selection = editor.prompts.ChooseFilesToOpen(editor.window, document.configDirectory)) {
                const EditHistory::Unnoted opening(*editor.history);
                ReportUnreadFiles(editor, WithoutRedrawing(editor, [&] { return OpenConfigFiles(document, *selection); }));
            }
            break;
        case CMD_OPEN_INCLUDED: OpenIncludedFilesCommand(editor); break;
        case CMD_CHECK_APACHE: CheckWithApacheCommand(editor); break;
        case CMD_SAVE:
        case CMD_SAVE_MENU:  // the menu's Save saves too, as a user expects
            if (!editor.panes->ApplyChangedPane()) break;
            ReportFailedSaves(editor, SaveAllFiles(document, AskReplace(editor)));
            break;
        case CMD_SAVE_AS:
            if (!editor.panes->ApplyChangedPane()) break;
            if (const auto path = editor.prompts.ChooseSaveAsPath(editor.window, document.configDirectory))
                ReportFailedSaves(editor, SaveFilesAs(document, *path, AskReplace(editor)));
            break;
        case CMD_CRLF: ToggleCrLfMode(editor); break;
        case CMD_EXIT: SendMessageA(editor.window, WM_CLOSE, 0, 0); break;
        case CMD_DELETE_ITEM: DeleteCurrentItem(editor); break;
        case CMD_OPTIONS: ShowOptionsDialog(editor); break;
        case CMD_ABOUT: ShowAboutDialog(editor); break;
        case CMD_NEW_FILE: ShowNewFileDialog(editor); break;
        case CMD_QUICK_CONFIG: ShowQuickConfigDialog(editor); break;
        case CMD_NEW_ITEM: ShowNewItem(editor); break;
        case CMD_HELP_CONTENTS: ShowHelp(editor); break;
        case CMD_FIND: ShowFindDialog(editor); break;
        case CMD_FIND_NEXT: FindAgain(editor, FindDirection::Forward); break;
        case CMD_FIND_PREVIOUS: FindAgain(editor, FindDirection::Backward); break;
        default: RunEditCommand(editor, command); break;  // Print stands in the menu without an action
    }
}

bool ShowNewItem(Editor& editor) {
    NewItemRequest request{*editor.history, editor.registry, editor.document->currentItem,
                           [&editor] { ShowNewFileDialog(editor); }};
    if (!ShowNewItemDialog(editor.instance, editor.window, request)) return false;
    SelectAndShow(editor, request.added);
    return true;
}

void ShowHelp(Editor& editor) {
    editor.help.CallHtmlHelp(editor.window, HelpFilePath(editor.settings.helpPath), 0 /* HH_DISPLAY_TOPIC */, 0);
}

void OpenCommandLineFiles(Editor& editor, const std::string& commandLine) {
    std::vector<std::string> unread;
    std::size_t at = 0;
    while (at < commandLine.size()) {
        while (at < commandLine.size() && (commandLine[at] == ' ' || commandLine[at] == '\t')) ++at;
        if (at >= commandLine.size()) break;
        std::string path;
        if (commandLine[at] == '"') {
            const std::size_t end = commandLine.find('"', at + 1);
            path = commandLine.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
            at = end == std::string::npos ? commandLine.size() : end + 1;
        } else {
            const std::size_t end = commandLine.find_first_of(" \t", at);
            path = commandLine.substr(at, end == std::string::npos ? std::string::npos : end - at);
            at = end == std::string::npos ? commandLine.size() : end;
        }
        if (path.empty()) continue;
        // A relative name is taken from the current directory, as the open dialog would give it.
        char full[MAX_PATH * 4] = {};
        char* name = nullptr;
        const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, &name);
        const auto selection = (length == 0 || length >= sizeof full || !name)
                                   ? std::nullopt
                                   : DecodeOpenSelection(std::string(full) + '\0', static_cast<std::size_t>(name - full));
        if (!selection) {
            unread.push_back(path);  // no file name in it: nothing that could be read
            continue;
        }
        const EditHistory::Unnoted opening(*editor.history);
        for (std::string& failed : OpenConfigFiles(*editor.document, *selection)) unread.push_back(std::move(failed));
    }
    ReportUnreadFiles(editor, unread);
}

bool ConfirmClose(Editor& editor) {
    // A value the user typed and did not store yet counts as a change, as every other does.
    if (editor.panes && !editor.panes->ApplyChangedPane()) return false;
    if (!editor.document || !HasUnsavedChanges(*editor.document)) return true;
    switch (editor.prompts.AskSaveChanges(editor.window)) {
        case SaveChangesAnswer::Save: return ReportFailedSaves(editor, SaveAllFiles(*editor.document, AskReplace(editor)));
        case SaveChangesAnswer::Discard: return true;
        case SaveChangesAnswer::Cancel: break;
    }
    return false;
}

}  // namespace tarnwick
