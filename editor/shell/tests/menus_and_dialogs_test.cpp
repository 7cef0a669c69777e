// What the user reaches the commands through, and the standard dialogs: every accelerator key,
// menu entry and toolbar button sends its command; the real Open and Save As dialogs start in
// the configuration directory with the editor's filter; the Options and About boxes close
// only as their buttons say.

#include "main_window_fixture.h"

#include <commdlg.h>

#include <filesystem>
#include <fstream>
#include <ostream>

namespace tarnwick::testing {
namespace {

// The commands the main window receives while a test records them; they are not carried out.
std::vector<int> gCommands;
WNDPROC gMainProcedure = nullptr;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        gCommands.push_back(LOWORD(wParam));
        return 0;
    }
    return CallWindowProcA(gMainProcedure, window, message, wParam, lParam);
}

class MenusAndDialogs : public MainWindow {
protected:
    void RecordCommands() {
        gCommands.clear();
        gMainProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(editor.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProcedure)));
    }
    void StopRecording() { SetWindowLongPtrA(editor.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gMainProcedure)); }

    // The command a key sends through the accelerator table, pressed in the tree.
    int AcceleratorCommand(HACCEL table, WORD key, bool control, bool shift = false, bool alt = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(keys);
        gCommands.clear();
        MSG message{};
        message.hwnd = editor.tree;
        // A key with Alt held comes as a system key, with the context bit set.
        message.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        message.wParam = key;
        message.lParam = alt ? 1 | (1 << 29) : 1;
        TranslateAcceleratorA(editor.window, table, &message);
        keys[VK_CONTROL] = 0;
        keys[VK_SHIFT] = 0;
        keys[VK_MENU] = 0;
        SetKeyboardState(keys);
        return gCommands.size() == 1 ? gCommands[0] : -static_cast<int>(gCommands.size());
    }

    // The command a click on the toolbar's button `index` sends.
    int ToolbarCommand(int index) {
        RECT rect{};
        SendMessageA(editor.toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        const LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        gCommands.clear();
        SendMessageA(editor.toolbar, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        SendMessageA(editor.toolbar, WM_LBUTTONUP, 0, centre);
        return gCommands.size() == 1 ? gCommands[0] : -static_cast<int>(gCommands.size());
    }
};

struct MenuEntry {
    std::string text;  // empty for a separator
    int command = 0;
    bool operator==(const MenuEntry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MenuEntry& entry) {
    return out << (entry.text.empty() ? "separator" : entry.text) << " -> " << entry.command;
}

// Every entry of a menu, in order: its text and the command it sends.
std::vector<MenuEntry> EntriesOf(HMENU menu) {
    std::vector<MenuEntry> entries;
    for (int index = 0; index < GetMenuItemCount(menu); ++index) {
        char text[128] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof text;
        GetMenuItemInfoA(menu, index, TRUE, &item);
        if (item.fType & MFT_SEPARATOR) entries.push_back({});
        else entries.push_back({text, static_cast<int>(item.wID)});
    }
    return entries;
}

TEST_F(MenusAndDialogs, EveryKeyMenuEntryAndButtonSendsItsCommand) {
    RecordCommands();
    const HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
    struct Key {
        WORD key;
        bool control;
        int command;
        bool shift = false;
        bool alt = false;
    };
    const Key keys[] = {{'A', true, CMD_SAVE_AS},      {'I', true, CMD_OPEN_INCLUDED}, {'N', true, CMD_NEW_FILE},
                        {'O', true, CMD_OPEN},         {'Q', true, CMD_QUICK_CONFIG},  {'S', true, CMD_SAVE},
                        {'T', true, CMD_CHECK_APACHE}, {VK_F1, false, CMD_HELP_CONTENTS}, {'F', true, CMD_FIND},      {VK_F3, false, CMD_FIND_NEXT},
                        {VK_F3, false, CMD_FIND_PREVIOUS, true}, {'C', true, CMD_COPY},  {'X', true, CMD_CUT},
                        {'V', true, CMD_PASTE},        {'Z', true, CMD_UNDO},          {'Y', true, CMD_REDO},
                        {VK_UP, false, CMD_MOVE_UP, false, true}, {VK_DOWN, false, CMD_MOVE_DOWN, false, true}};
    // A grayed entry's key sends nothing: Ctrl+Z and Ctrl+Y only once there is something to
    // undo and to redo (the keys are recorded here, not carried out).
    EXPECT_EQ(AcceleratorCommand(table, 'Z', true), 0);
    EXPECT_EQ(AcceleratorCommand(table, 'Y', true), 0);
    for (const char* name : {"one.conf", "two.conf"}) {
        editor.history->InsertItem(kNoItem, InsertPosition::Last(), FileItemView(name));
        editor.history->EndStep();
    }
    editor.history->Undo();
    for (const Key& key : keys)
        EXPECT_EQ(AcceleratorCommand(table, key.key, key.control, key.shift, key.alt), key.command) << key.key;
    // Nothing else is an accelerator: the same letters without Ctrl, Insert and Delete, and the
    // arrows without Alt, which move in the tree.
    for (WORD key : {WORD('A'), WORD('I'), WORD('S'), WORD('T'), WORD('C'), WORD('V'), WORD('Z'), WORD(VK_INSERT),
                     WORD(VK_DELETE), WORD(VK_UP), WORD(VK_DOWN)})
        EXPECT_EQ(AcceleratorCommand(table, key, false), 0) << key;
    EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), static_cast<int>(std::size(keys)));

    const int buttons[] = {CMD_NEW_FILE, CMD_OPEN, CMD_SAVE, 0, CMD_CRLF, CMD_QUICK_CONFIG, 0,
                           CMD_NEW_ITEM, CMD_DELETE_ITEM, 0, CMD_EXIT};
    for (int index = 0; index < static_cast<int>(std::size(buttons)); ++index) {
        if (buttons[index]) {
            EXPECT_EQ(ToolbarCommand(index), buttons[index]) << "button " << index;
        }
    }

    const HMENU menu = GetMenu(editor.window);
    const MenuEntry separator;
    EXPECT_EQ(EntriesOf(GetSubMenu(menu, 0)),
              (std::vector<MenuEntry>{{"&New\tCtrl+N", CMD_NEW_FILE}, {"&Open\tCtrl+O", CMD_OPEN},
                                      {"&Save\tCtrl+S", CMD_SAVE_MENU}, {"Save &As\tCtrl+A", CMD_SAVE_AS}, separator,
                                      {"&Quick Config\tCtrl+Q", CMD_QUICK_CONFIG},
                                      {"Open &Included Files\tCtrl+I", CMD_OPEN_INCLUDED},
                                      {"Check with &Apache\tCtrl+T", CMD_CHECK_APACHE}, {"Save with CR/LF", CMD_CRLF},
                                      separator, {"&Print", CMD_PRINT}, separator, {"E&xit", CMD_EXIT}}));
    EXPECT_EQ(EntriesOf(GetSubMenu(menu, 1)),
              (std::vector<MenuEntry>{{"&Undo\tCtrl+Z", CMD_UNDO}, {"&Redo\tCtrl+Y", CMD_REDO}, separator,
                                      {"Cu&t\tCtrl+X", CMD_CUT}, {"&Copy\tCtrl+C", CMD_COPY}, {"&Paste\tCtrl+V", CMD_PASTE},
                                      separator, {"&New\tIns", CMD_NEW_ITEM}, {"&Delete\tDel", CMD_DELETE_ITEM},
                                      {"Move &Up\tAlt+Up", CMD_MOVE_UP}, {"Move &Down\tAlt+Down", CMD_MOVE_DOWN}, separator,
                                      {"&Find...\tCtrl+F", CMD_FIND}, {"Find &Next\tF3", CMD_FIND_NEXT}, separator,
                                      {"&Options", CMD_OPTIONS}}));
    EXPECT_EQ(EntriesOf(GetSubMenu(menu, 2)),
              (std::vector<MenuEntry>{{"&Contents\tF1", CMD_HELP_CONTENTS}, {"&About", CMD_ABOUT}}));
    EXPECT_EQ(EntriesOf(editor.itemMenu),
              (std::vector<MenuEntry>{{"&New", CMD_NEW_ITEM}, separator, {"&Delete", CMD_DELETE_ITEM}}));
    StopRecording();
    DestroyAcceleratorTable(table);
}

class StandardDialogs : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        directory = std::string(temp) + "tarnwick-dialogs-" + std::to_string(GetCurrentProcessId()) + "\\";
        std::filesystem::create_directories(directory);
        for (const char* name : {"httpd.conf", "srm.conf", "notes.txt"}) std::ofstream(directory + name) << "Port 80\n";
        prompts_ = MakeWindowsPrompts();
    }
    void TearDown() override {
        MainWindow::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    // The file dialog's own controls: the file name field and the file type list.
    static constexpr int kFileName = 0x47c;  // cmb13
    static constexpr int kFileTypes = 0x470; // cmb1

    std::string directory;
    std::unique_ptr<EditorPrompts> prompts_;
};

std::vector<std::string> ListTexts(HWND combo) {
    std::vector<std::string> texts;
    for (int i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
        char text[128] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

TEST_F(StandardDialogs, OpenStartsInTheConfigurationDirectoryAndTakesSeveralFiles) {
    std::vector<std::string> types;
    DialogScript script({{"Open", [&types](HWND dialog) {
                              types = ListTexts(GetDlgItem(dialog, kFileTypes));
                              // Names alone: the dialog takes them from the folder it shows.
                              SetDlgItemTextA(dialog, kFileName, "\"httpd.conf\" \"srm.conf\"");
                              Click(dialog, IDOK);
                          }}});
    const auto chosen = prompts_->ChooseFilesToOpen(editor.window, directory);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(types, (std::vector<std::string>{"Apache Config Files", "All Files"}));
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(SamePath(chosen->directory, directory)) << chosen->directory;
    EXPECT_EQ(chosen->names, (std::vector<std::string>{"httpd.conf", "srm.conf"}));

    DialogScript cancel({{"Open", [](HWND dialog) { Click(dialog, IDCANCEL); }}});
    EXPECT_FALSE(prompts_->ChooseFilesToOpen(editor.window, directory).has_value());
}

TEST_F(StandardDialogs, SaveAsStartsInTheConfigurationDirectory) {
    std::vector<std::string> types;
    DialogScript script({{"Save As", [&types](HWND dialog) {
                              types = ListTexts(GetDlgItem(dialog, kFileTypes));
                              SetDlgItemTextA(dialog, kFileName, "whatever.conf");
                              Click(dialog, IDOK);
                          }}});
    const auto chosen = prompts_->ChooseSaveAsPath(editor.window, directory);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(types, (std::vector<std::string>{"Apache Config Files", "All Files"}));
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(SamePath(*chosen, directory + "whatever.conf")) << *chosen;
}

TEST_F(MenusAndDialogs, OptionsSaveStoresAndStaysOpenCancelChangesNothing) {
    editor.settings.confirmDelete = 1;
    editor.settings.saveWindowPos = 0;
    Editor* shown = &editor;
    MemoryRegistry* stored = &registry;
    DialogScript script({
        {"Options...", [](HWND dialog) {
             CheckDlgButton(dialog, IDC_OPT_CONFIRM_DELETE, BST_UNCHECKED);
             CheckDlgButton(dialog, IDC_OPT_SAVE_POSITION, BST_CHECKED);
             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_OPT_APACHE_PROGRAM)), "");
             SetDlgItemTextA(dialog, IDC_OPT_APACHE_PROGRAM, "C:\\Apache24\\bin\\httpd.exe");
             EXPECT_NE(GetDlgItem(dialog, IDC_OPT_APACHE_BROWSE), nullptr);
             Click(dialog, IDC_OPT_SAVE);
         }},
        {"Options...", [shown, stored](HWND dialog) {  // still open: "&Save" applied and stored
             EXPECT_EQ(shown->settings.confirmDelete, 0u);
             EXPECT_EQ(shown->settings.saveWindowPos, 1u);
             EXPECT_EQ(LoadSettings(*stored, [](std::string_view text) { return std::string(text); }).confirmDelete, 0u);
             EXPECT_EQ(LoadSettings(*stored, [](std::string_view text) { return std::string(text); }).apacheProgram,
                       "C:\\Apache24\\bin\\httpd.exe");
             SetDlgItemTextA(dialog, IDC_OPT_APACHE_PROGRAM, "C:\\Other\\httpd.exe");
             EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_OPT_KEEP_LAYOUT), BST_CHECKED);  // on by default
             EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_OPT_SHOW_VALUES), BST_CHECKED);  // on by default
             CheckDlgButton(dialog, IDC_OPT_CONFIRM_DELETE, BST_CHECKED);
             CheckDlgButton(dialog, IDC_OPT_TOOLBAR_TEXT, BST_CHECKED);
             Click(dialog, IDCANCEL);
         }},
    });
    const int toolbarHeight = editor.toolbarHeight;
    EXPECT_FALSE(ShowOptionsDialog(editor));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(editor.settings.confirmDelete, 0u);
    EXPECT_EQ(editor.settings.toolBarDesc, 0u);
    EXPECT_EQ(editor.settings.apacheProgram, "C:\\Apache24\\bin\\httpd.exe");  // Cancel kept the saved one
    EXPECT_EQ(editor.toolbarHeight, toolbarHeight);
}

TEST_F(MenusAndDialogs, AboutClosesOnlyOnOk) {
    DialogScript script({
        {"About...", [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},  // Escape
        {"About...", [](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); }},                               // close box
        {"About...", [](HWND dialog) { Click(dialog, IDOK); }},
    });
    ShowAboutDialog(editor);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(FindWindowA(nullptr, "About..."), nullptr);
}

}  // namespace
}  // namespace tarnwick::testing
