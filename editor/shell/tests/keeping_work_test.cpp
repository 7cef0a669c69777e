// Paths on which a user's work could be lost, driven through the real main window: files that
// cannot be read, two items saving to one file, closing with unsaved changes, and the Yes/No
// pane's choice.

#include "main_window_fixture.h"

#include "config_writer.h"
#include "new_files.h"
#include "tree_editing.h"

#include <functional>

namespace tarnwick::testing {
namespace {

class KeepingWork : public MainWindow {
protected:
    void NewFile(const char* name) {
        DialogScript script({{"New File(s)...", [name](HWND dialog) {
                                  SetDlgItemTextA(dialog, IDC_NAME_COMBO, name);
                                  Click(dialog, IDOK);
                              }}});
        Command(CMD_NEW_FILE);
        EXPECT_TRUE(script.Finished());
    }

    std::vector<std::string> FileItems() {
        std::vector<std::string> names;
        for (ItemHandle file = editor.items->FirstFileItem(); file; file = editor.items->NextSibling(file))
            names.emplace_back(editor.items->GetItem(file).text);
        return names;
    }

    void Close() { SendMessageA(editor.window, WM_CLOSE, 0, 0); }
    bool Changed() { return HasUnsavedChanges(*editor.document); }
    std::string OnDisk(const char* path) { return files.ReadFileBytes(path).value_or("<missing>"); }
};

TEST_F(KeepingWork, FilesThatCannotBeReadAreNamedAtOnceAndNeverWrittenOver) {
    files.MakeUnreadable("C:\\conf\\srm.conf");
    prompts.open = OpenSelection{"C:\\conf\\", {"httpd.conf", "srm.conf", "gone.conf"}};
    Command(CMD_OPEN);
    ASSERT_EQ(prompts.unreadReports.size(), 1u);  // one message for all of them
    EXPECT_EQ(prompts.unreadReports[0], (std::vector<std::string>{"C:\\conf\\srm.conf", "C:\\conf\\gone.conf"}));
    EXPECT_EQ(FileItems(), std::vector<std::string>{"httpd.conf"});

    Select(Find("Port"));
    SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, "8080");
    ClickUpdate(editor.panes->OptionsPane());
    Command(CMD_SAVE);
    EXPECT_TRUE(prompts.unsaved.empty());
    EXPECT_FALSE(files.Exists("C:\\conf\\gone.conf"));

    // The cause goes away: the file is as it was; opening again reads it, and nothing more is
    // reported.
    files.ClearFailures("C:\\conf\\srm.conf");
    EXPECT_EQ(OnDisk("C:\\conf\\srm.conf"), "DocumentRoot \"C:/web\"\nKeepAlive yes\n");
    prompts.open = OpenSelection{"C:\\conf\\", {"srm.conf"}};
    Command(CMD_OPEN);
    EXPECT_EQ(prompts.unreadReports.size(), 1u);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "srm.conf"}));
    EXPECT_NE(Find("DocumentRoot"), kNoItem);
}

TEST_F(KeepingWork, NewFileThenOpenOfTheSameFileLosesNothing) {
    editor.document->configDirectory = "C:\\conf\\";
    // An empty new file and the file of that name: the file's content is read into the item.
    NewFile("httpd.conf");
    prompts.open = OpenSelection{"C:\\conf\\", {"httpd.conf"}};
    Command(CMD_OPEN);
    EXPECT_EQ(FileItems(), std::vector<std::string>{"httpd.conf"});
    Command(CMD_CRLF);  // LF, as the file was written
    Command(CMD_SAVE);
    EXPECT_TRUE(prompts.unsaved.empty());
    EXPECT_EQ(OnDisk("C:\\conf\\httpd.conf"), "Port 80\nKeepAlive ON\n<Directory />\nOptions None\n</Directory>\n");

    // A new file with content of its own is not mixed with the file on disk: both stay in the
    // tree, and Save writes neither of them over the other, naming the clash.
    NewFile("srm.conf");
    editor.items->InsertItem(editor.items->FirstFileItem(), InsertPosition::Last(),
                             ItemFields{"ServerName", std::string("mine"), kDirectiveImage, kDirectiveImage}.View());
    prompts.open = OpenSelection{"C:\\conf\\", {"srm.conf"}};
    Command(CMD_OPEN);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"srm.conf", "httpd.conf", "srm.conf"}));
    Command(CMD_SAVE);
    ASSERT_EQ(prompts.unsavedReports.size(), 1u);
    ASSERT_EQ(prompts.unsavedReports[0].size(), 2u);
    for (const UnsavedFile& file : prompts.unsavedReports[0]) {
        EXPECT_EQ(file.path, "C:\\conf\\srm.conf");
        EXPECT_EQ(file.problem, SaveProblem::SharedTarget);
    }
    EXPECT_EQ(OnDisk("C:\\conf\\srm.conf"), "DocumentRoot \"C:/web\"\nKeepAlive yes\n");
    EXPECT_EQ(Value(Find("ServerName")), "mine");
}

TEST_F(KeepingWork, ClosingWithoutChangesDoesNotAsk) {
    OpenBoth();
    Close();
    EXPECT_EQ(prompts.saveQuestions, 0);
    EXPECT_EQ(editor.window, nullptr);
}

// Each answer to the question on closing does what it says.
struct CloseCase {
    const char* name;
    SaveChangesAnswer answer;
    bool saveFails;
    bool closes;
    const char* portOnDisk;
};

class ClosingWithChanges : public KeepingWork, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingWithChanges, AnswerDecides) {
    const CloseCase& test = GetParam();
    OpenBoth();
    Select(Find("Port"));
    SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, "8080");
    ClickUpdate(editor.panes->OptionsPane());
    if (test.saveFails) {
        // A change that has to go into a file that cannot be written.
        editor.items->SetItemValue(Find("DocumentRoot"), "\"C:/other\"");
        files.MakeReadOnly("C:\\conf\\srm.conf");
    }
    prompts.saveAnswer = test.answer;
    Command(CMD_EXIT);  // Exit closes as the close box does
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_EQ(editor.window == nullptr, test.closes);
    const std::string httpd = OnDisk("C:\\conf\\httpd.conf");
    EXPECT_EQ(httpd.substr(0, httpd.find('\n') + 1), test.portOnDisk);
    EXPECT_EQ(prompts.unsavedReports.size(), test.saveFails ? 1u : 0u);
    if (editor.window) {
        EXPECT_TRUE(Changed());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ClosingWithChanges,
    ::testing::Values(CloseCase{"Yes", SaveChangesAnswer::Save, false, true, "Port 8080\r\n"},
                      CloseCase{"YesButASaveFails", SaveChangesAnswer::Save, true, false, "Port 8080\r\n"},
                      CloseCase{"No", SaveChangesAnswer::Discard, false, true, "Port 80\n"},
                      CloseCase{"Cancel", SaveChangesAnswer::Cancel, false, false, "Port 80\n"}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(KeepingWork, EndingTheSessionAsksLikeClosing) {
    OpenBoth();
    EXPECT_EQ(SendMessageA(editor.window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(prompts.saveQuestions, 0);
    DeleteConfigItem(*editor.document, Find("Port"));
    prompts.saveAnswer = SaveChangesAnswer::Cancel;
    EXPECT_EQ(SendMessageA(editor.window, WM_QUERYENDSESSION, 0, 0), FALSE);
    prompts.saveAnswer = SaveChangesAnswer::Discard;
    EXPECT_EQ(SendMessageA(editor.window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(prompts.saveQuestions, 2);
}

// What sets the changed flag: every change a save would write, made as the user makes it.
TEST_F(KeepingWork, EveryEditThatASaveWouldWriteCountsAsAChange) {
    registry.Put(RegistryRoot::LocalMachine, kTemplateListKey, NumberValue("A number", kNumericalPane));
    files.AddFile("C:\\dist\\httpd.conf-dist-win", "Port 80\n");
    const std::pair<const char*, std::function<void()>> edits[] = {
        {"Update", [&] {
             Select(Find("DocumentRoot"));
             SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, "\"C:/other\"");
             ClickUpdate(editor.panes->OptionsPane());
         }},
        {"New Item", [&] {
             Select(editor.items->FirstFileItem());
             DialogScript script({{"Add New Configuration Item", [](HWND dialog) {
                                       SetDlgItemTextA(dialog, IDC_NAME_COMBO, "Timeout");
                                       Click(dialog, IDOK);
                                   }}});
             Command(CMD_NEW_ITEM);
         }},
        {"Delete", [&] {
             Select(Find("Options"));
             Command(CMD_DELETE_ITEM);
         }},
        {"a move", [&] { MoveItem(*editor.items, Find("Directory"), Find("KeepAlive")); }},
        {"Quick Config", [&] {
             DialogScript script({{"Quick Configuration...", [](HWND dialog) { Click(dialog, IDOK); }}});
             Command(CMD_QUICK_CONFIG);
         }},
        {"New File", [&] { NewFile("extra.conf"); }},
    };
    for (const auto& [name, edit] : edits) {
        CloseEditorWindow(editor);
        ASSERT_NE(CreateEditorWindow(editor), nullptr);
        editor.settings.confirmDelete = 0;
        editor.settings.defaultConfigFilePath = "C:\\dist\\";
        OpenBoth();
        EXPECT_FALSE(Changed()) << "after Open, before " << name;
        edit();
        EXPECT_TRUE(Changed()) << name;
        Command(CMD_SAVE);
        EXPECT_FALSE(Changed()) << "saved after " << name;
    }

    // Looking is not changing: selecting, switching tabs, Set Template, opening more files.
    Select(Find("Port"));
    ChooseTab(kInformationTab);
    DialogScript script({{"Set Template Info...", [](HWND dialog) {
                              SendMessageA(GetDlgItem(dialog, IDC_TEMPLATE_LIST), LB_SETCURSEL, 0, 0);
                              Click(dialog, IDOK);
                          }}});
    Click(editor.panes->InformationPane(), IDC_INFO_SET_TEMPLATE);
    EXPECT_TRUE(script.Finished());
    ChooseTab(kOptionsTab);
    files.AddFile("C:\\conf\\access.conf", "Order allow,deny\n");
    prompts.open = OpenSelection{"C:\\conf\\", {"access.conf"}};
    Command(CMD_OPEN);
    EXPECT_FALSE(Changed());
}

// Through the window: an edit changes its own line only; with "Keep comments and layout"
// turned off in the Options dialog, Save writes plain lines as it always did.
TEST_F(KeepingWork, SavingKeepsCommentsAndLayoutUnlessTurnedOff) {
    const std::string original = "# The port\r\n  Port 80   \r\n\r\n<Directory />\r\n\t# none\r\n\tOptions None\r\n</Directory>\r\n";
    files.AddFile("C:\\conf\\mine.conf", original);
    prompts.open = OpenSelection{"C:\\conf\\", {"mine.conf"}};
    Command(CMD_OPEN);
    Command(CMD_SAVE);
    EXPECT_EQ(OnDisk("C:\\conf\\mine.conf"), original);
    Select(Find("Options"));
    ChooseTab(kDefaultTab);
    SetDlgItemTextA(editor.panes->DefaultPane(), IDC_PANE_VALUE, "Indexes");
    ClickUpdate(editor.panes->DefaultPane());
    Command(CMD_SAVE);
    EXPECT_EQ(OnDisk("C:\\conf\\mine.conf"),
              "# The port\r\n  Port 80   \r\n\r\n<Directory />\r\n\t# none\r\n\tOptions Indexes\r\n</Directory>\r\n");

    DialogScript script({{"Options...", [](HWND dialog) {
                              CheckDlgButton(dialog, IDC_OPT_KEEP_LAYOUT, BST_UNCHECKED);
                              Click(dialog, IDOK);
                          }}});
    ShowOptionsDialog(editor);
    EXPECT_EQ(editor.settings.keepLayout, 0u);
    // The setting alone changes no file; the next change writes plain lines.
    Command(CMD_SAVE);
    EXPECT_EQ(OnDisk("C:\\conf\\mine.conf"),
              "# The port\r\n  Port 80   \r\n\r\n<Directory />\r\n\t# none\r\n\tOptions Indexes\r\n</Directory>\r\n");
    SetDlgItemTextA(editor.panes->DefaultPane(), IDC_PANE_VALUE, "None");
    ClickUpdate(editor.panes->DefaultPane());
    Command(CMD_SAVE);
    EXPECT_EQ(OnDisk("C:\\conf\\mine.conf"), "Port 80\r\n<Directory />\r\nOptions None\r\n</Directory>\r\n");
}

TEST_F(KeepingWork, YesNoPaneShowsTheChoiceTheValueMakes) {
    files.AddFile("C:\\conf\\switches.conf",
                  "HostnameLookups yes\nHostnameLookups \"Off\"\nHostnameLookups maybe\nHostnameLookups 1\n");
    prompts.open = OpenSelection{"C:\\conf\\", {"switches.conf"}};
    Command(CMD_OPEN);
    const ItemHandle file = editor.items->FirstFileItem();
    std::vector<ItemHandle> items;
    for (ItemHandle item = editor.items->FirstChild(file); item; item = editor.items->NextSibling(item))
        items.push_back(item);
    ASSERT_EQ(items.size(), 4u);
    const auto checked = [this] {
        const HWND pane = editor.panes->OptionsPane();
        return std::pair(IsDlgButtonChecked(pane, IDC_PANE_FIRST_CHOICE) == BST_CHECKED,
                         IsDlgButtonChecked(pane, IDC_PANE_SECOND_CHOICE) == BST_CHECKED);
    };
    // The same pane window serves all four: nothing of one item's choice stays for the next.
    const std::pair<bool, bool> expected[] = {{true, false}, {false, true}, {false, false}, {true, false}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        Select(items[i]);
        EXPECT_EQ(editor.panes->CurrentTemplate(), kYesNoPane);
        EXPECT_EQ(checked(), expected[i]) << i;
    }
    // No choice: "&Update" keeps the value.
    Select(items[2]);
    ClickUpdate(editor.panes->OptionsPane());
    EXPECT_EQ(Value(items[2]), "maybe");
    CheckRadioButton(editor.panes->OptionsPane(), IDC_PANE_FIRST_CHOICE, IDC_PANE_SECOND_CHOICE, IDC_PANE_SECOND_CHOICE);
    ClickUpdate(editor.panes->OptionsPane());
    EXPECT_EQ(Value(items[2]), "Off");
}

// A value typed into a pane is the user's change: saving, selecting another item and closing
// store it as "&Update" would. A pane the user did not touch stores nothing.
TEST_F(KeepingWork, ATypedValueIsStoredOnSaveSelectionAndClose) {
    OpenBoth();
    const HWND options = editor.panes->OptionsPane();
    Select(Find("Port"));
    SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, "8080");  // typed, no Update
    Command(CMD_SAVE);
    EXPECT_EQ(OnDisk("C:\\conf\\httpd.conf"), "Port 8080\r\nKeepAlive ON\r\n<Directory />\r\nOptions None\r\n</Directory>\r\n");

    Select(Find("DocumentRoot"));
    SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, "\"C:/other\"");
    Select(Find("Port"));
    EXPECT_EQ(Value(Find("DocumentRoot")), "\"C:/other\"");
    EXPECT_NE(options, nullptr);

    // Shown and left untouched: "ON" stays "ON", although the On/Off pane would store "On".
    Select(Find("KeepAlive"));
    Select(Find("Port"));
    EXPECT_EQ(Value(Find("KeepAlive")), "ON");

    // Typed and then the window closed: that is a change to save, and the question comes.
    Command(CMD_SAVE);
    Select(Find("Port"));
    SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, "81");
    prompts.saveAnswer = SaveChangesAnswer::Save;
    Close();
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_EQ(OnDisk("C:\\conf\\httpd.conf").substr(0, 9), "Port 81\r\n");
}

// A changed Numerical pane must hold a whole number from 0 to 32767: otherwise the user is told,
// and the save or the new selection does not go ahead. Escape brings the stored value back.
TEST_F(KeepingWork, ANumberThatIsNoneStopsTheActionAndEscapeRestores) {
    OpenBoth();
    const ItemHandle port = Find("Port");
    Select(port);
    const HWND field = GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE);
    SetWindowTextA(field, "80a");
    std::string said;
    const auto answer = [&said](HWND box) {
        said = WindowText(GetDlgItem(box, 0xFFFF));
        Click(box, IDOK);
    };
    {
        DialogScript script({{"Update", answer}});
        Command(CMD_SAVE);
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(said, "80a is not a number from 0 to 32767.");
    EXPECT_EQ(OnDisk("C:\\conf\\httpd.conf").substr(0, 8), "Port 80\n");
    {
        said.clear();
        DialogScript script({{"Update", answer}});
        Select(Find("DocumentRoot"));
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(said, "80a is not a number from 0 to 32767.");
    EXPECT_EQ(editor.items->SelectedItem(), port);
    SetWindowTextA(field, "40000");
    {
        DialogScript script({{"Update", answer}});
        ClickUpdate(editor.panes->OptionsPane());
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(Value(port), "80");

    // Escape: the stored value again, the focus on the tree, and nothing left to store.
    SetFocus(field);
    SendMessageA(field, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(WindowText(field), "80");
    EXPECT_EQ(GetFocus(), editor.tree);
    EXPECT_FALSE(editor.panes->HasChangedPane());
    // Escape asks the field, not the pane: the Directory pane's id 2 ("&Copy") is not pressed.
    MSG escape{field, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(SendMessageA(field, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)) & DLGC_WANTMESSAGE);
    Select(Find("DocumentRoot"));
    EXPECT_EQ(Value(port), "80");
    EXPECT_FALSE(Changed());
}

}  // namespace
}  // namespace tarnwick::testing
