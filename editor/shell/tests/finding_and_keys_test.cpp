// Finding and the keyboard through the real window: keys go in as the user's keyboard sends
// them (SendInput) and through the program's own message loop step, on Debian-style files.
// Also the values beside the names, toolbar tooltips, the window's place and New Item.

#include "keyboard_fixture.h"

#include <atomic>
#include <cstring>
#include <optional>
#include <thread>

namespace tarnwick::testing {
namespace {


// The whole way a user takes by keys: Ctrl+F, the text, Enter; F3; Escape; Enter, a new value,
// Enter; the context-menu key; Shift+F3.
TEST_F(FindingAndKeys, FindSelectEditAndMenuByKeysOnly) {
    OpenDebianFiles();
    const ItemHandle third = editor.items->NextSibling(editor.items->NextSibling(editor.items->FirstFileItem()));
    ASSERT_EQ(std::string(editor.items->GetItem(third).text), "000-default.conf");
    const ItemHandle firstHost = editor.items->FirstChild(third);
    ASSERT_FALSE(Expanded(third));
    ASSERT_EQ(GetFocus(), editor.tree);

    Press('F', {VK_CONTROL}, 400);
    ASSERT_NE(editor.find.dialog, nullptr) << "Ctrl+F opened no Find dialog";
    EXPECT_TRUE(IsWindowVisible(editor.find.dialog));
    char caption[64] = {};
    GetWindowTextA(editor.find.dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Find");
    // Match whole word is not offered (1040 is the dialog's own check box for it).
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(editor.find.dialog, 1040)));
    Type("customlog");
    Press(VK_RETURN, {}, 300);
    EXPECT_EQ(SelectedLabel(), "CustomLog ${APACHE_LOG_DIR}/access.log combined");
    EXPECT_TRUE(Expanded(third));
    EXPECT_TRUE(Expanded(firstHost));
    EXPECT_TRUE(IsVisibleRow(editor.items->SelectedItem())) << "the item found is not in view";

    Press(VK_ESCAPE, {}, 400);  // closes the Find box; the focus is back in the tree
    EXPECT_EQ(editor.find.dialog, nullptr);
    EXPECT_EQ(GetFocus(), editor.tree);

    Press(VK_F3, {}, 300);
    EXPECT_EQ(SelectedLabel(), "CustomLog ${APACHE_LOG_DIR}/other.log combined");
    Press(VK_F3, {}, 300);  // round the end to the first again
    EXPECT_EQ(SelectedLabel(), "CustomLog ${APACHE_LOG_DIR}/access.log combined");
    Press(VK_F3, {VK_SHIFT}, 300);  // backward, round the start
    EXPECT_EQ(SelectedLabel(), "CustomLog ${APACHE_LOG_DIR}/other.log combined");
    const ItemHandle edited = editor.items->SelectedItem();

    Press(VK_RETURN, {}, 200);
    HWND field = GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE);
    ASSERT_EQ(GetFocus(), field) << "Enter in the tree did not go to the value field";
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthA(field)));
    Type("/var/log/other.log common");
    Press(VK_RETURN, {}, 200);
    EXPECT_EQ(Value(edited), "/var/log/other.log common");
    EXPECT_EQ(GetFocus(), editor.tree);

    // The context-menu key and Shift+F10: the menu opens at the selected item.
    RECT item = ItemRect(edited);
    MapWindowPoints(editor.tree, nullptr, reinterpret_cast<POINT*>(&item), 2);
    for (const auto& [key, shift] : {std::pair<WORD, bool>{VK_APPS, false}, std::pair<WORD, bool>{VK_F10, true}}) {
        const std::optional<RECT> menu = shift ? MenuOpenedBy(key, {VK_SHIFT}) : MenuOpenedBy(key, {});
        ASSERT_TRUE(menu.has_value()) << "key " << key << " opened no menu";
        EXPECT_LE(std::abs(menu->left - item.left), 8) << menu->left << " vs " << item.left;
        EXPECT_LE(std::abs(menu->top - item.bottom), 8) << menu->top << " vs " << item.bottom;
    }
    EXPECT_EQ(editor.items->SelectedItem(), edited);
}

TEST_F(FindingAndKeys, NothingFoundIsSaidAndF3WithoutATextAsksForOne) {
    OpenDebianFiles();
    Press(VK_F3, {}, 400);
    ASSERT_NE(editor.find.dialog, nullptr) << "F3 before any search should open the Find box";
    Type("NoSuchThing");
    Press(VK_RETURN, {}, 300);
    EXPECT_EQ(prompts.notFoundReports, (std::vector<std::string>{"Cannot find \"NoSuchThing\"."}));
    EXPECT_EQ(editor.items->SelectedItem(), kNoItem);
    Press(VK_ESCAPE, {}, 300);
    EXPECT_EQ(editor.find.dialog, nullptr);
}

// Tab goes round the tree, the tab strip, the pane's controls and the description; Shift+Tab
// back. F2 goes to the value; in an On/Off pane to the checked button.
TEST_F(FindingAndKeys, TabGoesRoundAndF2GoesToTheValue) {
    OpenBoth();
    Select(Find("Port"));
    SetFocus(editor.tree);
    HWND pane = editor.panes->OptionsPane();
    const std::vector<HWND> round = {editor.panes->Tabs(), GetDlgItem(pane, IDC_PANE_VALUE), GetDlgItem(pane, IDOK),
                                     editor.description, editor.tree};
    for (HWND expected : round) {
        Press(VK_TAB, {}, 60);
        EXPECT_EQ(GetFocus(), expected) << ClassOf(GetFocus());
    }
    for (auto back = round.rbegin() + 1; back != round.rend(); ++back) {
        Press(VK_TAB, {VK_SHIFT}, 60);
        EXPECT_EQ(GetFocus(), *back) << ClassOf(GetFocus());
    }
    Press(VK_TAB, {VK_SHIFT}, 60);
    EXPECT_EQ(GetFocus(), editor.tree);

    ChooseTab(kDefaultTab);
    Select(Find("KeepAlive"));  // ON: the On/Off pane with On checked
    SetFocus(editor.tree);
    Press(VK_F2, {}, 150);
    EXPECT_EQ(editor.panes->CurrentTab(), kOptionsTab);
    EXPECT_EQ(GetFocus(), GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_FIRST_CHOICE));
    Press(VK_DOWN, {}, 100);  // the radio group: Off
    Press(VK_RETURN, {}, 150);
    EXPECT_EQ(Value(Find("KeepAlive")), "Off");
    EXPECT_EQ(GetFocus(), editor.tree);
}

// After a dialog and after Open, and when the window is activated again, the focus is where it
// was.
TEST_F(FindingAndKeys, FocusComesBackAfterDialogsAndActivation) {
    OpenBoth();
    Pump(50);
    EXPECT_EQ(GetFocus(), editor.tree) << "after Open";
    Select(Find("Port"));
    HWND field = GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE);
    SetFocus(field);
    Pump(50);
    DialogScript script({{"Options...", [](HWND dialog) { Click(dialog, IDCANCEL); }}});
    Command(CMD_OPTIONS);
    Pump(100);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(GetFocus(), field) << ClassOf(GetFocus());

    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    Pump(50);
    SetActiveWindow(editor.window);
    Pump(50);
    EXPECT_EQ(GetFocus(), field) << ClassOf(GetFocus());
    DestroyWindow(other);
}

// The value is drawn in grey right of the name, and the whole value is the info tip; the
// option turns both off.
TEST_F(FindingAndKeys, ValuesAreDrawnBesideTheNamesUnlessTurnedOff) {
    OpenBoth();
    const ItemHandle port = Find("Port");
    Select(port);
    Select(editor.items->FirstFileItem());  // the row of Port unselected, its name black
    const auto greyRightOfName = [&] {
        RedrawWindow(editor.tree, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const RECT text = ItemRect(port);
        RECT client{};
        GetClientRect(editor.tree, &client);
        HDC dc = GetDC(editor.tree);
        int grey = 0;
        for (int x = text.right; x < client.right && x < text.right + 60; ++x)
            for (int y = text.top; y < text.bottom; ++y) grey += GetPixel(dc, x, y) == GetSysColor(COLOR_GRAYTEXT);
        ReleaseDC(editor.tree, dc);
        return grey;
    };
    EXPECT_GT(greyRightOfName(), 0);

    char tip[64] = "unchanged";
    NMTVGETINFOTIPA info{};
    info.hdr = {editor.tree, IDC_CONFIG_TREE, static_cast<UINT>(TVN_GETINFOTIPA)};
    info.hItem = reinterpret_cast<HTREEITEM>(port);
    info.pszText = tip;
    info.cchTextMax = sizeof tip;
    SendMessageA(editor.window, WM_NOTIFY, IDC_CONFIG_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(tip, "80");
    // A value longer than the tip's buffer ends before the character that would not fit whole.
    std::string accents;
    for (int i = 0; i < 40; ++i) accents += "\xC3\xAB";
    editor.items->SetItemValue(port, accents);
    SendMessageA(editor.window, WM_NOTIFY, IDC_CONFIG_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::string(tip), accents.substr(0, 62));
    editor.items->SetItemValue(port, "80");

    DialogScript script({{"Options...", [](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_OPT_SHOW_VALUES, BM_SETCHECK, BST_UNCHECKED, 0);
        Click(dialog, IDOK);
    }}});
    Command(CMD_OPTIONS);
    EXPECT_EQ(editor.settings.showValues, 0u);
    EXPECT_EQ(greyRightOfName(), 0);
    SendMessageA(editor.window, WM_NOTIFY, IDC_CONFIG_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(tip, "");
}

TEST_F(FindingAndKeys, EveryToolbarButtonHasItsLabelAsTooltip) {
    const std::pair<int, const char*> buttons[] = {
        {CMD_NEW_FILE, "New"},     {CMD_OPEN, "Open"},         {CMD_SAVE, "Save"},
        {CMD_CRLF, "CR/LF"},       {CMD_QUICK_CONFIG, "Quick"}, {CMD_NEW_ITEM, "New Item"},
        {CMD_DELETE_ITEM, "Del Item"}, {CMD_EXIT, "Exit"}};
    HWND tips = reinterpret_cast<HWND>(SendMessageA(editor.toolbar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr) << "the toolbar has no tooltips";
    for (const auto& [command, label] : buttons) {
        NMTTDISPINFOA info{};
        info.hdr = {tips, static_cast<UINT_PTR>(command), static_cast<UINT>(TTN_GETDISPINFOA)};
        SendMessageA(editor.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(info.lpszText ? info.lpszText : "", label) << command;
    }
}

// With Save Window Position on, the place and size come back; the divider stays in a window
// made narrower than it, and comes back when it is widened.
TEST_F(FindingAndKeys, WindowPlaceIsStoredAndTheDividerStaysInside) {
    editor.settings.saveWindowPos = 1;
    editor.settings.windowDivider = 250;
    MoveWindow(editor.window, 40, 30, 720, 480, TRUE);
    EXPECT_EQ(editor.settings.windowLeft, 40);
    EXPECT_EQ(editor.settings.windowTop, 30);
    EXPECT_EQ(editor.settings.windowHeight, 480);
    EXPECT_EQ(editor.settings.windowRightWidth, 470);
    SaveSettings(registry, editor.settings, "C:\\conf\\");

    MoveWindow(editor.window, 40, 30, 200, 480, TRUE);
    RECT client{}, tree{};
    GetClientRect(editor.window, &client);
    GetWindowRect(editor.tree, &tree);
    MapWindowPoints(nullptr, editor.window, reinterpret_cast<POINT*>(&tree), 2);
    EXPECT_LT(tree.right, client.right - kMinimumColumnWidth);
    EXPECT_EQ(editor.settings.windowDivider, 250);
    MoveWindow(editor.window, 40, 30, 720, 480, TRUE);
    GetWindowRect(editor.tree, &tree);
    MapWindowPoints(nullptr, editor.window, reinterpret_cast<POINT*>(&tree), 2);
    EXPECT_EQ(tree.right - tree.left, 250 - 4);

    Editor next{GetModuleHandleA(nullptr), registry, files, prompts};
    ASSERT_NE(CreateEditorWindow(next), nullptr);
    RECT place{};
    GetWindowRect(next.window, &place);
    EXPECT_EQ(place.left, 40);
    EXPECT_EQ(place.top, 30);
    EXPECT_EQ(place.right - place.left, 720);
    EXPECT_EQ(place.bottom - place.top, 480);
    // Destroyed with the other window's paint handled: draining the queue undispatched
    // would meet the first window's WM_PAINT again and again.
    DestroyWindow(next.window);
    Pump(50);
}

// New Item selects and shows what it added; beside a plain directive it adds after it.
TEST_F(FindingAndKeys, NewItemIsSelectedAndFollowsAPlainDirective) {
    OpenBoth();
    const ItemHandle options = Find("Options");  // no template: a plain directive inside <Directory />
    Select(options);
    DialogScript script({{"Add New Configuration Item", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_NAME_COMBO, "AllowOverride");
        Click(dialog, IDOK);
    }}});
    Command(CMD_NEW_ITEM);
    EXPECT_TRUE(script.Finished());
    const ItemHandle added = editor.items->SelectedItem();
    EXPECT_EQ(std::string(editor.items->GetItem(added).text), "AllowOverride");
    EXPECT_EQ(editor.items->Parent(added), editor.items->Parent(options));
    EXPECT_EQ(editor.items->NextSibling(options), added);
    EXPECT_EQ(editor.document->currentItem, added);
    EXPECT_TRUE(IsVisibleRow(added));
}

}  // namespace
}  // namespace tarnwick::testing
