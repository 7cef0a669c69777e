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

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
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
    select("Port");
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
    EXPECT_NE(files.ReadFileBytes(dir + "\\Conf\\srm.conf").value_or("").find("DocumentRoot C:/Apache/htdocs"),
              std::string::npos);
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

}  // namespace
}  // namespace tarnwick::testing
