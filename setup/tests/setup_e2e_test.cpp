// The real Setup.exe, started as its own process in a scratch start directory and driven as a
// user would: this program finds its windows by caption and presses their buttons, then looks
// at what the installation left on the machine.

#include "removal_actions.h"
#include "resource.h"
#include "win32_platform.h"

#include <gtest/gtest.h>

#include "window_driving.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace window_driving;

std::string Built(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? WindowsPath(value) : std::string();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text of a dialog's control, as the user reads it.
std::string ItemText(HWND dialog, int id) {
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The system's own words for an error code, as setup reports them.
std::string SystemText(DWORD code) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text, nullptr);
    std::string words = text;
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) words.pop_back();
    return words;
}

std::optional<std::pair<DWORD, std::string>> RegistryValue(HKEY root, const char* key, const char* name) {
    HKEY open = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &open) != ERROR_SUCCESS) return std::nullopt;
    char data[2048];
    DWORD size = sizeof data, type = 0;
    const LONG status = RegQueryValueExA(open, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(open);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::make_pair(type, std::string(data, size));
}

struct ShortcutFields {
    std::string target, arguments, workingDirectory, description;
};

std::optional<ShortcutFields> ReadShortcut(const std::string& path) {
    CoInitialize(nullptr);
    std::optional<ShortcutFields> fields;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = {};
            ShortcutFields read;
            link->GetPath(text, MAX_PATH, nullptr, 0);
            read.target = text;
            link->GetArguments(text, MAX_PATH);
            read.arguments = text;
            link->GetWorkingDirectory(text, MAX_PATH);
            read.workingDirectory = text;
            link->GetDescription(text, MAX_PATH);
            read.description = text;
            fields = read;
        }
        if (file) file->Release();
        link->Release();
    }
    CoUninitialize();
    return fields;
}

std::string ShellFolder(const char* name) {
    const auto value = RegistryValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", name);
    if (!value) return {};
    char expanded[MAX_PATH] = {};
    ExpandEnvironmentStringsA(value->second.c_str(), expanded, MAX_PATH);
    return expanded;
}

class SetupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        start = std::string(temp) + "kelsetup-e2e-" + std::to_string(GetCurrentProcessId());
        std::filesystem::create_directories(start);
        installDir = "C:\\KelSetupTest" + std::to_string(GetCurrentProcessId());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(start, ignored);
        std::filesystem::remove_all(installDir, ignored);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KelSetupTest");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KelSetupTest");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KelTest");
    }

    PROCESS_INFORMATION Start(const std::string& arguments = "") {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::string command = "\"" + Built("SETUP_EXE") + "\"" + (arguments.empty() ? "" : " " + arguments);
        EXPECT_TRUE(CreateProcessA(Built("SETUP_EXE").c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   start.c_str(), &startup, &process));
        return process;
    }

    bool Ends(PROCESS_INFORMATION& process, DWORD milliseconds = 20000) {
        const bool ended = WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return ended;
    }

    // Drives an installation as a user would: the install dialog, with its fields set by
    // `choose`, then the finish dialog. What the run could not do comes first, in a message
    // box whose text is kept in `problems`. True when the installer ended.
    bool InstallWith(const std::function<void(HWND)>& choose) {
        PROCESS_INFORMATION process = Start();
        HWND dialog = WaitForWindow("KelTest Setup");
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return Ends(process, 0);
        SetDlgItemTextA(dialog, 1000, installDir.c_str());
        choose(dialog);
        Press(dialog, IDOK);
        return Finishes(process, "Install...");
    }

    // Starts setup on a script that asks for more room than any disk has, gives the install
    // directory and presses Next: the free-space question comes up over the dialog.
    void NextToTheFreeSpaceQuestion(PROCESS_INFORMATION& process, HWND& dialog, HWND& question) {
        process = Start();
        dialog = WaitForWindow("KelTest Setup");
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextA(dialog, 1000, installDir.c_str());
        Press(dialog, IDOK);
        question = WaitForWindow("Not enough free space...");
        ASSERT_NE(question, nullptr);
    }

    // Answers the message of what failed, if one comes, and the finish dialog of `caption`.
    bool Finishes(PROCESS_INFORMATION& process, const char* caption) {
        problems.clear();
        HWND finish = WaitForWindowPast(caption, "Setup error...", problems);
        EXPECT_NE(finish, nullptr) << caption;
        if (finish) Press(finish, IDOK);
        return Ends(process);
    }

    static constexpr int kMessageText = 0xFFFF;  // a message box's text control
    std::string problems;  // the text of the last message of what failed, if any

    std::string start;
    std::string installDir;
};

TEST_F(SetupProgram, StartUpErrorsEndTheRun) {
    PROCESS_INFORMATION missing = Start();
    HWND box = WaitForWindow("Setup error...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, kMessageText), "Setup could not find it's initalization file, please try again.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Ends(missing));

    WriteText(start + "\\setup.txt", "KelSetup:CopyFile\n.\\\na.txt\n");
    PROCESS_INFORMATION broken = Start();
    box = WaitForWindow("Setup error...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, kMessageText), "Setup found an error in the setup file, please try again.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Ends(broken));
}

TEST_F(SetupProgram, InstallsEverySectionAsAUserDrivesIt) {
    const std::string system = installDir + "\\System";
    std::filesystem::create_directories(system);
    // A system file whose destination holds another version: the conflict dialog must come.
    CopyFileA(Built("TARNWICK_EXE").c_str(), (start + "\\shared.dll").c_str(), FALSE);
    char windows[MAX_PATH] = {};
    GetSystemDirectoryA(windows, MAX_PATH);
    CopyFileA((std::string(windows) + "\\comctl32.dll").c_str(), (system + "\\shared.dll").c_str(), FALSE);
    WriteText(start + "\\program.exe", "not really a program");
    WriteText(start + "\\httpd.conf-dist-win", "Port 80\n");
    // One page in the system's code page (Windows-1252 under Wine's default locale), one in UTF-8.
    WriteText(start + "\\legal.txt", "Licence \xA9 Zo\xEB\r\n");
    WriteText(start + "\\readme.txt", "\xEF\xBB\xBFRead me, Zo\xC3\xAB\r\n");
    const std::string script =
        "KelSetup:SetupInfo\nKelTest\nprogram.exe\nHKEY_LOCAL_MACHINE\\SOFTWARE\\KelSetupTest\nInstallDir\nC:\\Nowhere\n"
        "1\n1\n0\n1\n0\nKelTest Setup\nKelTest Uninstall\nKelTest has been installed.\nKelTest has been removed.\n1\n\n"
        "KelSetup:AddDirectory\nConf\n\n"
        "KelSetup:CopyFile\n.\\\nprogram.exe\nConf\nhttpd.conf-dist-win\n\n"
        "KelSetup:RenameFile\nConf\\httpd.conf-dist-win\nConf\\httpd.conf\n\n"
        "KelSetup:RegistryKey\nHKEY_CURRENT_USER\\Software\\KelSetupTest\n\n"
        "KelSetup:RegistryValue\n"
        "HKEY_CURRENT_USER\\Software\\KelSetupTest\nText\nREG_SZ\n%InstallDir%Conf\n"
        "HKEY_CURRENT_USER\\Software\\KelSetupTest\nNumber\nREG_DWORD\n-1\n"
        "HKEY_CURRENT_USER\\Software\\KelSetupTest\nBig\nREG_DWORD_BIG_ENDIAN\n258\n"
        "HKEY_CURRENT_USER\\Software\\KelSetupTest\nBytes\nREG_BINARY\n255000016\n"
        "HKEY_CURRENT_USER\\Software\\KelSetupTest\nExpand\nREG_EXPAND_SZ\n%PATH%\n"
        "HKEY_CURRENT_USER\\Software\\KelSetupTest\nList\nREG_MULTI_SZ\none\n\n"
        "KelSetup:RegistryStringStart\nHKEY_CURRENT_USER\\Software\\KelSetupTest\nBlock\n  first\nsecond  \n"
        "KelSetup:RegistryStringEnd\n\n"
        "KelSetup:StartMenu\nprogram.exe\n-start\nKelTest Start\n\n"
        "KelSetup:AddProgram\nprogram.exe\n-x %InstallDir%Conf\nKelTest Program\n\n"
        "KelSetup:SystemFile\n%InstallDir%System\nshared.dll\n\n"
        "KelSetup:InstallExecute\n" + std::string(windows) + "\\cmd.exe\n/c echo done> %InstallDir%executed.txt\n";
    WriteText(start + "\\setup.txt", script);

    PROCESS_INFORMATION process = Start();
    const auto shown = [](HWND page) {
        wchar_t text[64] = {};
        // From another process only WM_GETTEXT reads a control's text.
        SendMessageW(GetDlgItem(page, IDC_PAGE_TEXT), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    HWND page = WaitForWindow("KelTest legal information...");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(shown(page), L"Licence \u00A9 Zo\u00EB\r\n");
    Press(page, IDOK);
    page = WaitForWindow("KelTest setup information...");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(shown(page), L"Read me, Zo\u00EB\r\n");
    Press(page, IDOK);
    HWND dialog = WaitForWindow("KelTest Setup");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, 1000), "C:\\Nowhere");
    EXPECT_EQ(SendDlgItemMessageA(dialog, 1002, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 1004, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(ItemText(dialog, 1011), "KelTest");
    SetDlgItemTextA(dialog, 1000, installDir.c_str());
    SetDlgItemTextA(dialog, 1011, "KelTest Group");
    Press(dialog, IDOK);
    HWND conflict = WaitForWindow("System File Version Conflict...");
    ASSERT_NE(conflict, nullptr);
    EXPECT_EQ(ItemText(conflict, 1033), "1.0.0.0");
    // The run works on its own thread: what it reported last is on show before it asks.
    HWND progress = FindWindowA(nullptr, "Installation Progress...");
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(IsWindowVisible(progress));
    EXPECT_EQ(ItemText(progress, 1025), "Installing system file:");
    EXPECT_EQ(ItemText(progress, 1022), "shared.dll");
    Press(conflict, IDOK);
    HWND finish = WaitForWindow("Install...");
    ASSERT_NE(finish, nullptr);
    EXPECT_EQ(ItemText(finish, 1025), "KelTest has been installed.");
    Press(finish, IDOK);
    EXPECT_TRUE(Ends(process));

    // Files, the rename and the system file.
    EXPECT_EQ(ReadText(installDir + "\\program.exe"), "not really a program");
    EXPECT_EQ(ReadText(installDir + "\\Conf\\httpd.conf"), "Port 80\n");
    EXPECT_FALSE(std::filesystem::exists(installDir + "\\Conf\\httpd.conf-dist-win"));
    EXPECT_EQ(ReadText(system + "\\shared.dll"), ReadText(Built("TARNWICK_EXE")));
    // Registry values, with their types and bytes.
    const char* key = "Software\\KelSetupTest";
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, key, "Text"), std::make_pair(DWORD{REG_SZ}, installDir + "\\Conf" + '\0'));
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, key, "Number"), std::make_pair(DWORD{REG_DWORD}, std::string(4, '\xff')));
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, key, "Big"),
              std::make_pair(DWORD{REG_DWORD_BIG_ENDIAN}, std::string("\0\0\x01\x02", 4)));
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, key, "Bytes"), std::make_pair(DWORD{REG_BINARY}, std::string("\xff\0\x10", 3)));
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, key, "Expand"), std::make_pair(DWORD{REG_EXPAND_SZ}, std::string("%PATH%\0", 7)));
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, key, "List"), std::make_pair(DWORD{REG_MULTI_SZ}, std::string("one\0\0", 5)));
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, key, "Block"), std::make_pair(DWORD{REG_SZ}, std::string("first\nsecond\0", 13)));
    // Shortcuts, read back through the shell-link object.
    const auto startup = ReadShortcut(ShellFolder("Startup") + "\\KelTest Start.lnk");
    ASSERT_TRUE(startup.has_value());
    EXPECT_EQ(startup->arguments, "-start");
    EXPECT_EQ(startup->workingDirectory, installDir);
    EXPECT_EQ(startup->description, "KelTest Start");
    const std::string programLink = ShellFolder("Programs") + "\\KelTest Group\\KelTest Program.lnk";
    const auto program = ReadShortcut(programLink);
    ASSERT_TRUE(program.has_value());
    EXPECT_NE(program->target.find("program.exe"), std::string::npos);
    EXPECT_EQ(program->arguments, "-x " + installDir + "\\Conf");
    EXPECT_EQ(program->description, "KelTest Program");
    DeleteFileA((ShellFolder("Startup") + "\\KelTest Start.lnk").c_str());
    DeleteFileA(programLink.c_str());
    RemoveDirectoryA((ShellFolder("Programs") + "\\KelTest Group").c_str());
    // The uninstall entry, the remembered directory, the script copy.
    const char* uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KelTest";
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"), std::make_pair(DWORD{REG_SZ}, std::string("KelTest\0", 8)));
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, uninstall, "UninstallString")->second,
              "\"" + installDir + "\\Setup.exe\" " + installDir + '\0');
    // Written without a terminating zero; Wine's registry adds one to string data, Windows does not.
    const std::string remembered = RegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KelSetupTest", "InstallDir")->second;
    EXPECT_EQ(remembered.substr(0, remembered.find('\0')), installDir);
    EXPECT_EQ(ReadText(installDir + "\\setup.txt"),
              script + "\r\n\r\nKelSetup:GroupName\r\nKelTest Group\r\n\r\nKelSetup:CopyFile\r\n.\\\r\nsetup.txt\r\n");
    // The deferred program ran after the walk.
    for (int wait = 0; wait < 100 && !std::filesystem::exists(installDir + "\\executed.txt"); ++wait)
        std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(std::filesystem::exists(installDir + "\\executed.txt"));
}

TEST_F(SetupProgram, CancelOnATextPageAsksFirst) {
    WriteText(start + "\\legal.txt", "Licence\r\n");
    WriteText(start + "\\setup.txt",
              "KelSetup:SetupInfo\nKelTest\nx.exe\nHKEY_LOCAL_MACHINE\\SOFTWARE\\KelSetupTest\nDir\nC:\\X\n0\n0\n0\n0\n0\n"
              "T\nU\nI\nR\n0\nKelSetup:AddDirectory\nA\n");
    PROCESS_INFORMATION process = Start();
    HWND page = WaitForWindow("KelTest legal information...");
    ASSERT_NE(page, nullptr);
    Press(page, IDCANCEL);
    HWND alert = WaitForWindow("Alert!");
    ASSERT_NE(alert, nullptr);
    PostMessageA(alert, WM_COMMAND, IDNO, 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(IsWindowVisible(page));  // No: the page stays
    Press(page, IDCANCEL);
    alert = WaitForWindow("Alert!");
    ASSERT_NE(alert, nullptr);
    PostMessageA(alert, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(Ends(process));
    EXPECT_FALSE(std::filesystem::exists("C:\\X"));  // nothing installed
}

std::string SimpleScript(const std::string& required, const std::string& extra = "") {
    return "KelSetup:SetupInfo\nKelTest\nx.exe\nHKEY_LOCAL_MACHINE\\SOFTWARE\\KelSetupTest\nDir\nC:\\X\n0\n0\n0\n1\n0\n"
           "KelTest Setup\nU\nDone.\nR\n" + required + "\nKelSetup:AddDirectory\nA\n" + extra;
}

TEST_F(SetupProgram, FreeSpaceQuestionNoStaysYesInstalls) {
    WriteText(start + "\\setup.txt", SimpleScript("4294967295"));
    PROCESS_INFORMATION process{};
    HWND dialog = nullptr, question = nullptr;
    ASSERT_NO_FATAL_FAILURE(NextToTheFreeSpaceQuestion(process, dialog, question));
    PostMessageA(question, WM_COMMAND, IDNO, 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(IsWindowVisible(dialog));  // No: back in the dialog, nothing installed
    EXPECT_FALSE(std::filesystem::exists(installDir + "\\A"));
    Press(dialog, IDOK);
    question = WaitForWindow("Not enough free space...");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    HWND finish = WaitForWindow("Install...");
    ASSERT_NE(finish, nullptr);
    Press(finish, IDOK);
    EXPECT_TRUE(Ends(process));
    EXPECT_TRUE(std::filesystem::exists(installDir + "\\A"));
}

TEST_F(SetupProgram, FolderListOffersExistingFoldersAndTheProduct) {
    const std::string programs = ShellFolder("Programs");
    const std::string mine = "KelFolderTest" + std::to_string(GetCurrentProcessId());
    for (const std::string& folder : {mine, std::string("kellaunch"), std::string(".dotted")})
        CreateDirectoryA((programs + "\\" + folder).c_str(), nullptr);
    WriteText(start + "\\setup.txt", SimpleScript("0"));
    PROCESS_INFORMATION process = Start();
    HWND dialog = WaitForWindow("KelTest Setup");
    ASSERT_NE(dialog, nullptr);
    HWND combo = GetDlgItem(dialog, 1011);
    const auto has = [combo](const std::string& name) {
        return SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str())) != CB_ERR;
    };
    EXPECT_TRUE(has(mine));
    EXPECT_TRUE(has("KelTest"));
    EXPECT_FALSE(has("kellaunch"));
    EXPECT_FALSE(has(".dotted"));
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(Ends(process));
    for (const std::string& folder : {mine, std::string("kellaunch"), std::string(".dotted")})
        RemoveDirectoryA((programs + "\\" + folder).c_str());
}

TEST_F(SetupProgram, BadRecordsDoNotStopTheRun) {
    WriteText(start + "\\setup.txt",
              SimpleScript("0", "KelSetup:CopyFile\n.\\\nmissing.txt\nnowhere\\deeper\nmissing2.txt\n"
                                "KelSetup:RegistryValue\nHKEY_LOCAL_MACHINE\\No\\Such\\Key\nV\nREG_SZ\nx\n"
                                "KelSetup:AddProgram\nx.exe\n\nShortcut\n"));
    EXPECT_TRUE(InstallWith([](HWND dialog) { SetDlgItemTextA(dialog, 1011, "KelTest\\Nested\\Group"); }));
    // The run went on past each failure, and then said which steps failed and why.
    const std::string notFound = SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(problems, "Setup could not complete these steps:\n"
                        "\nCopying file " + installDir + "\\.\\missing.txt: " + notFound +
                        "\nCopying file " + installDir + "\\nowhere\\deeper\\missing2.txt: " + notFound +
                        "\nSetting registry value V in HKEY_LOCAL_MACHINE\\No\\Such\\Key: " + notFound);
    const std::string group = ShellFolder("Programs") + "\\KelTest\\Nested\\Group";
    EXPECT_TRUE(std::filesystem::exists(group + "\\Shortcut.lnk"));
    DeleteFileA((group + "\\Shortcut.lnk").c_str());
    for (const char* folder : {"\\KelTest\\Nested\\Group", "\\KelTest\\Nested", "\\KelTest"})
        RemoveDirectoryA((ShellFolder("Programs") + folder).c_str());
}

// The platform's list of operations pending for the next restart, as "\\??\\path" names.
std::vector<std::string> PendingOperations() {
    const auto value = RegistryValue(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                                     "PendingFileRenameOperations");
    std::vector<std::string> names;
    if (!value) return names;
    std::string rest = value->second;
    while (!rest.empty()) {
        const auto end = rest.find('\0');
        names.push_back(rest.substr(0, end));
        if (end == std::string::npos) break;
        rest.erase(0, end + 1);
    }
    return names;
}

bool PendingContains(const std::string& path) {
    for (const std::string& name : PendingOperations())
        if (name.size() >= path.size() && _stricmp(name.c_str() + name.size() - path.size(), path.c_str()) == 0) return true;
    return false;
}

TEST_F(SetupProgram, InstallThenUninstallRemovesItAllTwice) {
    WriteText(start + "\\a.txt", "A");
    WriteText(start + "\\ureadme.txt", "About to remove\r\n");
    WriteText(start + "\\setup.txt",
              SimpleScript("0", "KelSetup:CopyFile\n.\\\na.txt\nA\nureadme.txt\n.\\\nureadme.txt\n"
                                "KelSetup:RenameFile\na.txt\nrenamed.txt\n"
                                "KelSetup:RegistryKey\nHKEY_CURRENT_USER\\Software\\KelSetupTest\\Sub\n"
                                "KelSetup:RegistryValue\nHKEY_CURRENT_USER\\Software\\KelSetupTest\\Sub\nV\nREG_SZ\nx\n"
                                "KelSetup:RegistryStringStart\nHKEY_CURRENT_USER\\Software\\KelSetupTest\\Sub\nBlock\ntext\n"
                                "KelSetup:RegistryStringEnd\n"
                                "KelSetup:StartMenu\na.txt\n\nKelTest\n"
                                "KelSetup:AddProgram\nrenamed.txt\n\nKelTest Link\n"));
    const std::string group = ShellFolder("Programs") + "\\KelTest Uninstall Group";
    for (const bool removeRegistry : {true, false, true}) {
        SCOPED_TRACE(removeRegistry ? "registry removed" : "registry kept");
        ASSERT_TRUE(InstallWith([](HWND dialog) {
            for (int option : {1002, 1003, 1005}) SendDlgItemMessageA(dialog, option, BM_SETCHECK, BST_CHECKED, 0);
            SetDlgItemTextA(dialog, 1011, "KelTest Uninstall Group");
        }));
        ASSERT_TRUE(std::filesystem::exists(group + "\\KelTest Link.lnk"));
        ASSERT_TRUE(std::filesystem::exists(ShellFolder("Startup") + "\\KelTest.lnk"));
        ASSERT_TRUE(std::filesystem::exists(installDir + "\\renamed.txt"));
        WriteText(installDir + "\\mine.txt", "the user's own file");

        // As the uninstall entry says: the installed program with the install directory.
        PROCESS_INFORMATION uninstall = Start(installDir);
        HWND note = WaitForWindow("KelTest uninstall information...");
        ASSERT_NE(note, nullptr);
        Press(note, IDOK);
        HWND remove = WaitForWindow("U");
        ASSERT_NE(remove, nullptr);
        EXPECT_EQ(ItemText(remove, 1006), installDir);  // the remembered install directory
        SendDlgItemMessageA(remove, 1008, BM_SETCHECK, removeRegistry ? BST_CHECKED : BST_UNCHECKED, 0);
        Press(remove, IDOK);
        HWND done = WaitForWindow("Uninstall...");
        ASSERT_NE(done, nullptr);
        EXPECT_EQ(ItemText(done, 1025), "R");
        Press(done, IDOK);
        EXPECT_TRUE(Ends(uninstall));

        for (const char* file : {"\\a.txt", "\\renamed.txt", "\\ureadme.txt", "\\setup.txt", "\\A"})
            EXPECT_FALSE(std::filesystem::exists(installDir + file)) << file;
        EXPECT_EQ(ReadText(installDir + "\\mine.txt"), "the user's own file");  // the user's file stays
        EXPECT_FALSE(std::filesystem::exists(group));
        EXPECT_FALSE(std::filesystem::exists(ShellFolder("Startup") + "\\KelTest.lnk"));
        EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, "Software\\KelSetupTest\\Sub", "V").has_value(), !removeRegistry);
        EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, "Software\\KelSetupTest\\Sub", "Block").has_value(), !removeRegistry);
        HKEY sub = nullptr;
        const bool keyStays = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KelSetupTest\\Sub", 0, KEY_READ, &sub) == ERROR_SUCCESS;
        if (sub) RegCloseKey(sub);
        EXPECT_EQ(keyStays, !removeRegistry);
        EXPECT_FALSE(RegistryValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KelTest",
                                   "DisplayName").has_value());
        EXPECT_TRUE(PendingContains(installDir + "\\setup.exe"));
        EXPECT_TRUE(PendingContains(installDir));
        DeleteFileA((installDir + "\\mine.txt").c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KelSetupTest");
    }
}

// Windows starts the registered uninstall command as it stands, with the program as the
// application: a directory with a blank in it must survive that, as must the unquoted entries
// of earlier installs.
TEST_F(SetupProgram, UninstallFromTheRegisteredCommandInAFolderWithABlank) {
    installDir = "C:\\Program Files\\KelSetup Test" + std::to_string(GetCurrentProcessId());
    CopyFileA(Built("SETUP_EXE").c_str(), (start + "\\Setup.exe").c_str(), FALSE);
    WriteText(start + "\\a.txt", "A");
    WriteText(start + "\\setup.txt", SimpleScript("0", "KelSetup:CopyFile\n.\\\nSetup.exe\n.\\\na.txt\n"));
    const char* entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KelTest";
    for (const bool earlierEntry : {false, true}) {
        SCOPED_TRACE(earlierEntry ? "unquoted entry of an earlier install" : "entry as registered now");
        ASSERT_TRUE(InstallWith([](HWND dialog) { SendDlgItemMessageA(dialog, 1003, BM_SETCHECK, BST_CHECKED, 0); }));
        ASSERT_TRUE(std::filesystem::exists(installDir + "\\a.txt"));
        const auto registered = RegistryValue(HKEY_LOCAL_MACHINE, entry, "UninstallString");
        ASSERT_TRUE(registered.has_value());
        std::string command = registered->second.substr(0, registered->second.find('\0'));
        EXPECT_EQ(command, "\"" + installDir + "\\Setup.exe\" " + installDir);
        if (earlierEntry) command = installDir + "\\Setup.exe " + installDir;

        const std::string program = installDir + "\\Setup.exe";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION uninstall{};
        ASSERT_TRUE(CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &startup,
                                   &uninstall));
        HWND remove = WaitForWindow("U");
        ASSERT_NE(remove, nullptr);
        EXPECT_EQ(ItemText(remove, 1006), installDir);
        Press(remove, IDOK);
        EXPECT_TRUE(Finishes(uninstall, "Uninstall..."));
        EXPECT_EQ(problems, "");
        EXPECT_FALSE(std::filesystem::exists(installDir + "\\a.txt"));
        EXPECT_FALSE(std::filesystem::exists(installDir + "\\setup.txt"));
        EXPECT_FALSE(RegistryValue(HKEY_LOCAL_MACHINE, entry, "UninstallString").has_value());
    }
}

// The browse dialog may move the current directory; the run reads the script and the files
// from where setup started all the same.
TEST_F(SetupProgram, BrowsingThenNextInstallsEverything) {
    WriteText(start + "\\a.txt", "A");
    WriteText(start + "\\setup.txt", SimpleScript("0", "KelSetup:CopyFile\n.\\\na.txt\n"));
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    for (const bool choose : {false, true}) {
        SCOPED_TRACE(choose ? "a folder chosen" : "browsing cancelled");
        ASSERT_TRUE(InstallWith([&](HWND dialog) {
            Press(dialog, 1001);
            HWND browse = WaitForWindow("Installation Directory...");
            ASSERT_NE(browse, nullptr);
            SetDlgItemTextA(browse, 0x47c, windows);  // into another folder first
            Press(browse, IDOK);
            std::this_thread::sleep_for(500ms);
            if (choose) {
                SetDlgItemTextA(browse, 0x47c, "chosen");
                Press(browse, IDOK);
            } else {
                Press(browse, IDCANCEL);
            }
            for (int wait = 0; wait < 100 && IsWindow(browse); ++wait) std::this_thread::sleep_for(50ms);
            if (choose) {
                EXPECT_EQ(ItemText(dialog, 1000), std::string(windows) + "\\chosen");
            }
            SetDlgItemTextA(dialog, 1000, installDir.c_str());
        }));
        EXPECT_EQ(problems, "");
        EXPECT_EQ(ReadText(installDir + "\\a.txt"), "A");
        std::error_code ignored;
        std::filesystem::remove_all(installDir, ignored);
    }
}

// Next again, and Escape, while the free-space question is open: one install, one finish.
TEST_F(SetupProgram, NextWhileTheQuestionIsOpenInstallsOnce) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    WriteText(start + "\\setup.txt", SimpleScript("4294967295", "KelSetup:InstallExecute\n" + std::string(system) +
                                                                     "\\cmd.exe\n/c echo run>> %InstallDir%runs.txt\n"));
    PROCESS_INFORMATION process{};
    HWND dialog = nullptr, question = nullptr;
    ASSERT_NO_FATAL_FAILURE(NextToTheFreeSpaceQuestion(process, dialog, question));
    EXPECT_FALSE(IsWindowEnabled(dialog));
    Press(dialog, IDOK);
    Press(dialog, IDCANCEL);
    std::this_thread::sleep_for(500ms);
    int questions = 0;
    EnumWindows([](HWND window, LPARAM count) {
        char caption[64] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (IsWindowVisible(window) && std::string(caption) == "Not enough free space...") ++*reinterpret_cast<int*>(count);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&questions));
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(IsWindow(dialog));  // Escape did not end setup under the question
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(Finishes(process, "Install..."));
    for (int wait = 0; wait < 100 && !std::filesystem::exists(installDir + "\\runs.txt"); ++wait)
        std::this_thread::sleep_for(100ms);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(ReadText(installDir + "\\runs.txt"), "run\r\n");
}

// A file stands where the install directory should be: the user is told what failed, and no
// uninstall entry points at a program that is not there.
TEST_F(SetupProgram, AFileWhereTheInstallDirectoryShouldBe) {
    WriteText(installDir, "in the way");
    WriteText(start + "\\a.txt", "A");
    WriteText(start + "\\setup.txt", SimpleScript("0", "KelSetup:CopyFile\n.\\\na.txt\n"));
    ASSERT_TRUE(InstallWith([](HWND dialog) { SendDlgItemMessageA(dialog, 1003, BM_SETCHECK, BST_CHECKED, 0); }));
    EXPECT_EQ(problems.rfind("Setup could not complete these steps:\n\nCreating directory " + installDir + ": " +
                                 SystemText(ERROR_ALREADY_EXISTS),
                             0),
              0u)
        << problems;
    EXPECT_FALSE(RegistryValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KelTest",
                               "UninstallString").has_value());
    EXPECT_EQ(ReadText(installDir), "in the way");
    DeleteFileA(installDir.c_str());
}

// Started with a folder that is not there, setup says so and removes nothing: not the script
// of the folder it was started from either.
TEST_F(SetupProgram, UninstallFromAFolderThatIsNotThereRemovesNothing) {
    WriteText(start + "\\setup.txt", SimpleScript("0"));
    PROCESS_INFORMATION process = Start("C:\\No\\Such\\Folder");
    HWND box = WaitForWindow("Setup error...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, kMessageText), "Setup could not find the folder C:\\No\\Such\\Folder. Nothing was removed.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Ends(process));
    EXPECT_EQ(FindWindowA(nullptr, "U"), nullptr);
    EXPECT_TRUE(std::filesystem::exists(start + "\\setup.txt"));
}

// A link path too long for the shell-link object's file name fails that shortcut alone,
// with a reason, instead of saving under a name read past its end.
// Runs Setup.exe with `arguments` as tools that install without asking do, and returns its
// exit code; `shown` counts the windows it showed meanwhile.
DWORD RunQuietly(const std::string& program, const std::string& arguments, const std::string& directory, int& shown) {
    return RunWatchingWindows(program, "\"" + program + "\" " + arguments, directory, shown);
}

// The program a user clicks through ends with the same codes; /? lists the forms.
TEST_F(SetupProgram, ExitCodesWithWindowsToo) {
    const auto exitCode = [](PROCESS_INFORMATION& process) {
        DWORD code = 99;
        if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        else TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    };
    PROCESS_INFORMATION help = Start("/?");
    HWND usage = WaitForWindow("Setup command line");
    ASSERT_NE(usage, nullptr);
    EXPECT_NE(ItemText(usage, kMessageText).find("/D=<directory>"), std::string::npos);
    PostMessageA(usage, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(exitCode(help), 0u);

    WriteText(start + "\\setup.txt", SimpleScript("0"));
    // A log that cannot be made: the message says so, and nothing else is shown.
    PROCESS_INFORMATION unlogged = Start("/LOG=C:\\No\\Such\\Folder\\setup.log");
    HWND refusal = WaitForWindow("Setup error...");
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(ItemText(refusal, kMessageText).rfind("Setup could not create the log file C:\\No\\Such\\Folder\\setup.log: ", 0),
              0u);
    PostMessageA(refusal, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(exitCode(unlogged), 2u);
    EXPECT_EQ(FindWindowA(nullptr, "KelTest Setup"), nullptr);

    PROCESS_INFORMATION cancelled = Start();
    HWND dialog = WaitForWindow("KelTest Setup");
    ASSERT_NE(dialog, nullptr);
    Press(dialog, IDCANCEL);
    EXPECT_EQ(exitCode(cancelled), 2u);

    PROCESS_INFORMATION installed = Start();
    dialog = WaitForWindow("KelTest Setup");
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, 1000, installDir.c_str());
    Press(dialog, IDOK);
    HWND finish = WaitForWindow("Install...");
    ASSERT_NE(finish, nullptr);
    Press(finish, IDOK);
    EXPECT_EQ(exitCode(installed), 0u);
}

// With /S nothing is shown, whatever happens: the exit code and the log say it.
TEST_F(SetupProgram, SilentRunsTellByExitCodeAndLog) {
    const std::string log = start + "\\setup.log";
    const auto lastLine = [&log] {
        const std::string text = ReadText(log);
        const std::size_t end = text.rfind("\r\n");
        return end == std::string::npos ? text : text.substr(text.rfind("\r\n", end - 1) + 2, end - text.rfind("\r\n", end - 1) - 2);
    };
    int shown = 0;
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string arguments;
        DWORD exitCode;
        const char* inLog;
    };
    WriteText(start + "\\a.txt", "A");
    const Case cases[] = {
        {"no script", [] {}, "/S /LOG=" + log + " /D=" + installDir, 3, "stopped: Setup could not find it's initalization file"},
        {"hostile script", [this] { WriteText(start + "\\setup.txt", std::string(5000, '\x01') + "KelSetup:\n\xff\xfe"); },
         "/S /LOG=" + log + " /D=" + installDir, 3, "stopped: Setup found an error in the setup file"},
        {"too little space", [this] { WriteText(start + "\\setup.txt", SimpleScript("4294967295")); },
         "/S /LOG=" + log + " /D=" + installDir, 4, "KB are needed on C:\\"},
        {"blocked install directory",
         [this] {
             WriteText(start + "\\setup.txt", SimpleScript("0", "KelSetup:CopyFile\n.\\\na.txt\n"));
             WriteText(installDir, "in the way");
         },
         "/S /LOG=" + log + " /D=" + installDir, 1, "failed: Creating directory " },
        {"unusable command line", [] {}, "/S /LOG=" + log + " C:\\Somewhere /D=" + installDir, 2, "stopped: /D= belongs to installing"},
        {"no such folder to uninstall", [] {}, "/S /LOG=" + log + " C:\\No\\Such\\Folder", 2,
         "stopped: Setup could not find the folder C:\\No\\Such\\Folder"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        test.prepare();
        EXPECT_EQ(RunQuietly(Built("SETUP_EXE"), test.arguments, start, shown), test.exitCode);
        EXPECT_EQ(shown, 0);
        EXPECT_NE(ReadText(log).find(test.inLog), std::string::npos) << ReadText(log);
        EXPECT_EQ(lastLine(), "exit code: " + std::to_string(test.exitCode));
    }
    DeleteFileA(installDir.c_str());
}

TEST(Win32Shortcuts, ALinkPathThatDoesNotFitFailsCleanly) {
    CoInitialize(nullptr);
    kelsetup::Win32Platform platform;
    const std::string folder = "C:\\KelShortcutTest" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    kelsetup::ShortcutSpec shortcut{"C:\\x.exe", "C:\\x.exe", "X", "C:", "", folder + "\\" + std::string(300, 'n') + ".lnk"};
    EXPECT_NE(platform.CreateShortcut(shortcut), 0);
    EXPECT_EQ(platform.LastError().text, SystemText(ERROR_FILENAME_EXCED_RANGE));
    shortcut.linkPath = folder + "\\fits.lnk";
    EXPECT_EQ(platform.CreateShortcut(shortcut), 0);
    EXPECT_TRUE(std::filesystem::exists(shortcut.linkPath));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    CoUninitialize();
}

TEST(SelfRemoval, BothPlatformFamilies) {
    kelsetup::Win32Platform nt(true);
    kelsetup::RunReport report;
    kelsetup::ScheduleSelfRemoval(nt, report, "C:\\KelSelfRemoval\\");
    const std::vector<std::string> pending = PendingOperations();
    std::size_t program = pending.size(), directory = pending.size();
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (_stricmp(pending[i].c_str(), "\\??\\C:\\KelSelfRemoval\\setup.exe") == 0) program = i;
        if (_stricmp(pending[i].c_str(), "\\??\\C:\\KelSelfRemoval\\") == 0 ||
            _stricmp(pending[i].c_str(), "\\??\\C:\\KelSelfRemoval") == 0)
            directory = i;
    }
    ASSERT_LT(program, pending.size());
    ASSERT_LT(directory, pending.size());
    EXPECT_LT(program, directory);  // the program first, then the directory

    kelsetup::Win32Platform older(false);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string ini = std::string(windows) + "\\WININIT.INI";
    DeleteFileA(ini.c_str());
    older.DeleteAtRestart("C:\\Old\\setup.exe");
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("Rename", "NUL", "", value, MAX_PATH, ini.c_str());
    EXPECT_STREQ(value, "C:\\Old\\setup.exe");
    older.DeleteAtRestart("C:\\Old");
    GetPrivateProfileStringA("Rename", "NUL", "", value, MAX_PATH, ini.c_str());
    EXPECT_STREQ(value, "C:\\Old");  // the same key: the platform's profile writer keeps the last
    DeleteFileA(ini.c_str());
}

}  // namespace
