// Files on the real disk through the real window: files another program holds open without
// sharing are named at Open and at Save and left as they were; links, aliases of one file and
// other programs' edits never cost a file its content.

#include "editor.h"
#include "test_prompts.h"

#include "memory_registry.h"
#include "config_writer.h"
#include "resource.h"
#include "test_support.h"
#include "tree_walk.h"
#include "win32/win32_file_store.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarnwick::testing {
namespace {

// Another process that holds a file open, shared with nobody, until Release.
class FileHolder {
public:
    explicit FileHolder(const std::string& path) {
        char module[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        const std::string program = DirectoryOf(module) + "hold_file.exe";
        const std::string name = "tarnwick-hold-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(next_++);
        held_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-held").c_str());
        release_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-release").c_str());
        std::string command = "\"" + program + "\" \"" + path + "\" " + name;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process_))
            return;
        CloseHandle(process_.hThread);
        const HANDLE either[] = {held_, process_.hProcess};
        holding_ = WaitForMultipleObjects(2, either, FALSE, 20000) == WAIT_OBJECT_0;
    }
    ~FileHolder() {
        Release();
        CloseHandle(held_);
        CloseHandle(release_);
    }
    bool Holding() const { return holding_; }
    void Release() {
        if (!process_.hProcess) return;
        SetEvent(release_);
        if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
        holding_ = false;
    }

private:
    static inline int next_ = 0;
    HANDLE held_ = nullptr;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool holding_ = false;
};

class LockedFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareEditorWindows(); }

    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        scratch = std::string(temp) + "tarnwick-locked-" + std::to_string(GetCurrentProcessId()) + "\\";
        std::filesystem::create_directories(scratch);
        ASSERT_TRUE(files.ReplaceFileBytes(scratch + "httpd.conf", kHttpd));
        ASSERT_TRUE(files.ReplaceFileBytes(scratch + "srm.conf", kSrm));
        ASSERT_NE(CreateEditorWindow(editor), nullptr);
        editor.settings.confirmDelete = 0;
    }

    void TearDown() override {
        CloseEditorWindow(editor);
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }

    void Command(int command) { SendMessageA(editor.window, WM_COMMAND, MAKEWPARAM(command, 0), 0); }
    void Open(std::vector<std::string> names) {
        prompts.open = OpenSelection{scratch, std::move(names)};
        Command(CMD_OPEN);
    }
    void ChangePort(const char* port) {
        editor.items->SelectItem(FindItemByName(*editor.items, kNoItem, "Port"));
        SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, port);
        SendMessageA(editor.panes->OptionsPane(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    std::string OnDisk(const char* name) { return files.ReadFileBytes(scratch + name).value_or("<unreadable>"); }
    std::vector<std::string> Leftovers() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch)) names.push_back(entry.path().filename().string());
        return names;
    }

    static constexpr const char* kHttpd = "# the server\nPort 80\n\n<Directory />\n    Options None\n</Directory>\n";
    static constexpr const char* kSrm = "# documents\r\nDocumentRoot \"C:/web\"\r\n";
    std::string scratch;
    MemoryRegistry registry;
    Win32FileStore files;
    TestPrompts prompts;
    Editor editor{GetModuleHandleA(nullptr), registry, files, prompts};
};

TEST_F(LockedFiles, AFileHeldAtOpenIsNamedTheOthersOpenAndItIsLeftAsItWas) {
    FileHolder holder(scratch + "srm.conf");
    ASSERT_TRUE(holder.Holding());
    Open({"httpd.conf", "srm.conf"});
    ASSERT_EQ(prompts.unreadReports.size(), 1u);
    EXPECT_EQ(prompts.unreadReports[0], std::vector<std::string>{scratch + "srm.conf"});
    EXPECT_EQ(editor.items->GetItem(editor.items->FirstFileItem()).text, "httpd.conf");
    EXPECT_EQ(editor.items->NextSibling(editor.items->FirstFileItem()), kNoItem);

    ChangePort("8080");
    Command(CMD_SAVE);
    holder.Release();
    Command(CMD_SAVE);
    EXPECT_TRUE(prompts.unsavedReports.empty());
    EXPECT_EQ(OnDisk("srm.conf"), kSrm);  // byte for byte
    EXPECT_NE(OnDisk("httpd.conf").find("Port 8080\r\n"), std::string::npos);

    // Now that nothing holds it, opening it again reads it.
    Open({"srm.conf"});
    EXPECT_EQ(prompts.unreadReports.size(), 1u);
    EXPECT_NE(FindItemByName(*editor.items, kNoItem, "DocumentRoot"), kNoItem);
}

TEST_F(LockedFiles, AFileHeldAtSaveIsNamedAndLeftAsItWasUntilItIsFree) {
    Open({"httpd.conf"});
    ChangePort("8080");
    {
        FileHolder holder(scratch + "httpd.conf");
        ASSERT_TRUE(holder.Holding());
        Command(CMD_SAVE);
        ASSERT_EQ(prompts.unsavedReports.size(), 1u);
        ASSERT_EQ(prompts.unsavedReports[0].size(), 1u);
        EXPECT_EQ(prompts.unsavedReports[0][0].path, scratch + "httpd.conf");
        EXPECT_EQ(prompts.unsavedReports[0][0].problem, SaveProblem::CouldNotWrite);
    }
    EXPECT_EQ(OnDisk("httpd.conf"), kHttpd);
    EXPECT_EQ(Leftovers(), (std::vector<std::string>{"httpd.conf", "srm.conf"}));  // no temporary file
    EXPECT_TRUE(HasUnsavedChanges(*editor.document));

    Command(CMD_SAVE);
    EXPECT_EQ(prompts.unsavedReports.size(), 1u);
    EXPECT_NE(OnDisk("httpd.conf").find("Port 8080\r\n"), std::string::npos);
    EXPECT_FALSE(HasUnsavedChanges(*editor.document));
}

// Debian's layout on a real disk: a site enabled by a link into sites-available and a folder
// link that leads back up. Each file gets one item, and saving writes through the link.
TEST_F(LockedFiles, LinksLeadToOneItemAndSavingKeepsThem) {
    const std::optional<std::string> fixture = LinkFixture("apache2");
    if (!fixture) GTEST_SKIP() << "no symbolic link was made for this run (TARNWICK_LINK_FIXTURE)";
    const std::string root = *fixture;
    ASSERT_TRUE(files.ReplaceFileBytes(root + "available\\site.conf", "# the site\nServerName old.example\n"));
    ASSERT_TRUE(files.ReplaceFileBytes(root + "main.conf", "IncludeOptional enabled/*.conf\nInclude available\nInclude enabled\n"));
    ASSERT_EQ(files.IdentityOf(root + "enabled\\site.conf"), files.IdentityOf(root + "available\\site.conf"));
    prompts.open = OpenSelection{root, {"main.conf"}};
    Command(CMD_OPEN);
    Command(CMD_OPEN_INCLUDED);
    std::vector<std::string> items;
    for (ItemHandle file = editor.items->FirstFileItem(); file; file = editor.items->NextSibling(file))
        items.push_back(PathKey(FileItemTarget(*editor.document, file)));
    ASSERT_EQ(items, (std::vector<std::string>{PathKey(root + "main.conf"), PathKey(root + "enabled\\site.conf")}));

    editor.items->SelectItem(FindItemByName(*editor.items, kNoItem, "ServerName"));
    SetDlgItemTextA(editor.panes->OptionsPane(), IDC_PANE_VALUE, "new.example");
    Command(CMD_SAVE);
    EXPECT_TRUE(prompts.unsaved.empty());
    EXPECT_EQ(files.ReadFileBytes(root + "available\\site.conf"), "# the site\r\nServerName new.example\r\n");
    // Still a link: both names reach one file.
    EXPECT_EQ(files.IdentityOf(root + "enabled\\site.conf"), files.IdentityOf(root + "available\\site.conf"));
    EXPECT_EQ(files.ReadFileBytes(root + "main.conf"), "IncludeOptional enabled/*.conf\nInclude available\nInclude enabled\n");
}

// "httpd.conf." and "sub\\..\\httpd.conf" are httpd.conf to Windows: Open finds the open file,
// and a New File of that name is refused as a second item saved to it.
TEST_F(LockedFiles, AliasesOfAnOpenFileAreThatFile) {
    std::filesystem::create_directories(scratch + "sub");
    Open({"httpd.conf"});
    Open({"HTTPD.CONF.", "sub\\..\\httpd.conf ", ".\\httpd.conf"});
    ASSERT_EQ(editor.items->NextSibling(editor.items->FirstFileItem()), kNoItem);
    ChangePort("81");
    const ItemHandle alias = editor.items->InsertItem(kNoItem, InsertPosition::Last(), FileItemView("httpd.conf."));
    editor.items->InsertItem(alias, InsertPosition::Last(), ItemFields{"Listen", std::string("1"), kDirectiveImage, kDirectiveImage}.View());
    Command(CMD_SAVE);
    ASSERT_EQ(prompts.unsavedReports.size(), 1u);
    EXPECT_EQ(prompts.unsavedReports[0].size(), 2u);
    EXPECT_EQ(OnDisk("httpd.conf"), kHttpd);
}

// Another program writes a file between Open and Save: an untouched file is not written over,
// and a changed one is written only when the user says so.
TEST_F(LockedFiles, OtherProgramsEditsAreNotOverwrittenUnasked) {
    Open({"httpd.conf", "srm.conf"});
    ChangePort("8080");
    Sleep(20);  // file times must tell the writes apart
    ASSERT_TRUE(files.ReplaceFileBytes(scratch + "srm.conf", "# theirs\r\nDocumentRoot \"C:/theirs\"\r\n"));
    ASSERT_TRUE(files.ReplaceFileBytes(scratch + "httpd.conf", "# theirs too\nPort 81\n"));
    prompts.replaceAnswer = false;
    Command(CMD_SAVE);
    EXPECT_EQ(prompts.replaceQuestions, std::vector<std::string>{scratch + "httpd.conf"});
    EXPECT_EQ(OnDisk("httpd.conf"), "# theirs too\nPort 81\n");
    EXPECT_EQ(OnDisk("srm.conf"), "# theirs\r\nDocumentRoot \"C:/theirs\"\r\n");
    ASSERT_EQ(prompts.unsavedReports.size(), 1u);
    EXPECT_EQ(prompts.unsavedReports[0][0].problem, SaveProblem::KeptOtherVersion);
    prompts.replaceAnswer = true;
    Command(CMD_SAVE);
    EXPECT_EQ(prompts.replaceQuestions.size(), 2u);
    EXPECT_EQ(OnDisk("httpd.conf").substr(0, 25), "# the server\r\nPort 8080\r\n");
    EXPECT_EQ(OnDisk("srm.conf"), "# theirs\r\nDocumentRoot \"C:/theirs\"\r\n");
}

// A value typed into a pane and saved with Ctrl+S, as the message loop hands the key over.
TEST_F(LockedFiles, ATypedValueIsSavedWithCtrlS) {
    Open({"httpd.conf"});
    editor.items->SelectItem(FindItemByName(*editor.items, kNoItem, "Port"));
    const HWND field = GetDlgItem(editor.panes->OptionsPane(), IDC_PANE_VALUE);
    SetFocus(field);
    SetWindowTextA(field, "8081");
    const HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG message{field, WM_KEYDOWN, 'S', 1, 0, {}};
    const bool translated = TranslateAcceleratorA(editor.window, table, &message) != 0;
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    DestroyAcceleratorTable(table);
    ASSERT_TRUE(translated);
    EXPECT_EQ(OnDisk("httpd.conf"), "# the server\r\nPort 8081\r\n\r\n<Directory />\r\n    Options None\r\n</Directory>\r\n");
}

}  // namespace
}  // namespace tarnwick::testing
