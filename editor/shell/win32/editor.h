#pragma once
// The editor's run state: one per program, created at start-up and handed to every window
// procedure through its window's user data.

#include "config_document.h"
#include "config_reader.h"
#include "config_writer.h"
#include "edit_history.h"
#include "find_items.h"
#include "registry.h"
#include "settings.h"
#include "help.h"
#include "win32/pane_container.h"
#include "win32/win32_drive_system.h"
#include "win32/tree_view_items.h"
#include "win32/win32_code_page.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

namespace tarnwick {

// The answers to "Save changes to the configuration files?".
enum class SaveChangesAnswer { Save, Discard, Cancel };

// What the main window asks of the user. The program shows the common dialogs and message
// boxes; tests answer in their place, so the window's own code paths run unchanged.
class EditorPrompts {
public:
    virtual ~EditorPrompts() = default;
    virtual std::optional<OpenSelection> ChooseFilesToOpen(HWND owner, const std::string& directory) = 0;
    virtual std::optional<std::string> ChooseSaveAsPath(HWND owner, const std::string& directory) = 0;
    virtual bool ConfirmDelete(HWND owner) = 0;
    virtual void ReportUnsavedFiles(HWND owner, const std::vector<UnsavedFile>& unsaved) = 0;
    virtual void ReportUnreadFiles(HWND owner, const std::vector<std::string>& paths) = 0;
    // After Open Included Files: what could not be opened, or that there was nothing to open.
    virtual void ReportIncludedFiles(HWND owner, const std::string& message) = 0;
    virtual SaveChangesAnswer AskSaveChanges(HWND owner) = 0;
    // Before a save writes over a file another program changed: true replaces it. Where
    // nobody can be asked, the other program's version is kept.
    virtual bool AskReplaceChangedFile(HWND, const std::string&) { return false; }
    // Before Check with Apache, with unsaved changes: save first (Save), check what is on disk
    // (Discard), or do not check (Cancel). Prompts that never check answer Cancel.
    virtual SaveChangesAnswer AskSaveBeforeCheck(HWND) { return SaveChangesAnswer::Cancel; }
    // What Check with Apache found: acceptance, or what Apache printed.
    virtual void ShowApacheCheck(HWND, const std::string&, bool) {}
    // Find found nothing: "Cannot find "<text>"."
    virtual void ReportNotFound(HWND owner, const std::string& message) = 0;
    // Paste found no configuration line on the clipboard.
    virtual void ReportNothingToPaste(HWND, const std::string&) {}
};

// The common dialogs and message boxes of the real program.
std::unique_ptr<EditorPrompts> MakeWindowsPrompts();

// The Find dialog (modeless, FindTextA) and the last search, which Find Next repeats.
inline constexpr std::size_t kFindTextCapacity = 1024;
struct FindState {
    HWND dialog = nullptr;
    FINDREPLACEA request{};
    char text[kFindTextCapacity] = {};  // the dialog writes into it while open; the last text after
    bool matchCase = false;
    UINT message = 0;  // FINDMSGSTRING, registered at the first Find
};

struct Editor {
    Editor(HINSTANCE instance, Registry& registry, FileStore& files, EditorPrompts& prompts)
        : instance(instance), registry(registry), files(files), prompts(prompts) {}

    HINSTANCE instance;
    Registry& registry;
    FileStore& files;
    EditorPrompts& prompts;
    Settings settings;

    HWND window = nullptr;
    HWND toolbar = nullptr;
    HWND divider = nullptr;
    HWND tree = nullptr;
    HWND description = nullptr;
    HMENU itemMenu = nullptr;
    HIMAGELIST images = nullptr;
    int toolbarHeight = 0;
    RECT laidOut{};
    int dividerAnchor = 0;  // x inside the divider where a drag began; 0 when none
    bool dragging = false;  // an item of the tree is being dragged
    Win32DriveSystem drives;
    Win32AnsiCodePage codePage;  // what files that are not UTF-8 are read and written in
    HelpLoader help;
    FindState find;
    HWND lastFocus = nullptr;  // the control that had the focus when the window was last left
    int messageDepth = 0;      // how deep the main window's procedure is running now
    bool undoShown = false;    // what the menu's Undo and Redo show: enabled or grayed
    bool redoShown = false;

    std::unique_ptr<TreeViewItems> items;
    // Every change goes through it, so that it can be undone; reads may go to `items`.
    std::unique_ptr<EditHistory> history;
    std::unique_ptr<ConfigDocument> document;
    std::unique_ptr<PaneContainer> panes;
};

// Window classes of the editor; registered once per process.
bool RegisterEditorClasses(HINSTANCE instance);
void UnregisterEditorClasses(HINSTANCE instance);

// Loads the settings, then creates and shows the main window for `editor`.
HWND CreateEditorWindow(Editor& editor);

// Everything the selection of `item` changes: pane, headings, description, current item.
void OnSelectionChanged(Editor& editor, ItemHandle item);

// Commands and layout, as the window procedure runs them.
void RunCommand(Editor& editor, int command);
void LayOut(Editor& editor);
void RecreateToolbar(Editor& editor);
HWND CreateMainToolbar(Editor& editor);
LRESULT CALLBACK DividerProcedure(HWND divider, UINT message, WPARAM wParam, LPARAM lParam);
bool ShowOptionsDialog(Editor& editor);
bool ShowNewFileDialog(Editor& editor);
bool ShowQuickConfigDialog(Editor& editor);
bool ShowNewItem(Editor& editor);
void ShowHelp(Editor& editor);

// Find, Find Next and Shift+F3 (find_dialog.cpp).
void ShowFindDialog(Editor& editor);
void FindAgain(Editor& editor, FindDirection direction);
void OnFindDialogMessage(Editor& editor, const FINDREPLACEA& request);
// Selects the item, opening the sections that hide it, and scrolls it into view.
void SelectAndShow(Editor& editor, ItemHandle item);

// Values beside the names in the tree (tree_values.cpp): the tree's custom draw and info tips.
LRESULT OnTreeCustomDraw(Editor& editor, NMTVCUSTOMDRAW& draw);
void OnTreeInfoTip(Editor& editor, NMTVGETINFOTIPA& tip);

// The keyboard (keyboard.cpp): Tab round the window, Enter in a value field, the context-menu
// key. Returns true when the message was handled and is not to be dispatched.
bool RouteEditorKey(Editor& editor, const MSG& message);
// Enter or F2 in the tree: the Options tab's value field, its text selected.
void FocusValueField(Editor& editor);
// Where the item menu opens for the context-menu key or Shift+F10: at the selected item.
POINT ItemMenuPoint(Editor& editor);
// Keeps and gives back the focus when the window is left and activated again.
void OnActivate(Editor& editor, bool active);
// Toolbar tooltips: each button's label.
bool OnToolbarTooltip(Editor& editor, NMHDR& header);

// What the message loop does with one message before dispatching it: accelerators, the Find
// dialog, the editor's own keys, the pane container. True when nothing is left to dispatch.
bool TranslateEditorMessage(Editor& editor, HACCEL accelerators, MSG& message);

// The Edit menu's Undo, Redo, Cut, Copy, Paste, Move Up and Move Down (editing.cpp). False
// for any other command.
bool RunEditCommand(Editor& editor, int command);
// Ctrl+X, C, V, Z, Y and A in a text field act on the field, not on the tree: true when the
// key was handed to it.
bool RouteTextFieldKey(const MSG& message);
// The clipboard as text in the program's code page, through CF_UNICODETEXT (and CF_TEXT, for
// programs that read only that).
bool PutTextOnClipboard(HWND owner, const std::string& text);
std::optional<std::string> ClipboardText(HWND owner);

// One message of the main window, however deep: the changes it makes are one step to undo.
class EditStepScope {
public:
    explicit EditStepScope(Editor& editor);
    ~EditStepScope();
    EditStepScope(const EditStepScope&) = delete;
    EditStepScope& operator=(const EditStepScope&) = delete;

private:
    Editor& editor_;
};

// Runs `change` with the tree drawn once at the end, not once per item it adds; returns
// what `change` returns.
template <typename Change>
auto WithoutRedrawing(Editor& editor, Change change) {
    SendMessageA(editor.tree, WM_SETREDRAW, FALSE, 0);
    struct DrawAgain {
        HWND tree;
        ~DrawAgain() {
            SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(tree, nullptr, TRUE);
        }
    } drawAgain{editor.tree};
    return change();
}

// Dragging items in the tree.
void BeginItemDrag(Editor& editor, ItemHandle item);
void DragMove(Editor& editor, int x, int y);  // x and y relative to the tree
void EndItemDrag(Editor& editor);
void ShowAboutDialog(Editor& editor);

// Opens the files named on a command line as Open would: each quoted or blank-separated path.
// Files that cannot be read are named in one message, as Open names them.
void OpenCommandLineFiles(Editor& editor, const std::string& commandLine);

// Whether the main window may close now. With changes no save has written, the user is asked
// whether to save them first; the window stays when the user cancels or a save fails.
bool ConfirmClose(Editor& editor);

// What the end of a run keeps: the tree's values are released and the settings are written
// as their save flags allow.
void ShutDownEditor(Editor& editor);

// The whole program: start-up, message loop, shut-down. Returns the exit code.
int RunEditor(HINSTANCE instance, const std::string& commandLine);

inline constexpr const char* kMainClass = "Tarnwick:MAIN";
inline constexpr const char* kDividerClass = "Tarnwick:DividerBar";
inline constexpr const char* kMainTitle = "Kel Tarnwick";

}  // namespace tarnwick
