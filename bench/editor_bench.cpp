// Measures, under Wine or Windows, what opening a large configuration costs in the real editor
// window (values shown beside the names, its first file's items drawn) against inserting as
// many items into a bare tree-view control and drawing it, what selecting an item costs, and
// what a Find for a text no item holds costs against the open, and what deleting the file's
// item costs against undoing that:   editor_bench.exe FILE
// Prints one "name: value" per line.

#include "editor.h"

#include "memory_registry.h"
#include "resource.h"
#include "tree_walk.h"
#include "win32/win32_file_store.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::duration elapsed) { return std::chrono::duration<double, std::milli>(elapsed).count(); }

class OpenOnly final : public EditorPrompts {
public:
    explicit OpenOnly(OpenSelection selection) : selection_(std::move(selection)) {}
    std::optional<OpenSelection> ChooseFilesToOpen(HWND, const std::string&) override { return selection_; }
    std::optional<std::string> ChooseSaveAsPath(HWND, const std::string&) override { return std::nullopt; }
    bool ConfirmDelete(HWND) override { return true; }
    void ReportUnsavedFiles(HWND, const std::vector<UnsavedFile>&) override {}
    void ReportUnreadFiles(HWND, const std::vector<std::string>& paths) override {
        for (const std::string& path : paths) std::fprintf(stderr, "could not read %s\n", path.c_str());
    }
    void ReportIncludedFiles(HWND, const std::string&) override {}
    void ReportNotFound(HWND, const std::string&) override {}
    SaveChangesAnswer AskSaveChanges(HWND) override { return SaveChangesAnswer::Discard; }

private:
    OpenSelection selection_;
};

// One item of the tree's shape: its text and the index of its parent in the list (-1: top).
struct ShapeItem {
    std::string text;
    int parent;
};

// The editor's tree as a list in insertion order, parents before their children.
std::vector<ShapeItem> ShapeOf(const ConfigTree& tree) {
    std::vector<ShapeItem> shape;
    std::vector<std::pair<ItemHandle, int>> pending;  // (item, parent index), last first
    for (ItemHandle file = tree.FirstFileItem(); file; file = tree.NextSibling(file)) pending.insert(pending.begin(), {file, -1});
    while (!pending.empty()) {
        const auto [item, parent] = pending.back();
        pending.pop_back();
        shape.push_back({std::string(tree.GetItem(item).text), parent});
        const int index = static_cast<int>(shape.size()) - 1;
        std::vector<ItemHandle> children;
        for (ItemHandle child = tree.FirstChild(item); child; child = tree.NextSibling(child)) children.push_back(child);
        for (auto child = children.rbegin(); child != children.rend(); ++child) pending.push_back({*child, index});
    }
    return shape;
}

// Inserts the same items, with the same parents and texts, into a bare tree-view control that
// is shown like the editor's: the control's own cost for this tree.
double InsertIntoBareTree(const std::vector<ShapeItem>& shape) {
    HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_POPUP | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                0, 0, 300, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    std::vector<HTREEITEM> handles(shape.size());
    const auto start = Clock::now();
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < shape.size(); ++i) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = shape[i].parent < 0 ? TVI_ROOT : handles[static_cast<std::size_t>(shape[i].parent)];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(shape[i].text.c_str());
        handles[i] = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handles.empty() ? nullptr : handles[0]));
    UpdateWindow(tree);
    const double elapsed = Milliseconds(Clock::now() - start);
    DestroyWindow(tree);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: editor_bench FILE\n");
        return 2;
    }
    InitCommonControls();
    LoadLibraryA("RICHED32.DLL");
    RegisterEditorClasses(GetModuleHandleA(nullptr));

    char full[MAX_PATH * 4] = {};
    char* name = nullptr;
    GetFullPathNameA(argv[1], sizeof full, full, &name);
    if (!name) return 1;
    OpenOnly prompts(*DecodeOpenSelection(std::string(full) + '\0', static_cast<std::size_t>(name - full)));
    MemoryRegistry registry;
    Win32FileStore files;
    Editor editor(GetModuleHandleA(nullptr), registry, files, prompts);
    if (!CreateEditorWindow(editor)) return 1;

    // Opening as the user sees it: the values beside the names of the first file's items drawn.
    editor.settings.showValues = 1;
    const auto openStart = Clock::now();
    RunCommand(editor, CMD_OPEN);
    SendMessageA(editor.tree, TVM_EXPAND, TVE_EXPAND, static_cast<LPARAM>(editor.items->FirstFileItem()));
    UpdateWindow(editor.tree);
    const double open = Milliseconds(Clock::now() - openStart);
    const std::vector<ShapeItem> shape = ShapeOf(*editor.items);
    const std::size_t items = shape.size();
    const double bare = InsertIntoBareTree(shape);

    // A user selects an item they can see: its file item is expanded before the timing.
    ItemHandle middle = editor.items->FirstChild(editor.items->FirstFileItem());
    for (std::size_t i = 0; i < items / 2 && editor.items->NextSibling(middle); ++i) middle = editor.items->NextSibling(middle);
    const auto selectStart = Clock::now();
    editor.items->SelectItem(middle);
    const double select = Milliseconds(Clock::now() - selectStart);

    // Find Next for a text that no item's name, value or comment holds: every item is looked at.
    const char kNowhere[] = "text-that-no-item-holds";
    std::memcpy(editor.find.text, kNowhere, sizeof kNowhere);
    const auto findStart = Clock::now();
    FindAgain(editor, FindDirection::Forward);
    const double find = Milliseconds(Clock::now() - findStart);

    // Delete of the file item with every item below it, as the command does it, and its Undo.
    editor.items->SelectItem(editor.items->FirstFileItem());
    const auto deleteStart = Clock::now();
    RunCommand(editor, CMD_DELETE_ITEM);
    UpdateWindow(editor.tree);
    const double deleted = Milliseconds(Clock::now() - deleteStart);
    const bool gone = editor.items->FirstFileItem() == kNoItem;
    const auto undoStart = Clock::now();
    RunCommand(editor, CMD_UNDO);
    UpdateWindow(editor.tree);
    const double undone = Milliseconds(Clock::now() - undoStart);
    const std::size_t back = ShapeOf(*editor.items).size();

    std::printf("items: %zu\n", items);
    std::printf("editor_open_ms: %.1f\n", open);
    std::printf("bare_insert_ms: %.1f\n", bare);
    std::printf("open_vs_bare_insert: %.2f\n", open / bare);
    std::printf("select_ms: %.2f\n", select);
    std::printf("select_vs_open: %.4f\n", select / open);
    std::printf("find_ms: %.1f\n", find);
    std::printf("find_vs_open: %.3f\n", find / open);
    std::printf("delete_ms: %.1f\n", deleted);
    std::printf("undo_ms: %.1f\n", undone);
    std::printf("undo_vs_delete: %.2f\n", undone / deleted);
    std::printf("items_back_after_undo: %zu of %zu (deleted: %s)\n", back, items, gone ? "all" : "not all");
    DestroyWindow(editor.window);
    return 0;
}
