// The shipped package under Wine: its Setup.exe installs Tarnwick as a user would; the
// installed editor then works with the installed registry data (panes, descriptions, new
// items, Quick Config); and the installed Setup.exe removes it all again.

#include "editor.h"
#include "new_item.h"
#include "test_prompts.h"
#include "win32/win32_file_store.h"
#include "win32/win32_registry.h"

#include "resource.h"
#include "template_store.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

#include "window_driving.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace tarnwick::testing {
namespace {

using namespace std::chrono_literals;
using namespace window_driving;

bool RunToEnd(const std::string& program, const std::string& arguments, const std::string& directory,
              const std::function<void()>& drive) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &process))
        return false;
    drive();
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

TEST(Package, InstallUseAndRemove) {
    const char* built = std::getenv("TARNWICK_PACKAGE");
    ASSERT_NE(built, nullptr);
    const std::string package = WindowsPath(built);
    const std::string dir = "C:\\TarnwickPackageTest";
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);

    ASSERT_TRUE(RunToEnd(package + "\\Setup.exe", "", package, [&] {
        HWND legal = WaitForWindow("Tarnwick legal information...");
        ASSERT_NE(legal, nullptr);
        Press(legal, IDOK);
        HWND readme = WaitForWindow("Tarnwick setup information...");
        ASSERT_NE(readme, nullptr);
        Press(readme, IDOK);
        HWND dialog = WaitForWindow("Tarnwick Setup");
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextA(dialog, 1000, dir.c_str());
        SendDlgItemMessageA(dialog, 1004, BM_SETCHECK, BST_UNCHECKED, 0);  // do not start it: this test does
        Press(dialog, IDOK);
        HWND finish = WaitForWindow("Install...");
        ASSERT_NE(finish, nullptr);
        Press(finish, IDOK);
    }));
    ASSERT_TRUE(std::filesystem::exists(dir + "\\Tarnwick.exe"));
    ASSERT_TRUE(std::filesystem::exists(dir + "\\Help\\TarnwickHelp.chm"));
    ASSERT_TRUE(std::filesystem::exists(dir + "\\Conf\\httpd.conf-dist-win"));

    // The installed editor, with the installed registry data.
    PrepareEditorWindows();
    Win32Registry registry;
    Win32FileStore files;
    TestPrompts prompts;
    Editor editor(GetModuleHandleA(nullptr), registry, files, prompts);
    ASSERT_NE(CreateEditorWindow(editor), nullptr);
    EXPECT_EQ(editor.settings.defaultConfigFilePath, dir + "\\Conf");
    EXPECT_EQ(editor.settings.helpPath, dir + "\\Help");
    DialogScript quick({{"Quick Configuration...", [](HWND dialog) {
                             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_QC_SERVER_ROOT)), "C:/Program Files/Apache Group/Apache");
                             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_QC_PORT)), "80");
                             SetDlgItemTextA(dialog, IDC_QC_SERVER_ROOT, "C:/Apache");
                             SetDlgItemTextA(dialog, IDC_QC_DOCUMENT_ROOT, "C:/Apache/htdocs");
                             Click(dialog, IDOK);
                         }}});
    ASSERT_TRUE(ShowQuickConfigDialog(editor));
    ConfigTree& tree = *editor.items;
    const auto select = [&](const char* name) {
        const ItemHandle item = FindItemByName(tree, kNoItem, name);
        EXPECT_NE(item, kNoItem) << name;
        tree.SelectItem(item);
        return item;
    };
    select("Timeout");
    EXPECT_EQ(editor.panes->CurrentTemplate(), kNumericalPane);
    EXPECT_NE(WindowText(editor.description), "No description available.");
    select("KeepAlive");
    EXPECT_EQ(editor.panes->CurrentTemplate(), kOnOffPane);
    select("DocumentRoot");
    EXPECT_EQ(editor.panes->CurrentTemplate(), kSlashDirectoryPane);
    EXPECT_NE(editor.panes->Directories(), nullptr);
    const std::vector<std::string> offered = OfferedNames(registry, "httpd.conf");
    EXPECT_NE(std::find(offered.begin(), offered.end(), "Port"), offered.end());
    EXPECT_NE(std::find(offered.begin(), offered.end(), "Directory"), offered.end());
    EXPECT_NE(std::find(offered.begin(), offered.end(), "VirtualHost"), offered.end());  // files hold every rank
    const std::vector<std::string> inDirectory = OfferedNames(registry, "Directory");
    EXPECT_NE(std::find(inDirectory.begin(), inDirectory.end(), "Options"), inDirectory.end());
    EXPECT_EQ(std::find(inDirectory.begin(), inDirectory.end(), "Files"), inDirectory.end());  // rank 1 in rank 1: no
    SendMessageA(editor.window, WM_COMMAND, CMD_SAVE, 0);
    EXPECT_TRUE(prompts.unsaved.empty());
    for (const char* name : {"\\Conf\\httpd.conf", "\\Conf\\access.conf", "\\Conf\\srm.conf"})
        EXPECT_TRUE(std::filesystem::exists(dir + name)) << name;
    const std::string httpd = files.ReadFileBytes(dir + "\\Conf\\httpd.conf").value_or("");
    EXPECT_NE(httpd.find("DocumentRoot C:/Apache/htdocs"), std::string::npos);
    EXPECT_NE(httpd.find("Listen 80\r\n"), std::string::npos);
    EXPECT_NE(httpd.find("# Apache 2.4 reads this one file"), std::string::npos);  // comments kept
    DestroyWindow(editor.window);

    // The installed Setup.exe with the install directory, registry removal on.
    ASSERT_TRUE(RunToEnd(dir + "\\Setup.exe", dir, dir, [&] {
        HWND note = WaitForWindow("Tarnwick uninstall information...");
        ASSERT_NE(note, nullptr);
        Press(note, IDOK);
        HWND remove = WaitForWindow("Tarnwick Uninstall");
        ASSERT_NE(remove, nullptr);
        SendDlgItemMessageA(remove, 1008, BM_SETCHECK, BST_CHECKED, 0);
        Press(remove, IDOK);
        std::string problems;
        HWND done = WaitForWindowPast("Uninstall...", "Setup error...", problems);
        EXPECT_EQ(problems, "");  // everything that was installed could be removed
        ASSERT_NE(done, nullptr);
        Press(done, IDOK);
    }));
    EXPECT_FALSE(std::filesystem::exists(dir + "\\Tarnwick.exe"));
    EXPECT_FALSE(std::filesystem::exists(dir + "\\Help"));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, std::string(kTemplatesKey) + "\\Port"));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick"));
    // The configuration the user saved stays, as does the folder holding it.
    EXPECT_TRUE(std::filesystem::exists(dir + "\\Conf\\httpd.conf"));
    std::filesystem::remove_all(dir, ignored);
}

// What an installation left on the machine, with the install directory written as <DIR>: the
// files below it, the product's registry data, its uninstall entry and its program folder.
struct Installed {
    std::vector<std::string> files;
    std::vector<std::string> registry;
    std::vector<std::string> shortcuts;
    bool operator==(const Installed&) const = default;
};

std::string WithoutDirectory(std::string text, const std::string& dir) {
    for (std::size_t at; (at = text.find(dir)) != std::string::npos;) text.replace(at, dir.size(), "<DIR>");
    return text;
}

void DumpKey(HKEY root, const std::string& path, const std::string& dir, std::vector<std::string>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD nameSize = sizeof name, type = 0;
        std::string data(16384, '\0');
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &dataSize) !=
            ERROR_SUCCESS)
            break;
        data.resize(dataSize);
        out.push_back(WithoutDirectory(path + " " + name + " " + std::to_string(type) + " " + data, dir));
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name);
    }
    RegCloseKey(key);
    for (const std::string& subkey : subkeys) DumpKey(root, path + "\\" + subkey, dir, out);
}

std::string ProgramsFolder() {
    char value[MAX_PATH] = {}, expanded[MAX_PATH] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Programs",
                 RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value, &size);
    ExpandEnvironmentStringsA(value, expanded, MAX_PATH);
    return expanded;
}

// A path of ours (UTF-8, the test's code page as the programs') as the file system library takes it.
std::filesystem::path FsPath(const std::string& path) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

// A value of the uninstall entry as Windows holds it, in UTF-16.
std::wstring UninstallEntryWide(const wchar_t* name) {
    wchar_t value[2048] = {};
    DWORD size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick", name, RRF_RT_REG_SZ,
                 nullptr, value, &size);
    return value;
}

// Where a shortcut leads, as the shell reads it (UTF-16), in UTF-8.
std::string ShortcutTarget(const std::wstring& link) {
    wchar_t target[MAX_PATH] = {};
    const HRESULT started = CoInitialize(nullptr);
    IShellLinkW* shortcut = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shortcut)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ))) shortcut->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            file->Release();
        }
        shortcut->Release();
    }
    if (SUCCEEDED(started)) CoUninitialize();
    char text[3 * MAX_PATH] = {};
    WideCharToMultiByte(CP_UTF8, 0, target, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

Installed WhatIsInstalled(const std::string& dir) {
    Installed installed;
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(FsPath(dir), ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        installed.files.push_back(std::filesystem::relative(it->path(), FsPath(dir)).string());
    std::sort(installed.files.begin(), installed.files.end());
    DumpKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Tarnwick", dir, installed.registry);
    DumpKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick", dir, installed.registry);
    for (const auto& entry : std::filesystem::directory_iterator(ProgramsFolder() + "\\Tarnwick", ignored))
        installed.shortcuts.push_back(entry.path().filename().string() + " -> " +
                                      WithoutDirectory(ShortcutTarget(entry.path().wstring()), dir));
    std::sort(installed.shortcuts.begin(), installed.shortcuts.end());
    return installed;
}

// Starts a program as Windows starts a registered command: its path as the application, the
// command line as it stands. Returns the exit code; `shown` counts the windows it showed.
DWORD StartAsRegistered(const std::string& program, std::string command, int& shown) {
    return RunWatchingWindows(program, std::move(command), "C:\\", shown);
}

std::string UninstallEntry(const char* name) {
    char value[2048] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick", name, RRF_RT_REG_SZ,
                 nullptr, value, &size);
    return value;
}

// A copy of the package in a scratch folder, for tests whose runs write beside Setup.exe: the
// built package itself stays as the build made it.
std::string CopyOfPackage(const std::string& package, const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string copy = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    std::error_code ignored;
    std::filesystem::remove_all(copy, ignored);
    std::filesystem::copy(package, copy, std::filesystem::copy_options::recursive);
    return copy;
}

// Whether a file is listed for deleting at the next restart.
bool PendingAtRestart(const std::string& path) {
    DWORD size = 0;
    const char* key = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return false;
    std::string names(size, '\0');
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, names.data(),
                     &size) != ERROR_SUCCESS)
        return false;
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find('\0', at), names.size());
        const std::string name = names.substr(at, end - at);
        if (name.size() >= path.size() && _stricmp(name.c_str() + name.size() - path.size(), path.c_str()) == 0) return true;
        at = end + 1;
    }
    return false;
}

// The package installed without a window leaves what the installation a user clicks through
// leaves, in a folder whose name is not ASCII; the quiet uninstall command, started as Windows
// starts it, takes it all away.
TEST(Package, SilentInstallMatchesTheInteractiveOneAndQuietUninstallRemovesIt) {
    const char* built = std::getenv("TARNWICK_PACKAGE");
    ASSERT_NE(built, nullptr);
    const std::string package = WindowsPath(built);
    const std::string clicked = "C:\\TarnwickClicked";
    const std::string silent = "C:\\Program Files\\Tarnwick Zo\xC3\xAB";
    std::error_code ignored;
    for (const std::string& dir : {clicked, silent}) std::filesystem::remove_all(FsPath(dir), ignored);

    ASSERT_TRUE(RunToEnd(package + "\\Setup.exe", "", package, [&] {
        for (const char* page : {"Tarnwick legal information...", "Tarnwick setup information..."}) {
            HWND shown = WaitForWindow(page);
            ASSERT_NE(shown, nullptr);
            Press(shown, IDOK);
        }
        HWND dialog = WaitForWindow("Tarnwick Setup");
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextA(dialog, 1000, clicked.c_str());
        SendDlgItemMessageA(dialog, 1004, BM_SETCHECK, BST_UNCHECKED, 0);  // as /S does not start it either
        Press(dialog, IDOK);
        HWND finish = WaitForWindow("Install...");
        ASSERT_NE(finish, nullptr);
        Press(finish, IDOK);
    }));
    const Installed byClicking = WhatIsInstalled(clicked);
    ASSERT_FALSE(byClicking.files.empty());
    int shown = 0;
    // Only the uninstaller itself waits for the restart: nothing to restart for.
    EXPECT_EQ(StartAsRegistered(clicked + "\\Setup.exe", UninstallEntry("QuietUninstallString"), shown), 0u);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(UninstallEntry("DisplayName"), "");

    const std::string copy = CopyOfPackage(package, "tarnwick-package-silent");
    const std::string log = copy + "\\silent.log";
    const DWORD code = StartAsRegistered(copy + "\\Setup.exe",
                                         "\"" + copy + "\\Setup.exe\" /S /LOG=\"" + log + "\" /D=" + silent, shown);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(shown, 0);
    const Installed silently = WhatIsInstalled(silent);
    EXPECT_EQ(silently.files, byClicking.files);
    EXPECT_EQ(silently.shortcuts, byClicking.shortcuts);
    EXPECT_EQ(silently.registry, byClicking.registry);
    EXPECT_EQ(UninstallEntry("Publisher"), "Velmora");
    EXPECT_EQ(UninstallEntry("InstallLocation"), silent);
    EXPECT_EQ(UninstallEntryWide(L"InstallLocation"), L"C:\\Program Files\\Tarnwick Zo\u00EB");  // not "ZoÃ«"
    // The log: what was used, every action in order, the exit code last.
    std::vector<std::string> lines;
    {
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "install directory: " + silent), lines.end());
    for (const std::string& file : silently.files) {
        if (file.find('.') == std::string::npos || file == "setup.txt") continue;
        EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& line) {
                                   return line.rfind("done: Copying file ", 0) == 0 && line.size() >= file.size() &&
                                          line.compare(line.size() - file.size(), file.size(), file) == 0;
                               }),
                  lines.end())
            << file;
    }
    EXPECT_EQ(lines.back(), "exit code: 0");

    const DWORD removed = StartAsRegistered(silent + "\\Setup.exe", UninstallEntry("QuietUninstallString"), shown);
    EXPECT_EQ(removed, 0u);
    EXPECT_EQ(shown, 0);
    EXPECT_FALSE(std::filesystem::exists(FsPath(silent + "\\Tarnwick.exe")));
    EXPECT_FALSE(std::filesystem::exists(ProgramsFolder() + "\\Tarnwick"));
    EXPECT_EQ(UninstallEntry("UninstallString"), "");
    HKEY templates = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Tarnwick\\Templates", 0, KEY_READ, &templates), ERROR_SUCCESS);
    if (templates) RegCloseKey(templates);
    for (const std::string& dir : {clicked, silent, copy}) std::filesystem::remove_all(FsPath(dir), ignored);
}

// Two installations, each removed by its registered quiet command as a deployment tool starts
// it: the command of the one that is not the remembered installation removes nothing (2); a
// program still running is deleted at the next restart (3010); a clean uninstall ends with 0.
TEST(Package, QuietUninstallRemovesOnlyItsInstallationAndWaitsForAProgramInUse) {
    const char* built = std::getenv("TARNWICK_PACKAGE");
    ASSERT_NE(built, nullptr);
    const std::string package = CopyOfPackage(WindowsPath(built), "tarnwick-package-quiet");
    const std::string first = "C:\\Program Files\\Tarnwick Quiet One", second = "C:\\TarnwickQuietTwo";
    std::error_code ignored;
    for (const std::string& dir : {first, second}) std::filesystem::remove_all(dir, ignored);
    const std::string setup = package + "\\Setup.exe";
    int shown = 0;
    ASSERT_EQ(StartAsRegistered(setup, "\"" + setup + "\" /S \"/D=" + first + "\"", shown), 0u);
    const std::string firstQuiet = UninstallEntry("QuietUninstallString");
    ASSERT_EQ(firstQuiet, "\"" + first + "\\Setup.exe\" /S " + first);
    ASSERT_EQ(StartAsRegistered(setup, "\"" + setup + "\" /S /D=\"" + second + "\"", shown), 0u);
    const std::string secondQuiet = UninstallEntry("QuietUninstallString");

    // The first one's command while the second is the installation setup remembers.
    EXPECT_EQ(StartAsRegistered(first + "\\Setup.exe", firstQuiet, shown), 2u);
    EXPECT_EQ(shown, 0);
    for (const std::string& dir : {first, second}) EXPECT_TRUE(std::filesystem::exists(dir + "\\Tarnwick.exe")) << dir;
    EXPECT_EQ(UninstallEntry("InstallLocation"), second);

    // The second one while its editor runs.
    const std::string program = second + "\\Tarnwick.exe";
    std::string command = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION editor{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, second.c_str(), &startup,
                               &editor));
    WaitForInputIdle(editor.hProcess, 20000);
    EXPECT_EQ(StartAsRegistered(second + "\\Setup.exe", secondQuiet, shown), 3010u);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(PendingAtRestart(program));
    EXPECT_EQ(UninstallEntry("DisplayName"), "");
    TerminateProcess(editor.hProcess, 0);
    WaitForSingleObject(editor.hProcess, 10000);
    CloseHandle(editor.hThread);
    CloseHandle(editor.hProcess);

    // The first one, once it is the remembered installation again: nothing in use, so 0.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Tarnwick", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(first.c_str()), static_cast<DWORD>(first.size()));
    RegCloseKey(key);
    EXPECT_EQ(StartAsRegistered(first + "\\Setup.exe", firstQuiet, shown), 0u);
    EXPECT_FALSE(std::filesystem::exists(first + "\\Tarnwick.exe"));
    for (const std::string& dir : {first, second, package}) std::filesystem::remove_all(dir, ignored);
}

}  // namespace
}  // namespace tarnwick::testing
