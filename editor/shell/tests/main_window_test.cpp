// The real main window, created in-process under Wine and driven with messages: the common
// dialogs and message boxes answer through test prompts, so the window's own paths run.

#include "main_window_fixture.h"

#include "config_writer.h"
#include "layout.h"

#include <commctrl.h>

#include <deque>
#include <functional>

namespace tarnwick::testing {
namespace {

TEST_F(MainWindow, StartsWithTheSettingsAndAnEmptyTree) {
    RECT window{};
    GetWindowRect(editor.window, &window);
    EXPECT_EQ(window.right - window.left, 603);
    EXPECT_EQ(window.bottom - window.top, 450);
    EXPECT_EQ(editor.document->configDirectory, "C:\\Progs\\Tarnwick\\Conf");
    EXPECT_EQ(editor.items->FirstFileItem(), kNoItem);
    EXPECT_EQ(editor.panes->CurrentTemplate(), kGeneralPane);
    char title[64] = {};
    GetWindowTextA(editor.window, title, sizeof title);
    EXPECT_STREQ(title, "Kel Tarnwick");
}

TEST_F(MainWindow, ToolbarHasItsElevenEntriesAndResourcesLoad) {
    EXPECT_EQ(SendMessageA(editor.toolbar, TB_BUTTONCOUNT, 0, 0), 11);
    TBBUTTON button{};
    SendMessageA(editor.toolbar, TB_GETBUTTON, 4, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.idCommand, CMD_CRLF);
    EXPECT_TRUE(button.fsStyle & TBSTYLE_CHECK);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (int dialog : {IDD_ABOUT, IDD_NEW_ITEM, IDD_OPTIONS, IDD_NEW_FILE, IDD_PANE_GENERAL, IDD_PANE_YES_NO,
                       IDD_PANE_ON_OFF, IDD_PANE_NUMERICAL, IDD_QUICK_CONFIG, IDD_PANE_DIRECTORY, IDD_PANE_DIRECTORY_BS,
                       IDD_PANE_CONTAINER, IDD_PANE_INFORMATION, IDD_SET_TEMPLATE})
        EXPECT_NE(FindResourceA(instance, MAKEINTRESOURCEA(dialog), reinterpret_cast<LPCSTR>(RT_DIALOG)), nullptr) << dialog;
    for (int cursor : {IDC_DRAG_ELSEWHERE, IDC_DRAG_OVER_TREE})
        EXPECT_NE(LoadCursorA(instance, MAKEINTRESOURCEA(cursor)), nullptr) << cursor;
    EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(IDI_TARNWICK)), nullptr);
    EXPECT_NE(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN)), nullptr);
}

TEST_F(MainWindow, ExitClosesTheWindow) {
    Command(CMD_EXIT);
    EXPECT_EQ(editor.window, nullptr);
}

TEST_F(MainWindow, MissingConfigurationDirectoryIsReportedOnSave) {
    editor.document->configDirectory = "Q:\\missing";
    ItemView made;
    made.text = "httpd.conf";
    made.image = kFileImage;
    made.sectionMark = true;
    editor.items->InsertItem(kNoItem, InsertPosition::First(), made);
    Command(CMD_SAVE);
    EXPECT_EQ(prompts.unsaved, std::vector<std::string>{"Q:\\missing\\httpd.conf"});
}

TEST_F(MainWindow, OpeningFilesFillsTheTree) {
    OpenBoth();
    EXPECT_EQ(prompts.openedFrom, "C:\\Progs\\Tarnwick\\Conf");
    EXPECT_EQ(editor.document->configDirectory, "C:\\conf\\");
    const ItemHandle httpd = editor.items->FirstFileItem();
    EXPECT_EQ(editor.items->GetItem(httpd).text, "httpd.conf");
    EXPECT_EQ(editor.items->GetItem(editor.items->NextSibling(httpd)).text, "srm.conf");
    EXPECT_NE(Find("Options"), kNoItem);
    // The same files again: selected, not read twice.
    Command(CMD_OPEN);
    EXPECT_EQ(editor.items->NextSibling(editor.items->NextSibling(httpd)), kNoItem);
}

TEST_F(MainWindow, SelectingAnItemChoosesItsPaneAndDescription) {
    OpenBoth();
    const ItemHandle keepAlive = Find("KeepAlive");
    Select(keepAlive);
    EXPECT_EQ(editor.document->currentItem, keepAlive);
    EXPECT_EQ(editor.panes->CurrentTemplate(), kOnOffPane);
    EXPECT_EQ(IsDlgButtonChecked(editor.panes->OptionsPane(), IDC_PANE_FIRST_CHOICE), BST_CHECKED);  // "ON"
    EXPECT_EQ(WindowText(GetDlgItem(editor.panes->DefaultPane(), IDC_PANE_HEADING)), "KeepAlive");
    EXPECT_EQ(WindowText(GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_HEADING)), "KeepAlive");
    EXPECT_EQ(WindowText(editor.description), "Keep connections open.");

    // Another On/Off item keeps the same pane window; "yes" is not "on".
    const HWND onOffPane = editor.panes->OptionsPane();
    const ItemHandle second = FindItemByName(*editor.items, editor.items->NextSibling(editor.items->FirstFileItem()), "KeepAlive");
    Select(second);
    EXPECT_EQ(editor.panes->OptionsPane(), onOffPane);
    EXPECT_EQ(IsDlgButtonChecked(onOffPane, IDC_PANE_SECOND_CHOICE), BST_CHECKED);

    Select(Find("DocumentRoot"));
    EXPECT_EQ(editor.panes->CurrentTemplate(), kGeneralPane);
    EXPECT_EQ(WindowText(editor.description), "No description available.");
    EXPECT_EQ(WindowText(GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE)), "\"C:/web\"");
}

TEST_F(MainWindow, UpdateStoresWhatEachPaneKindHolds) {
    OpenBoth();
    // On/Off
    const ItemHandle keepAlive = Find("KeepAlive");
    Select(keepAlive);
    CheckRadioButton(editor.panes->OptionsPane(), IDC_PANE_FIRST_CHOICE, IDC_PANE_SECOND_CHOICE, IDC_PANE_SECOND_CHOICE);
    ClickUpdate(editor.panes->OptionsPane());
    EXPECT_EQ(Value(keepAlive), "Off");

    // Numerical: shows the value; refuses what is not a whole number from 0 to 32767.
    const ItemHandle port = Find("Port");
    Select(port);
    const HWND numerical = editor.panes->OptionsPane();
    EXPECT_EQ(WindowText(GetDlgItem(numerical, IDC_PANE_VALUE)), "80");
    struct Typed {
        const char* text;
        const char* stored;
        bool refused;
    } typed[] = {{"40000", "80", true}, {"letters", "80", true}, {"08", "8", false}, {"32767", "32767", false}};
    for (const auto& [text, stored, refused] : typed) {
        SetDlgItemTextA(numerical, IDC_PANE_VALUE, text);
        // What is not a number is said, and nothing is stored.
        std::string said;
        DialogScript script({{"Update", [&said](HWND box) {
                                  said = WindowText(GetDlgItem(box, 0xFFFF));
                                  Click(box, IDOK);
                              }}});
        ClickUpdate(numerical);
        EXPECT_EQ(Value(port), stored) << text;
        EXPECT_EQ(said, refused ? std::string(text) + " is not a number from 0 to 32767." : "");
    }

    // General, with a value longer than 1023 characters stored whole.
    const ItemHandle root = Find("DocumentRoot");
    Select(root);
    const std::string longValue(5000, 'x');
    SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, longValue.c_str());
    ClickUpdate(editor.panes->OptionsPane());
    EXPECT_EQ(Value(root), longValue);

    // Default tab: the field's text, whatever the template.
    Select(port);
    ChooseTab(kDefaultTab);
    EXPECT_EQ(WindowText(GetDlgItem(editor.panes->DefaultPane(), IDC_PANE_VALUE)), "32767");
    SetDlgItemTextA(editor.panes->DefaultPane(), IDC_PANE_VALUE, "80 # web");
    ClickUpdate(editor.panes->DefaultPane());
    EXPECT_EQ(Value(port), "80 # web");
    ChooseTab(kOptionsTab);
    EXPECT_EQ(WindowText(GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE)), "80 # web");
    ClickUpdate(editor.panes->OptionsPane());  // not a whole number: nothing stored
    EXPECT_EQ(Value(port), "80 # web");

    // Yes/No stores On for Yes.
    ItemView directive;
    directive.text = "HostnameLookups";
    directive.value = "Off";
    directive.hasValue = true;
    directive.image = directive.selectedImage = kDirectiveImage;
    const ItemHandle lookups = editor.items->InsertItem(editor.items->FirstFileItem(), InsertPosition::Last(), directive);
    Select(lookups);
    EXPECT_EQ(editor.panes->CurrentTemplate(), kYesNoPane);
    CheckRadioButton(editor.panes->OptionsPane(), IDC_PANE_FIRST_CHOICE, IDC_PANE_SECOND_CHOICE, IDC_PANE_FIRST_CHOICE);
    ClickUpdate(editor.panes->OptionsPane());
    EXPECT_EQ(Value(lookups), "On");
}

TEST_F(MainWindow, DirectoryPaneHasItsFolderTreeAndStoresItsText) {
    registry.Put(RegistryRoot::LocalMachine, TemplateKey("DocumentRoot"), NumberValue("Template", kBackslashDirectoryPane));
    OpenBoth();
    const ItemHandle root = Find("DocumentRoot");
    Select(root);
    const HWND pane = editor.panes->OptionsPane();
    EXPECT_EQ(editor.panes->CurrentTemplate(), kBackslashDirectoryPane);
    EXPECT_NE(GetDlgItem(pane, IDC_PANE_DIRECTORIES), nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(pane, IDC_PANE_VALUE)), "\"C:/web\"");
    SetDlgItemTextA(pane, IDC_PANE_VALUE, "D:\\www");
    ClickUpdate(pane);
    EXPECT_EQ(Value(root), "D:\\www");
}

// Under the manifest's UTF-8 the editor's code page for files that are not UTF-8 is the system
// locale's, as the older locale functions tell it too, not the process's.
TEST_F(MainWindow, FilesThatAreNotUtf8AreReadInTheSystemsCodePage) {
    ASSERT_EQ(GetACP(), 65001u);
    char number[16] = {};
    ASSERT_GT(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, sizeof number), 0);
    EXPECT_EQ(editor.document->ansiCodePage, &editor.codePage);
    EXPECT_EQ(editor.codePage.Number(), static_cast<unsigned>(std::stoul(number)));
    EXPECT_NE(editor.codePage.Number(), 0u);
}

// Names and values show as Windows shows text, in UTF-16, from a UTF-8 file and from one in the
// system's code page alike; an edit goes back in its file's encoding, and a character the
// code page lacks is refused when "&Update" would store it.
TEST_F(MainWindow, FilesShowTheirTextInUtf8OrInTheirCodePage) {
    const Win32AnsiCodePage westernEuropean{1252};  // the system's, whatever Wine's locale says
    editor.document->ansiCodePage = &westernEuropean;
    const std::string site = "\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88";
    const std::string utf8File = "<Directory \"C:/" + site + "\">\r\nDocumentRoot \"C:/Zo\xC3\xAB\"\r\n</Directory>\r\n";
    const std::string latinFile = "# R\xE9glages\r\nDocumentRoot \"C:/Zo\xEB\"\r\n";
    files.AddFile("C:\\conf\\" + site + ".conf", utf8File);
    files.AddFile("C:\\conf\\latin.conf", latinFile);
    prompts.open = OpenSelection{"C:\\conf\\", {site + ".conf", "latin.conf"}};
    Command(CMD_OPEN);
    const ItemHandle utf8Item = editor.items->FirstFileItem(), latinItem = editor.items->NextSibling(utf8Item);
    EXPECT_EQ(ShownLabel(editor.tree, utf8Item), L"\u30B5\u30A4\u30C8.conf");

    struct Case {
        ItemHandle file;
        const wchar_t* typed;
        bool refused;
        std::string saved;
    };
    const Case cases[] = {
        {utf8Item, L"C:/\u0150", false, "<Directory \"C:/" + site + "\">\r\nDocumentRoot C:/\xC5\x90\r\n</Directory>\r\n"},
        {latinItem, L"C:/\u0150", true, latinFile},  // no such letter in code page 1252
        {latinItem, L"C:/\u00E9t\u00E9", false, "# R\xE9glages\r\nDocumentRoot C:/\xE9t\xE9\r\n"},
    };
    for (const Case& c : cases) {
        const ItemHandle root = FindItemByName(*editor.items, editor.items->FirstChild(c.file), "DocumentRoot");
        Select(root);
        const HWND field = GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE);
        wchar_t shown[64] = {};
        GetWindowTextW(field, shown, 64);
        EXPECT_STREQ(shown, L"\"C:/Zo\u00EB\"");
        SetWindowTextW(field, c.typed);
        std::string said;
        DialogScript script({{"Update", [&said](HWND box) {
                                  said = WindowText(GetDlgItem(box, 0xFFFF));
                                  Click(box, IDOK);
                              }}});
        ClickUpdate(editor.panes->OptionsPane());
        EXPECT_EQ(said.find("code page 1252") != std::string::npos, c.refused) << said;
        if (c.refused) SetWindowTextW(field, L"\"C:/Zo\u00EB\"");  // taken back, so that the selection may move on
        Command(CMD_SAVE);
        const std::string name(editor.items->GetItem(c.file).text);
        EXPECT_EQ(files.ReadFileBytes("C:\\conf\\" + name), c.saved) << name;
    }
}

TEST_F(MainWindow, InsertAndDeleteKeysInTheTreeAreCommands) {
    OpenBoth();
    editor.settings.confirmDelete = 0;
    const ItemHandle srm = editor.items->NextSibling(editor.items->FirstFileItem());
    Select(srm);
    NMTVKEYDOWN key{};
    key.hdr = {editor.tree, IDC_CONFIG_TREE, static_cast<UINT>(TVN_KEYDOWN)};
    key.wVKey = VK_DELETE;
    SendMessageA(editor.window, WM_NOTIFY, IDC_CONFIG_TREE, reinterpret_cast<LPARAM>(&key));
    EXPECT_EQ(editor.items->NextSibling(editor.items->FirstFileItem()), kNoItem);
    // The same notification from another window is not the tree's.
    Select(editor.items->FirstFileItem());
    key.hdr.hwndFrom = editor.description;
    SendMessageA(editor.window, WM_NOTIFY, IDC_CONFIG_TREE, reinterpret_cast<LPARAM>(&key));
    EXPECT_NE(editor.items->FirstFileItem(), kNoItem);
}

TEST_F(MainWindow, InformationTabShowsTheTemplate) {
    OpenBoth();
    Select(Find("Port"));
    ChooseTab(kInformationTab);
    const HWND info = editor.panes->InformationPane();
    EXPECT_TRUE(IsWindowVisible(info));
    EXPECT_EQ(WindowText(GetDlgItem(info, IDC_INFO_NAME)), "Port");
    EXPECT_EQ(WindowText(GetDlgItem(info, IDC_INFO_RANK)), "3");
    EXPECT_EQ(WindowText(GetDlgItem(info, IDC_INFO_TEMPLATE)), "120");
    EXPECT_EQ(WindowText(GetDlgItem(info, IDC_INFO_DEFAULT)), "80");
}

TEST_F(MainWindow, DeleteAsksWhenTheSettingSaysSo) {
    OpenBoth();
    Command(CMD_DELETE_ITEM);  // nothing selected: nothing happens
    EXPECT_EQ(prompts.deleteQuestions, 0);
    const ItemHandle srm = editor.items->NextSibling(editor.items->FirstFileItem());
    Select(srm);
    prompts.answerYes = false;
    Command(CMD_DELETE_ITEM);
    EXPECT_EQ(prompts.deleteQuestions, 1);
    EXPECT_EQ(editor.items->NextSibling(editor.items->FirstFileItem()), srm);
    prompts.answerYes = true;
    Command(CMD_DELETE_ITEM);
    EXPECT_EQ(editor.items->NextSibling(editor.items->FirstFileItem()), kNoItem);
    EXPECT_EQ(editor.document->currentItem, editor.items->SelectedItem());

    editor.settings.confirmDelete = 0;
    Select(editor.items->FirstFileItem());
    Command(CMD_DELETE_ITEM);
    EXPECT_EQ(prompts.deleteQuestions, 2);
    EXPECT_EQ(editor.items->FirstFileItem(), kNoItem);
    EXPECT_EQ(editor.items->LiveValueCount(), 0u);
}

TEST_F(MainWindow, CrLfToggleKeepsMenuToolbarAndSavedBytesInStep) {
    OpenBoth();
    const auto menuChecked = [this] { return (GetMenuState(GetMenu(editor.window), CMD_CRLF, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    const auto buttonChecked = [this] { return SendMessageA(editor.toolbar, TB_ISBUTTONCHECKED, CMD_CRLF, 0) != 0; };
    EXPECT_TRUE(menuChecked());
    EXPECT_TRUE(buttonChecked());
    // An untouched file keeps its own line ends; a changed one gets the mode's.
    Command(CMD_SAVE);
    EXPECT_EQ(files.ReadFileBytes("C:\\conf\\srm.conf"), "DocumentRoot \"C:/web\"\nKeepAlive yes\n");
    editor.items->SetItemValue(Find("DocumentRoot"), "\"C:/www\"");
    Command(CMD_SAVE);
    EXPECT_EQ(files.ReadFileBytes("C:\\conf\\srm.conf"), "DocumentRoot \"C:/www\"\r\nKeepAlive yes\r\n");
    Command(CMD_CRLF);
    EXPECT_FALSE(menuChecked());
    EXPECT_FALSE(buttonChecked());
    Command(CMD_SAVE);  // switching the mode changes every file whose line ends it changes
    EXPECT_EQ(files.ReadFileBytes("C:\\conf\\srm.conf"), "DocumentRoot \"C:/www\"\nKeepAlive yes\n");
    // A toolbar made again while the mode is off shows the button released.
    editor.settings.toolBarDesc = 1;
    RecreateToolbar(editor);
    EXPECT_FALSE(buttonChecked());
    Command(CMD_CRLF);
    EXPECT_TRUE(menuChecked());
    EXPECT_TRUE(buttonChecked());
}

TEST_F(MainWindow, SaveAsAndFailedSaves) {
    OpenBoth();
    ItemView made;
    made.text = "access.conf";
    made.image = kFileImage;
    made.sectionMark = true;
    editor.items->InsertItem(kNoItem, InsertPosition::First(), made);
    files.AddDirectory("D:\\new\\");
    prompts.saveAs = "D:\\new\\whatever.conf";
    Command(CMD_SAVE_AS);
    EXPECT_EQ(editor.document->configDirectory, "D:\\new\\");
    EXPECT_TRUE(files.Exists("D:\\new\\access.conf"));
    EXPECT_FALSE(files.Exists("D:\\new\\httpd.conf"));
    EXPECT_TRUE(prompts.unsaved.empty());

    files.MakeReadOnly("C:\\conf\\httpd.conf");
    editor.items->SetItemValue(Find("Port"), "81");  // a change, so that Save writes the file
    Command(CMD_SAVE);
    EXPECT_EQ(prompts.unsaved, std::vector<std::string>{"C:\\conf\\httpd.conf"});
}

TEST_F(MainWindow, LayoutFollowsSizeDividerAndToolbar) {
    const auto check = [this] {
        RECT client{};
        GetClientRect(editor.window, &client);
        const Layout expected = ComputeLayout(editor.settings.windowDivider, editor.toolbarHeight, client.right, client.bottom);
        const RECT tree = ChildRect(editor.tree);
        EXPECT_EQ(tree.left, expected.tree.x);
        EXPECT_EQ(tree.top, expected.tree.y);
        EXPECT_EQ(tree.right - tree.left, expected.tree.width);
        EXPECT_EQ(tree.bottom - tree.top, expected.tree.height);
        const RECT description = ChildRect(editor.description);
        EXPECT_EQ(description.left, expected.description.x);
        EXPECT_EQ(description.right - description.left, expected.description.width);
        EXPECT_EQ(ChildRect(editor.panes->Window()).left, expected.panes.x);
        EXPECT_EQ(ChildRect(editor.divider).left, expected.divider.x);
    };
    check();
    SetWindowPos(editor.window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    check();

    const int before = editor.settings.windowDivider;
    const int treeBefore = ChildRect(editor.tree).right;
    SendMessageA(editor.divider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    SendMessageA(editor.divider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(32, 10));
    SendMessageA(editor.divider, WM_LBUTTONUP, 0, MAKELPARAM(32, 10));
    EXPECT_EQ(editor.settings.windowDivider, before + 30);
    EXPECT_EQ(ChildRect(editor.tree).right, treeBefore + 30);
    check();
    // A press on the first column starts no drag.
    SendMessageA(editor.divider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 10));
    SendMessageA(editor.divider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 10));
    SendMessageA(editor.divider, WM_LBUTTONUP, 0, MAKELPARAM(40, 10));
    EXPECT_EQ(editor.settings.windowDivider, before + 30);
    // Far to the left: the tree keeps its minimum width.
    SendMessageA(editor.divider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    SendMessageA(editor.divider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-1000, 10));
    SendMessageA(editor.divider, WM_LBUTTONUP, 0, 0);
    EXPECT_GE(ChildRect(editor.tree).right - ChildRect(editor.tree).left, kMinimumColumnWidth);

    const int toolbarBefore = editor.toolbarHeight;
    editor.settings.toolBarDesc = 1;
    RecreateToolbar(editor);
    EXPECT_GT(editor.toolbarHeight, toolbarBefore);
    check();
}

TEST_F(MainWindow, CommandLineFilesOpenAsOpenWould) {
    OpenCommandLineFiles(editor, "\"C:\\conf\\httpd.conf\" C:\\conf\\srm.conf \"C:\\conf\\missing.conf\" C:\\conf\\");
    EXPECT_EQ(editor.document->configDirectory, "C:\\conf\\");
    std::vector<std::string> names;
    for (ItemHandle file = editor.items->FirstFileItem(); file; file = editor.items->NextSibling(file))
        names.emplace_back(editor.items->GetItem(file).text);
    EXPECT_EQ(names, (std::vector<std::string>{"httpd.conf", "srm.conf"}));
    // What could not be read is named once, all together, and never made into a file by a save.
    ASSERT_EQ(prompts.unreadReports.size(), 1u);
    EXPECT_EQ(prompts.unreadReports[0], (std::vector<std::string>{"C:\\conf\\missing.conf", "C:\\conf\\"}));
    EXPECT_FALSE(HasUnsavedChanges(*editor.document));
    Command(CMD_SAVE);
    EXPECT_FALSE(files.Exists("C:\\conf\\missing.conf"));
    OpenCommandLineFiles(editor, "   ");  // an empty command line changes nothing and says nothing
    EXPECT_EQ(prompts.unreadReports.size(), 1u);
    std::size_t count = 0;
    for (ItemHandle file = editor.items->FirstFileItem(); file; file = editor.items->NextSibling(file)) ++count;
    EXPECT_EQ(count, 2u);
}

TEST_F(MainWindow, MegabyteValueShowsAndUpdatesWhole) {
    OpenBoth();
    const ItemHandle root = Find("DocumentRoot");
    const std::string huge(1 << 20, 'v');
    editor.items->SetItemValue(root, huge);
    Select(root);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE)), 1 << 20);
    ClickUpdate(editor.panes->OptionsPane());
    EXPECT_EQ(Value(root), huge);
}

TEST_F(MainWindow, RegistryValuesOfTheWrongKindAreSurvived) {
    registry.Put(RegistryRoot::LocalMachine, TemplateKey("Port"), StringValue("Template", "120"));  // text, not a number
    registry.Put(RegistryRoot::LocalMachine, TemplateKey("DocumentRoot"),
                 StringValue("Description", std::string(20000, 'd')));  // too large: the default shows
    OpenBoth();
    Select(Find("Port"));
    EXPECT_FALSE(IsPaneKind(editor.panes->CurrentTemplate()));
    EXPECT_EQ(editor.panes->OptionsPane(), nullptr);  // no pane kind: the Options tab stays empty
    Select(Find("DocumentRoot"));
    EXPECT_EQ(WindowText(editor.description), "No description available.");
    EXPECT_EQ(editor.panes->CurrentTemplate(), kGeneralPane);
}

// The Options dialog is modal: a timer inside its loop plays the user.
TEST_F(MainWindow, OptionsReachTheRegistryAtExit) {
    static HWND owner;
    owner = editor.window;
    SetTimer(editor.window, 1, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = FindWindowA(nullptr, "Options...");
        if (!dialog) return;
        KillTimer(owner, id);
        CheckDlgButton(dialog, IDC_OPT_SAVE_POSITION, BST_CHECKED);
        CheckDlgButton(dialog, IDC_OPT_CONFIRM_DELETE, BST_UNCHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_TRUE(ShowOptionsDialog(editor));
    EXPECT_EQ(editor.settings.saveWindowPos, 1u);
    EXPECT_EQ(editor.settings.confirmDelete, 0u);
    editor.settings.windowDivider = 260;
    ShutDownEditor(editor);
    Settings next = LoadSettings(registry, [](std::string_view text) { return std::string(text); });
    EXPECT_EQ(next.windowDivider, 260);
    EXPECT_EQ(next.confirmDelete, 0u);
    EXPECT_EQ(next.defaultConfigPath, "C:\\Progs\\Tarnwick\\Conf");
}

}  // namespace
}  // namespace tarnwick::testing
