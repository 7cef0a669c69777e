// Editing as users know it, through the real window and keys as the keyboard sends them:
// Undo and Redo, Cut, Copy and Paste through the clipboard, Move Up and Down, the edit keys
// of a text field, and the menu entries grayed while they can do nothing.

#include "keyboard_fixture.h"

#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

class Editing : public FindingAndKeys {
protected:
    bool Grayed(int command) {
        return (GetMenuState(GetMenu(editor.window), command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) != 0;
    }
    std::vector<std::string> Children(ItemHandle parent) {
        std::vector<std::string> labels;
        for (ItemHandle item = editor.items->FirstChild(parent); item; item = editor.items->NextSibling(item))
            labels.push_back(Label(item));
        return labels;
    }
    ItemHandle FileItem(const char* name) {
        for (ItemHandle file = editor.items->FirstFileItem(); file; file = editor.items->NextSibling(file))
            if (editor.items->GetItem(file).text == name) return file;
        return kNoItem;
    }
    // What the clipboard holds as Unicode text, narrowed to ASCII (the tests' texts are).
    static std::string UnicodeClipboard() {
        std::string text;
        if (!OpenClipboard(nullptr)) return "<not opened>";
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
                for (const wchar_t* c = wide; *c; ++c) text += static_cast<char>(*c);
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        return text;
    }
    // One key pressed where the focus is, with its modifiers held, through the program's own
    // message loop step: posted with the thread's key state set, so that no other window on
    // the display can take it.
    void Press(WORD key, std::initializer_list<WORD> held = {}) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        bool alt = false;
        for (WORD modifier : held) {
            keys[modifier] = 0x80;
            alt = alt || modifier == VK_MENU;
        }
        SetKeyboardState(keys);
        HWND target = GetFocus();
        const LPARAM context = alt ? LPARAM(1) << 29 : 0;
        PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | context);
        Pump(60);
        PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, 1 | context | (LPARAM(3) << 30));
        Pump(20);
        for (WORD modifier : held) keys[modifier] = 0;
        SetKeyboardState(keys);
    }
    void SelectInTree(ItemHandle item) {
        SelectAndShow(editor, item);
        SetFocus(editor.tree);
        Pump(50);
    }
};

TEST_F(Editing, CtrlZAfterDeleteBringsTheItemBackWhereItWasAndCtrlYDeletesItAgain) {
    OpenDebianFiles();
    // Opening is no step.
    EXPECT_TRUE(Grayed(CMD_UNDO));
    EXPECT_TRUE(Grayed(CMD_REDO));
    const ItemHandle file = FileItem("apache2.conf");
    const std::vector<std::string> before = Children(file);
    const ItemHandle second = FindItemByName(*editor.items, editor.items->NextSibling(Find("Directory")), "Directory");
    ASSERT_EQ(Label(second), "Directory /var/www/");

    SelectInTree(second);
    Press(VK_DELETE);
    EXPECT_EQ(prompts.deleteQuestions, 1);
    EXPECT_EQ(Children(file).size(), before.size() - 1);
    EXPECT_FALSE(Grayed(CMD_UNDO));
    EXPECT_TRUE(Grayed(CMD_REDO));
    EXPECT_TRUE(HasUnsavedChanges(*editor.document));

    Press('Z', {VK_CONTROL});
    EXPECT_EQ(Children(file), before);
    const ItemHandle back = editor.items->SelectedItem();
    EXPECT_EQ(Label(back), "Directory /var/www/");
    EXPECT_EQ(Children(back), std::vector<std::string>{"Options Indexes FollowSymLinks"});
    EXPECT_EQ(editor.document->currentItem, back);
    EXPECT_TRUE(IsVisibleRow(back));
    EXPECT_TRUE(Grayed(CMD_UNDO));
    EXPECT_FALSE(Grayed(CMD_REDO));
    // Back to what was read: closing has nothing to ask.
    EXPECT_FALSE(HasUnsavedChanges(*editor.document));

    Press('Y', {VK_CONTROL});
    EXPECT_EQ(Children(file).size(), before.size() - 1);
    EXPECT_EQ(prompts.deleteQuestions, 1);
    EXPECT_FALSE(Grayed(CMD_UNDO));
    EXPECT_TRUE(Grayed(CMD_REDO));
}

TEST_F(Editing, ACopiedVirtualHostPastedIntoAnotherFileIsSavedWithItsCommentsAndIndentation) {
    OpenDebianFiles();
    const ItemHandle host = editor.items->FirstChild(FileItem("000-default.conf"));
    SelectInTree(host);
    Press('C', {VK_CONTROL});
    const std::string block =
        "<VirtualHost *:80>\r\n\tServerAdmin webmaster@localhost\r\n\tDocumentRoot /var/www/html\r\n"
        "\tErrorLog ${APACHE_LOG_DIR}/error.log\r\n\t# the access log of the default site\r\n"
        "\tCustomLog ${APACHE_LOG_DIR}/access.log combined\r\n</VirtualHost>\r\n";
    EXPECT_EQ(UnicodeClipboard(), block);
    EXPECT_TRUE(Grayed(CMD_UNDO));  // copying changes nothing

    SelectInTree(FileItem("ports.conf"));
    Press('V', {VK_CONTROL});
    const ItemHandle pasted = editor.items->SelectedItem();
    EXPECT_EQ(Label(pasted), "VirtualHost *:80");
    EXPECT_EQ(editor.items->Parent(pasted), FileItem("ports.conf"));
    EXPECT_FALSE(Grayed(CMD_UNDO));
    Command(CMD_CRLF);  // LF, as the files were written
    Command(CMD_SAVE);
    EXPECT_TRUE(prompts.unsaved.empty());
    std::string lf;
    for (char c : block)
        if (c != '\r') lf += c;
    EXPECT_EQ(files.ReadFileBytes("C:\\etc\\apache2\\ports.conf").value_or("<missing>"), kPorts + lf);
    // The other files were not changed, so not written.
    EXPECT_EQ(files.ReadFileBytes("C:\\etc\\apache2\\000-default.conf").value_or("<missing>"), kDefaultSite);

    // Cut asks nothing, and Undo brings the item back.
    const ItemHandle other = editor.items->NextSibling(host);
    SelectInTree(other);
    Press('X', {VK_CONTROL});
    EXPECT_EQ(prompts.deleteQuestions, 0);
    EXPECT_EQ(Children(FileItem("000-default.conf")).size(), 1u);
    EXPECT_EQ(UnicodeClipboard().substr(0, 27), "<VirtualHost *:8080>\r\n\tServ");
    Press('Z', {VK_CONTROL});
    EXPECT_EQ(Children(FileItem("000-default.conf")).size(), 2u);

    // Text with no configuration line in it is said so.
    ASSERT_TRUE(PutTextOnClipboard(editor.window, "# only a comment\r\n"));
    Press('V', {VK_CONTROL});
    EXPECT_EQ(prompts.pasteReports, std::vector<std::string>{"The clipboard holds no configuration lines."});
}

TEST_F(Editing, EditKeysInAValueFieldActOnTheField) {
    OpenDebianFiles();
    SelectInTree(Find("Timeout"));
    Press(VK_RETURN);  // to the value field
    HWND field = GetFocus();
    ASSERT_EQ(ClassOf(field), "Edit");
    SendMessageA(field, EM_SETSEL, 0, 0);
    Press('A', {VK_CONTROL});
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthA(field)));
    EXPECT_GT(end, 0u);
    // Copy takes the field's text, not the item.
    char text[64] = {};
    GetWindowTextA(field, text, sizeof text);
    Press('C', {VK_CONTROL});
    EXPECT_EQ(UnicodeClipboard(), text);
    // Paste replaces the selected text in the field; nothing is inserted in the tree.
    const std::size_t items = Children(FileItem("apache2.conf")).size();
    ASSERT_TRUE(PutTextOnClipboard(editor.window, "Off"));
    SendMessageA(field, EM_SETSEL, 0, -1);
    Press('V', {VK_CONTROL});
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ(text, "Off");
    // Undo in the field takes back its own edit.
    Press('Z', {VK_CONTROL});
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ(text, "300");
    EXPECT_EQ(Children(FileItem("apache2.conf")).size(), items);
    EXPECT_TRUE(prompts.pasteReports.empty());
}

// In a modal dialog the dialog's own loop takes the keys: Ctrl+A still selects the field's text.
TEST_F(Editing, CtrlAInADialogsFieldSelectsItsText) {
    DWORD start = 1, end = 0;
    const auto ctrl = [](bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    };
    DialogScript script({
        {"Quick Configuration...",
         [&](HWND dialog) {
             HWND field = GetDlgItem(dialog, IDC_QC_SERVER_ROOT);
             SetWindowTextA(field, "C:/Apache24");
             SetFocus(field);
             SendMessageA(field, EM_SETSEL, 0, 0);
             ctrl(true);
             PostMessageA(field, WM_KEYDOWN, 'A', 1);
         }},
        {"Quick Configuration...",
         [&](HWND dialog) {
             ctrl(false);
             SendMessageA(GetDlgItem(dialog, IDC_QC_SERVER_ROOT), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                          reinterpret_cast<LPARAM>(&end));
             Click(dialog, IDCANCEL);
         }},
    });
    EXPECT_FALSE(ShowQuickConfigDialog(editor));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 11u);
}

TEST_F(Editing, AltUpAndAltDownMoveAnItemAmongItsSiblings) {
    OpenDebianFiles();
    const ItemHandle file = FileItem("apache2.conf");
    const std::vector<std::string> before = Children(file);
    ASSERT_EQ(before[1], "Timeout 300");
    SelectInTree(Find("Timeout"));
    Press(VK_UP, {VK_MENU});
    EXPECT_EQ(Children(file)[0], "Timeout 300");
    EXPECT_EQ(Children(file)[1], "ServerRoot \"/etc/apache2\"");
    EXPECT_EQ(SelectedLabel(), "Timeout 300");
    const std::size_t steps = editor.history->UndoSteps();
    Press(VK_UP, {VK_MENU});  // the first place already: nothing happens
    EXPECT_EQ(editor.history->UndoSteps(), steps);
    EXPECT_EQ(Children(file)[0], "Timeout 300");
    Press(VK_DOWN, {VK_MENU});
    Press(VK_DOWN, {VK_MENU});
    EXPECT_EQ(Children(file)[2], "Timeout 300");
    EXPECT_EQ(Children(file)[1], "KeepAlive On");
    EXPECT_EQ(SelectedLabel(), "Timeout 300");
    // A file item moves among the file items.
    SelectInTree(FileItem("000-default.conf"));
    Press(VK_UP, {VK_MENU});
    EXPECT_EQ(editor.items->NextSibling(editor.items->FirstFileItem()), FileItem("000-default.conf"));
    for (int i = 0; i < 4; ++i) Press('Z', {VK_CONTROL});
    EXPECT_EQ(Children(file), before);
    EXPECT_EQ(editor.items->FirstFileItem(), file);
    EXPECT_TRUE(Grayed(CMD_UNDO));
    EXPECT_FALSE(HasUnsavedChanges(*editor.document));
}

}  // namespace
}  // namespace tarnwick::testing
