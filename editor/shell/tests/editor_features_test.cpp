// The editor's dialogs and tree editing, driven through their windows under Wine: new files,
// Quick Config on the real distributed files, new items, Set Template, drag and drop, the
// directory chooser on the Wine drive, help, and Check with Apache with a stand-in for Apache.

#include "editor.h"
#include "test_prompts.h"

#include "apache_process.h"

#include "memory_registry.h"
#include "new_files.h"
#include "new_item.h"
#include "resource.h"
#include "template_store.h"
#include "tree_walk.h"
#include "win32/win32_file_store.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace tarnwick::testing {
namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

std::string TestDataPath(const std::string& relative) {
    const char* root = std::getenv("TARNWICK_TESTDATA");
    return WindowsPath(std::string(root ? root : "testdata") + "/" + relative);
}

std::string ScratchDirectory() {
    static int counter = 0;
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    std::string directory;
    do directory = std::string(temp) + "tarnwick-features-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    while (!CreateDirectoryA(directory.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    return directory + "\\";
}

class EditorFeatures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareEditorWindows(); }

    void SetUp() override {
        scratch = ScratchDirectory();
        ASSERT_NE(CreateEditorWindow(editor), nullptr);
    }

    void TearDown() override {
        CloseEditorWindow(editor);
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }

    void Command(int command) { SendMessageA(editor.window, WM_COMMAND, MAKEWPARAM(command, 0), 0); }
    ItemHandle Find(const char* name) { return FindItemByName(*editor.items, kNoItem, name); }
    std::string Value(ItemHandle item) { return std::string(editor.items->GetItem(item).value); }
    std::vector<std::string> FileItems() {
        std::vector<std::string> names;
        for (ItemHandle file = editor.items->FirstFileItem(); file; file = editor.items->NextSibling(file))
            names.emplace_back(editor.items->GetItem(file).text);
        return names;
    }
    void Open(const std::string& directory, std::vector<std::string> names) {
        prompts.open = OpenSelection{directory, std::move(names)};
        Command(CMD_OPEN);
    }
    void WriteFile(const std::string& path, const std::string& bytes) { ASSERT_TRUE(files.ReplaceFileBytes(path, bytes)); }
    void ChooseTab(int tab) {
        SendMessageA(editor.panes->Tabs(), TCM_SETCURSEL, tab, 0);
        editor.panes->OnTabChanged();
    }

    std::string scratch;
    MemoryRegistry registry;
    Win32FileStore files;
    TestPrompts prompts;
    Editor editor{GetModuleHandleA(nullptr), registry, files, prompts};
};

TEST_F(EditorFeatures, NewFileDialogAddsTypedOrChosenNames) {
    DialogScript script({
        {"New File(s)...",
         [](HWND dialog) {
             HWND combo = GetDlgItem(dialog, IDC_NAME_COMBO);
             EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
             char first[64] = {};
             SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
             EXPECT_STREQ(first, "access.conf");  // the list is sorted
             SetWindowTextA(combo, "srm.conf");
             Click(dialog, IDOK);
         }},
    });
    EXPECT_TRUE(ShowNewFileDialog(editor));
    EXPECT_EQ(FileItems(), std::vector<std::string>{"srm.conf"});
    EXPECT_EQ(editor.items->SelectedItem(), editor.items->FirstFileItem());
    EXPECT_EQ(editor.document->currentItem, editor.items->FirstFileItem());

    DialogScript more({
        {"New File(s)...", [](HWND dialog) { Click(dialog, IDOK); }},  // empty: nothing added
        {"New File(s)...", [](HWND dialog) { Click(dialog, IDCANCEL); }},
        {"New File(s)...",
         [](HWND dialog) {
             HWND combo = GetDlgItem(dialog, IDC_NAME_COMBO);
             SendMessageA(combo, CB_SETCURSEL, 1, 0);  // "httpd.conf"
             SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_NAME_COMBO, CBN_DBLCLK), reinterpret_cast<LPARAM>(combo));
         }},
    });
    EXPECT_FALSE(ShowNewFileDialog(editor));
    EXPECT_FALSE(ShowNewFileDialog(editor));
    EXPECT_TRUE(ShowNewFileDialog(editor));
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "srm.conf"}));
}

TEST_F(EditorFeatures, QuickConfigOnTheRealDistributionThenSave) {
    for (const char* name : {"httpd.conf-dist-win", "access.conf-dist-win", "srm.conf-dist-win"})
        WriteFile(scratch + name, files.ReadFileBytes(TestDataPath(std::string("apache-1.3-split/") + name)).value_or(""));
    registry.Put(kMachine, kQuickConfigKey, StringValue("ServerRoot", "C:/Apache"));
    registry.Put(kMachine, kQuickConfigKey, StringValue("Port", "8080"));
    registry.Put(kMachine, kQuickConfigKey, StringValue("ServerType", "Unix"));
    editor.settings.defaultConfigFilePath = scratch;
    DialogScript script({
        {"Quick Configuration...",
         [](HWND dialog) {
             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_QC_SERVER_ROOT)), "C:/Apache");
             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_QC_PORT)), "8080");
             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_QC_USER)), "");
             EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_QC_UNIX), BST_CHECKED);
             // Typed as a user types them: in UTF-16, whatever the program's code page.
             SetDlgItemTextW(dialog, IDC_QC_SERVER_ROOT, L"C:/Users/Zo\u00EB/Apache");
             SetDlgItemTextW(dialog, IDC_QC_DOCUMENT_ROOT, L"C:/\u30B5\u30A4\u30C8/htdocs");
             SetDlgItemTextA(dialog, IDC_QC_PORT, "81");
             SetDlgItemTextA(dialog, IDC_QC_USER, "web");
             SetDlgItemTextA(dialog, IDC_QC_GROUP, "webgroup");
             SetDlgItemTextA(dialog, IDC_QC_ADMIN, "admin@example.com");
             Click(dialog, IDOK);
         }},
    });
    EXPECT_TRUE(ShowQuickConfigDialog(editor));
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "access.conf", "srm.conf"}));
    EXPECT_EQ(editor.items->SelectedItem(), editor.items->FirstFileItem());
    EXPECT_EQ(WindowText(GetDlgItem(editor.panes->DefaultPane(), IDC_PANE_HEADING)), "httpd.conf");
    Command(CMD_SAVE);
    EXPECT_TRUE(prompts.unsaved.empty());
    const std::string httpd = files.ReadFileBytes(scratch + "httpd.conf").value_or("");
    const std::string access = files.ReadFileBytes(scratch + "access.conf").value_or("");
    const std::string srm = files.ReadFileBytes(scratch + "srm.conf").value_or("");
    // In UTF-8, as Apache reads file names.
    EXPECT_NE(httpd.find("ServerRoot C:/Users/Zo\xC3\xAB/Apache\r\n"), std::string::npos);
    EXPECT_NE(httpd.find("Port 81\r\n"), std::string::npos);
    EXPECT_NE(httpd.find("ServerAdmin admin@example.com\r\n"), std::string::npos);
    EXPECT_EQ(httpd.find("User "), std::string::npos);  // the Windows distribution has none: nothing added
    EXPECT_NE(access.find("<Directory C:/\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88/htdocs>\r\n"), std::string::npos);
    EXPECT_NE(access.find("<Directory \"@@ServerRoot@@/cgi-bin\">\r\n"), std::string::npos);
    EXPECT_NE(srm.find("DocumentRoot C:/\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88/htdocs\r\n"), std::string::npos);
    // Nothing else changed: the other placeholders stay.
    EXPECT_NE(srm.find("\"@@ServerRoot@@/icons/\""), std::string::npos);
}

TEST_F(EditorFeatures, QuickConfigWithoutFilesOrPresetsAndCancel) {
    editor.settings.defaultConfigFilePath = scratch + "nowhere\\";
    DialogScript script({
        {"Quick Configuration...", [](HWND dialog) { Click(dialog, IDCANCEL); }},
        {"Quick Configuration...",
         [](HWND dialog) {
             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_QC_PORT)), "0");
             EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_QC_WINDOWS), BST_CHECKED);
             Click(dialog, IDOK);
         }},
    });
    EXPECT_FALSE(ShowQuickConfigDialog(editor));
    EXPECT_TRUE(FileItems().empty());
    EXPECT_TRUE(ShowQuickConfigDialog(editor));
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "access.conf", "srm.conf"}));
    EXPECT_EQ(editor.items->FirstChild(editor.items->FirstFileItem()), kNoItem);
}

// Through the File menu, on real folders: the wildcard is listed by the system, the included
// files open in Apache's order, each once, and the missing one is named.
TEST_F(EditorFeatures, OpenIncludedFilesFromTheFileMenu) {
    ASSERT_TRUE(CreateDirectoryA((scratch + "conf").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((scratch + "conf\\vhosts").c_str(), nullptr));
    WriteFile(scratch + "conf\\httpd.conf", "ServerRoot \"" + scratch + "\"\nInclude conf/vhosts/*.conf\n"
                                            "Include \"conf/my settings.conf\"\nInclude conf/missing.conf\n");
    WriteFile(scratch + "conf\\vhosts\\b.conf", "Listen 8081\n");
    WriteFile(scratch + "conf\\vhosts\\a.conf", "Include \"conf/my settings.conf\"\n");
    WriteFile(scratch + "conf\\vhosts\\notes.txt", "not included\n");
    WriteFile(scratch + "conf\\my settings.conf", "ServerAdmin me@example.com\n");
    Open(scratch + "conf\\", {"httpd.conf"});

    const HMENU fileMenu = GetSubMenu(GetMenu(editor.window), 0);
    UINT command = 0;
    for (int index = 0; index < GetMenuItemCount(fileMenu); ++index) {
        char text[64] = {};
        GetMenuStringA(fileMenu, static_cast<UINT>(index), text, sizeof text, MF_BYPOSITION);
        if (std::strcmp(text, "Open &Included Files\tCtrl+I") == 0) command = GetMenuItemID(fileMenu, index);
    }
    ASSERT_EQ(command, static_cast<UINT>(CMD_OPEN_INCLUDED));
    Command(static_cast<int>(command));

    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "a.conf", "my settings.conf", "b.conf"}));
    EXPECT_EQ(Value(FindItemByName(*editor.items, editor.items->FirstFileItem(), "b.conf")), scratch + "conf\\vhosts\\");
    ASSERT_EQ(prompts.includedReports.size(), 1u);
    EXPECT_EQ(prompts.includedReports[0], "These included files were not found:\n" + scratch + "conf\\missing.conf");
    Command(static_cast<int>(command));  // all open now; the missing one is still missing
    EXPECT_EQ(FileItems().size(), 4u);
    EXPECT_EQ(prompts.includedReports.back(), prompts.includedReports.front());
}

TEST_F(EditorFeatures, NewItemOffersNamesByRankAndAsksForAFileFirst) {
    registry.Put(kMachine, TemplateKey("Port"), NumberValue("Parent", 0));
    registry.Put(kMachine, TemplateKey("Port"), StringValue("Default", "80"));
    registry.Put(kMachine, TemplateKey("Directory"), NumberValue("Parent", 1));
    registry.Put(kMachine, TemplateKey("VirtualHost"), NumberValue("Parent", 2));
    DialogScript script({
        {"Add New Configuration Item", [](HWND dialog) { Click(dialog, IDOK); }},  // nothing selected yet
        {"New File(s)...", [](HWND dialog) { Click(dialog, IDCANCEL); }},          // shown again
        {"New File(s)...",
         [](HWND dialog) {
             SetDlgItemTextA(dialog, IDC_NAME_COMBO, "httpd.conf");
             Click(dialog, IDOK);
         }},
    });
    // With no item, an empty name: the file comes first, then nothing is added under it.
    EXPECT_FALSE(ShowNewItem(editor));
    EXPECT_TRUE(script.Finished());
    const ItemHandle file = editor.items->FirstFileItem();
    ASSERT_NE(file, kNoItem);
    EXPECT_EQ(editor.items->FirstChild(file), kNoItem);

    DialogScript pick({
        {"Add New Configuration Item",
         [](HWND dialog) {
             HWND combo = GetDlgItem(dialog, IDC_NAME_COMBO);
             EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);  // Directory and Port, not VirtualHost
             SendMessageA(combo, CB_SETCURSEL, 1, 0);
             SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_NAME_COMBO, CBN_DBLCLK), reinterpret_cast<LPARAM>(combo));
         }},
    });
    EXPECT_TRUE(ShowNewItem(editor));
    const ItemHandle port = editor.items->FirstChild(file);
    EXPECT_EQ(editor.items->GetItem(port).text, "Port");
    EXPECT_EQ(editor.items->GetItem(port).value, "80");
    EXPECT_EQ(editor.document->currentItem, port);  // the new item is selected, ready to edit
    EXPECT_EQ(editor.items->SelectedItem(), port);
}

TEST_F(EditorFeatures, NewItemNameFieldSelectsTheFirstNameBeginningWithWhatWasTyped) {
    for (const char* name : {"ServerAlias", "ServerAdmin", "ServerName", "ServerRoot", "Port", "SSLEngine", "Zo\xC3\xABRoot"})
        registry.Put(kMachine, TemplateKey(name), NumberValue("Parent", 0));
    WriteFile(scratch + "httpd.conf", "Listen 80\n");
    Open(scratch, {"httpd.conf"});
    editor.items->SelectItem(editor.items->FirstFileItem());
    DialogScript script({
        {"Add New Configuration Item",
         [](HWND dialog) {
             HWND combo = GetDlgItem(dialog, IDC_NAME_COMBO);
             COMBOBOXINFO parts{};
             parts.cbSize = sizeof parts;
             ASSERT_TRUE(GetComboBoxInfo(combo, &parts));
             const auto type = [&](const char* keys) {
                 for (const char* key = keys; *key; ++key) SendMessageA(parts.hwndItem, WM_CHAR, static_cast<unsigned char>(*key), 0);
             };
             const auto field = [&] { return WindowText(combo); };
             const auto listed = [&] {
                 const LRESULT at = SendMessageA(parts.hwndList, LB_GETCURSEL, 0, 0);
                 char text[64] = {};
                 if (at >= 0) SendMessageA(parts.hwndList, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text));
                 return std::string(text);
             };
             type("s");
             EXPECT_EQ(field(), "ServerAdmin");  // the first of the sorted names that begin with s
             DWORD from = 0, to = 0;
             SendMessageA(parts.hwndItem, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
             EXPECT_EQ(from, 1u);  // what was not typed is selected, to be typed over
             EXPECT_EQ(to, 11u);
             type("erverr");
             EXPECT_EQ(field(), "ServerRoot");
             EXPECT_EQ(listed(), "ServerRoot");
             SendMessageA(parts.hwndItem, WM_CHAR, VK_BACK, 0);  // deleting does not bring the letters back
             EXPECT_EQ(field(), "ServerR");  // the name's own letters, less the ones not typed
             type("x");
             EXPECT_EQ(field(), "ServerRx");  // no name begins so: the field keeps what was typed
             // Positions count characters, not the bytes of a name's UTF-8.
             SetWindowTextA(combo, "");
             for (const wchar_t key : {L'Z', L'o', L'\u00EB'}) SendMessageW(parts.hwndItem, WM_CHAR, key, 0);
             EXPECT_EQ(field(), "Zo\xC3\xABRoot");
             SendMessageA(parts.hwndItem, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
             EXPECT_EQ(from, 3u);
             EXPECT_EQ(to, 7u);
             SetWindowTextA(combo, "");
             type("SERVERN");
             EXPECT_EQ(field(), "ServerName");
             Click(dialog, IDOK);
         }},
    });
    EXPECT_TRUE(ShowNewItem(editor));
    EXPECT_TRUE(script.Finished());
    const ItemHandle file = editor.items->FirstFileItem();
    ItemHandle last = editor.items->FirstChild(file);
    while (editor.items->NextSibling(last)) last = editor.items->NextSibling(last);
    EXPECT_EQ(editor.items->GetItem(last).text, "ServerName");
}

// Apache's program beside the tests: the stand-in that prints what Apache printed.
std::string StandInApache() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path = module;
    return path.substr(0, path.find_last_of("\\/") + 1) + "apache_stand_in.exe";
}

TEST_F(EditorFeatures, CheckWithApacheShowsWhatApachePrintedAndSelectsTheItemItNames) {
    WriteFile(scratch + "httpd.conf", "ServerRoot \"" + scratch + "\"\nListen 80\nInclude extra.conf\n");
    WriteFile(scratch + "extra.conf", "# extra\r\nListen 81\r\nKeepAlive On\r\nKeepAliveTimout 5\r\n");
    Open(scratch, {"httpd.conf"});
    Command(CMD_CHECK_APACHE);  // no setting, no httpd.exe under ServerRoot, no service
    ASSERT_EQ(prompts.apacheMessages.size(), 1u);
    EXPECT_EQ(prompts.apacheMessages[0], kApacheNotFoundMessage);

    editor.settings.apacheProgram = StandInApache();
    const ItemHandle listen = Find("Listen");
    editor.items->SetItemValue(listen, "8080");  // an unsaved change
    prompts.checkSaveAnswer = SaveChangesAnswer::Cancel;
    Command(CMD_CHECK_APACHE);
    EXPECT_EQ(prompts.checkSaveQuestions, 1);
    EXPECT_EQ(prompts.apacheMessages.size(), 1u) << "cancelled: nothing checked";

    prompts.checkSaveAnswer = SaveChangesAnswer::Discard;  // check what is on disk
    Command(CMD_CHECK_APACHE);
    ASSERT_EQ(prompts.apacheMessages.size(), 2u);
    EXPECT_FALSE(prompts.apacheAccepted.back());
    EXPECT_NE(prompts.apacheMessages.back().find("Invalid command 'KeepAliveTimout'"), std::string::npos)
        << prompts.apacheMessages.back();
    EXPECT_EQ(files.ReadFileBytes(scratch + "httpd.conf").value_or(""),
              "ServerRoot \"" + scratch + "\"\nListen 80\nInclude extra.conf\n");
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "extra.conf"}));  // opened to show the item
    const ItemHandle named = editor.items->SelectedItem();
    EXPECT_EQ(editor.items->GetItem(named).text, "KeepAliveTimout");
    EXPECT_EQ(editor.document->currentItem, named);
    EXPECT_EQ(editor.items->GetItem(editor.items->Parent(named)).text, "extra.conf");

    prompts.checkSaveAnswer = SaveChangesAnswer::Save;
    Command(CMD_CHECK_APACHE);
    EXPECT_EQ(prompts.checkSaveQuestions, 3);
    EXPECT_EQ(prompts.apacheMessages.size(), 3u);
    EXPECT_NE(files.ReadFileBytes(scratch + "httpd.conf").value_or("").find("Listen 8080"), std::string::npos);
    Command(CMD_CHECK_APACHE);  // saved now: no question
    EXPECT_EQ(prompts.checkSaveQuestions, 3);
    EXPECT_EQ(prompts.apacheMessages.size(), 4u);
}

TEST_F(EditorFeatures, ApacheThatNeverEndsIsEndedAfterTheLimit) {
    const std::string program = StandInApache();
    const std::string conf = scratch + "never-ends.conf";
    Win32ProgramRunner runner;
    const DWORD started = GetTickCount();
    const ProgramRun run = runner.Run(program, ApacheCheckCommandLine(program, conf), 1500);
    const DWORD took = GetTickCount() - started;
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::TimedOut);
    EXPECT_GE(took, 1500u);
    EXPECT_LT(took, 15000u);
    EXPECT_NE(run.output.find("Checking"), std::string::npos) << run.output;  // what it printed before it was ended
    // The stand-in held this mutex as long as it lived.
    HANDLE held = OpenMutexA(SYNCHRONIZE, FALSE, "Tarnwick-stand-in-never-ends");
    EXPECT_EQ(held, nullptr) << "the program still runs";
    if (held) CloseHandle(held);
    EXPECT_NE(ApacheCheckMessage(run, program, 1500).find("did not finish within 1 seconds and was ended"), std::string::npos);

    const ProgramRun missing = runner.Run(scratch + "no-such-program.exe", "\"x\" -t", 1500);
    EXPECT_EQ(missing.outcome, ProgramRun::Outcome::NotStarted);
    const ProgramRun recorded = runner.Run(program, ApacheCheckCommandLine(program, scratch + "httpd.conf"), kApacheCheckTimeLimitMs);
    EXPECT_EQ(recorded.outcome, ProgramRun::Outcome::Finished);
    EXPECT_EQ(recorded.exitCode, 1u);
    EXPECT_NE(recorded.output.find("Syntax error on line 4 of"), std::string::npos) << recorded.output;
}

TEST_F(EditorFeatures, SetTemplateWritesTheMachineTemplateAndRecreatesThePane) {
    WriteFile(scratch + "httpd.conf", "Port 80\nTimeout 300\n");
    registry.CreateKey(kMachine, TemplateKey("Port"));
    registry.Put(kMachine, kTemplateListKey, NumberValue("Plain text", kGeneralPane));
    registry.Put(kMachine, kTemplateListKey, NumberValue("A number", kNumericalPane));
    registry.Put(kMachine, kTemplateListKey, StringValue("Zz oversized", "more than four bytes"));
    registry.Put(kMachine, kTemplateListKey, NumberValue("Zzz hidden", kOnOffPane));
    Open(scratch, {"httpd.conf"});
    editor.items->SelectItem(Find("Port"));
    ChooseTab(kInformationTab);
    DialogScript script({
        {"Set Template Info...", [](HWND dialog) { Click(dialog, IDCANCEL); }},
        {"Set Template Info...",
         [](HWND dialog) {
             HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
             EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);  // the listing ends at the oversized value
             char first[64] = {};
             SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
             EXPECT_STREQ(first, "A number");  // alphabetical
             SendMessageA(list, LB_SETCURSEL, 0, 0);
             Click(dialog, IDOK);
         }},
    });
    const HWND info = editor.panes->InformationPane();
    Click(info, IDC_INFO_SET_TEMPLATE);
    EXPECT_FALSE(registry.QueryValue(kMachine, TemplateKey("Port"), "Template", 4).has_value());
    Click(info, IDC_INFO_SET_TEMPLATE);
    EXPECT_EQ(registry.QueryValue(kMachine, TemplateKey("Port"), "Template", 4), NumberData(kNumericalPane));
    EXPECT_EQ(WindowText(GetDlgItem(info, IDC_INFO_TEMPLATE)), "120");
    EXPECT_EQ(editor.panes->CurrentTemplate(), kNumericalPane);
    ChooseTab(kOptionsTab);
    EXPECT_EQ(WindowText(GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE)), "80");

    // A name without a template key: nothing is written.
    editor.items->SelectItem(Find("Timeout"));
    ChooseTab(kInformationTab);
    DialogScript again({{"Set Template Info...", [](HWND dialog) {
                             SendMessageA(GetDlgItem(dialog, IDC_TEMPLATE_LIST), LB_SETCURSEL, 0, 0);
                             Click(dialog, IDOK);
                         }}});
    Click(editor.panes->InformationPane(), IDC_INFO_SET_TEMPLATE);
    EXPECT_FALSE(registry.KeyExists(kMachine, TemplateKey("Timeout")));
}

TEST_F(EditorFeatures, DragAndDropMovesAnItemOntoASection) {
    WriteFile(scratch + "httpd.conf", "Port 80\n<Directory />\nOptions None\n</Directory>\nGroup x\n");
    Open(scratch, {"httpd.conf"});
    SetWindowPos(editor.window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    const HWND tree = editor.tree;
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, static_cast<LPARAM>(editor.items->FirstFileItem()));
    const auto begin = [&](ItemHandle item) {
        NMTREEVIEWA drag{};
        drag.hdr = {tree, IDC_CONFIG_TREE, static_cast<UINT>(TVN_BEGINDRAGA)};
        drag.itemNew.hItem = reinterpret_cast<HTREEITEM>(item);
        SendMessageA(editor.window, WM_NOTIFY, IDC_CONFIG_TREE, reinterpret_cast<LPARAM>(&drag));
    };
    const auto pointOf = [&](ItemHandle item) {
        RECT rect{};
        const auto handle = reinterpret_cast<HTREEITEM>(item);
        std::memcpy(&rect, &handle, sizeof handle);
        SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        return point;
    };

    begin(editor.items->FirstFileItem());  // a file item is not dragged
    EXPECT_FALSE(editor.dragging);

    const ItemHandle port = Find("Port");
    begin(port);
    EXPECT_TRUE(editor.dragging);
    EXPECT_EQ(editor.document->currentItem, port);
    POINT target = pointOf(Find("Directory"));
    POINT inMain = target;
    MapWindowPoints(tree, editor.window, &inMain, 1);
    SendMessageA(editor.window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(inMain.x, inMain.y));
    EXPECT_EQ(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0), static_cast<LRESULT>(Find("Directory")));
    POINT screen = target;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(editor.window, WM_LBUTTONUP, 0, MAKELPARAM(inMain.x, inMain.y));
    EXPECT_FALSE(editor.dragging);
    const ItemHandle moved = Find("Port");
    EXPECT_EQ(editor.items->Parent(moved), Find("Directory"));
    EXPECT_EQ(editor.items->SelectedItem(), moved);
    EXPECT_EQ(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0), 0);
}

// The drive tree shows folders named in any script as Windows names them, and a folder chosen
// there is saved in UTF-8, as Apache reads names.
TEST_F(EditorFeatures, DirectoryPaneBrowsesTheWineDriveAndCopiesBothWays) {
    const std::string zoe = "Zo\xC3\xAB", site = "\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88";
    const std::vector<std::string> folders = {"Apache", ".hidden", zoe, site};
    CreateDirectoryA("C:\\tarnwick-browse", nullptr);
    for (const std::string& folder : folders) CreateDirectoryA(("C:\\tarnwick-browse\\" + folder).c_str(), nullptr);
    WriteFile(scratch + "httpd.conf", "DocumentRoot x\nServerRoot y\n");
    registry.Put(kMachine, TemplateKey("DocumentRoot"), NumberValue("Template", kSlashDirectoryPane));
    registry.Put(kMachine, TemplateKey("ServerRoot"), NumberValue("Template", kBackslashDirectoryPane));
    Open(scratch, {"httpd.conf"});

    const auto browse = [&](const char* name, const std::string& chosen) {
        editor.items->SelectItem(Find(name));
        ConfigTree* directories = editor.panes->Directories();
        EXPECT_NE(directories, nullptr);
        if (!directories) return std::string();
        ItemHandle drive = directories->FirstFileItem();
        while (drive && std::string(directories->GetItem(drive).text).find("(C:)") == std::string::npos)
            drive = directories->NextSibling(drive);
        EXPECT_NE(drive, kNoItem);
        const HWND tree = GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_DIRECTORIES);
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, static_cast<LPARAM>(drive));
        ItemHandle folder = directories->FirstChild(drive);
        while (folder && directories->GetItem(folder).text != "tarnwick-browse") folder = directories->NextSibling(folder);
        EXPECT_NE(folder, kNoItem);
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, static_cast<LPARAM>(folder));
        std::vector<std::string> below;
        std::vector<std::wstring> shown;  // what the control shows, in UTF-16
        ItemHandle pick = kNoItem;
        for (ItemHandle child = directories->FirstChild(folder); child; child = directories->NextSibling(child)) {
            below.emplace_back(directories->GetItem(child).text);
            if (below.back() == chosen) pick = child;
            shown.push_back(ShownLabel(tree, child));
        }
        EXPECT_EQ(below, (std::vector<std::string>{"Apache", zoe, site}));  // no dot folders
        EXPECT_EQ(shown, (std::vector<std::wstring>{L"Apache", L"Zo\u00EB", L"\u30B5\u30A4\u30C8"}));
        directories->SelectItem(pick);
        Click(editor.panes->OptionsPane(), IDCANCEL);  // "&Copy"
        return WindowText(GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE));
    };
    EXPECT_EQ(browse("DocumentRoot", "Apache"), "C:/tarnwick-browse/Apache");
    EXPECT_EQ(browse("ServerRoot", "Apache"), "C:\\tarnwick-browse\\Apache");
    EXPECT_EQ(editor.items->GetItem(Find("ServerRoot")).value, "y");  // only "&Update" stores it
    EXPECT_EQ(browse("ServerRoot", zoe), "C:\\tarnwick-browse\\" + zoe);
    Click(editor.panes->OptionsPane(), IDOK);  // "&Update"
    EXPECT_EQ(browse("DocumentRoot", site), "C:/tarnwick-browse/" + site);
    Click(editor.panes->OptionsPane(), IDOK);
    Command(CMD_SAVE);
    EXPECT_EQ(files.ReadFileBytes(scratch + "httpd.conf"),
              "DocumentRoot C:/tarnwick-browse/" + site + "\r\nServerRoot C:\\tarnwick-browse\\" + zoe + "\r\n");
    for (const std::string& folder : folders) RemoveDirectoryA(("C:\\tarnwick-browse\\" + folder).c_str());
    RemoveDirectoryA("C:\\tarnwick-browse");
}

TEST_F(EditorFeatures, F1OpensTheHelpFileAndLoadsTheControlOnce) {
    const char* built = std::getenv("TARNWICK_HELP_DIRECTORY");
    ASSERT_NE(built, nullptr);
    editor.settings.helpPath = WindowsPath(built);
    ASSERT_TRUE(files.ReadFileBytes(HelpFilePath(editor.settings.helpPath)).has_value()) << HelpFilePath(editor.settings.helpPath);
    Command(CMD_HELP_CONTENTS);
    Command(CMD_HELP_CONTENTS);
    EXPECT_EQ(editor.help.LoadCount(), 1);
    std::string path;
    EXPECT_TRUE(FindHelpControlPath(path));
    HWND helpWindow = FindWindowA("HH Parent", nullptr);
    EXPECT_NE(helpWindow, nullptr);
    if (helpWindow) DestroyWindow(helpWindow);
}

// The control's registration pointing nowhere: found by its file name, or, where there is no
// such file either, the help command does nothing and never tries again.
TEST(HelpLoading, WrongRegistrationAndMissingControl) {
    const char* key = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
    std::string registered;
    const bool wasRegistered = FindHelpControlPath(registered);
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr), ERROR_SUCCESS);
    const char bogus[] = "C:\\nowhere\\hhctrl.ocx";
    RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(bogus), sizeof bogus);

    HelpLoader byName;
    byName.CallHtmlHelp(nullptr, "C:\\nowhere\\TarnwickHelp.chm", 0, 0);
    EXPECT_EQ(byName.LoadCount(), 1);

    HelpLoader missing("no-such-help-control.ocx");
    EXPECT_EQ(missing.CallHtmlHelp(nullptr, "C:\\nowhere\\TarnwickHelp.chm", 0, 0), nullptr);
    EXPECT_EQ(missing.CallHtmlHelp(nullptr, "C:\\nowhere\\TarnwickHelp.chm", 0, 0), nullptr);
    EXPECT_EQ(missing.LoadCount(), 0);
    EXPECT_EQ(missing.LoadAttempts(), 1);

    if (wasRegistered)
        RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(registered.c_str()),
                       static_cast<DWORD>(registered.size() + 1));
    RegCloseKey(handle);
    if (HWND help = FindWindowA("HH Parent", nullptr)) DestroyWindow(help);
}

}  // namespace
}  // namespace tarnwick::testing
