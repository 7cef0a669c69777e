// Files another program holds open without sharing, on the real disk: the editor names them
// at Open and at Save, and leaves them exactly as they were.

#include "editor.h"
#include "test_prompts.h"

#include "memory_registry.h"
#include "resource.h"
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

}  // namespace
}  // namespace tarnwick::testing
