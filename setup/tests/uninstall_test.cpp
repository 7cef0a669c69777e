// The uninstall run against the recording platform, after an installation of the same script:
// what each pass removes, in which order, what the registry option changes, the progress
// values, and the removal of the setup program at restart.

#include "install_actions.h"
#include "install_run.h"
#include "recording_platform.h"
#include "recording_progress.h"
#include "removal_actions.h"
#include "run_log.h"
#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelsetup::testing {
namespace {

const std::string kDir = "C:\\Apps\\Tarnwick";

const char* const kScript =
    "KelSetup:SetupInfo\nTarnwick\nTarnwick.exe\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick\nInstallDir\n"
    "C:\\Program Files\\Tarnwick\n1\n1\n0\n1\n0\nTarnwick Setup\nTarnwick Uninstall\nInstalled.\nRemoved.\n0\n\n"
    "KelSetup:AddDirectory\nConf\nConf\\Extra\n\n"
    "KelSetup:CopyFile\n.\\\nTarnwick.exe\n.\\\nSetup.exe\nConf\nhttpd.conf-dist-win\n\n"
    "KelSetup:RenameFile\nTarnwick.exe\nEditor.exe\n\n"
    "KelSetup:RegistryKey\nHKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config\n\n"
    "KelSetup:RegistryValue\nHKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config\nDefaultConfigPath\nREG_SZ\n%InstallDir%Conf\n"
    "HKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config\nPort\nREG_DWORD\n80\n\n"
    "KelSetup:RegistryStringStart\nHKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config\nNote\nline one\nline two\n"
    "KelSetup:RegistryStringEnd\n\n"
    "KelSetup:StartMenu\nTarnwick.exe\n\nTarnwick\n\n"
    "KelSetup:AddProgram\nTarnwick.exe\n\nTarnwick\nSetup.exe\n%InstallDir%\nUninstall\n\n"
    "KelSetup:UninstallExecute\n%InstallDir%cleanup.exe\n/all\n";

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override {
        platform.AddFile("setup.txt", kScript);
        platform.AddFile("Tarnwick.exe", "program");
        platform.AddFile("Setup.exe", "installer");
        platform.AddFile("httpd.conf-dist-win", "Port 80\n");
        platform.CreateKey(RootKey::CurrentUser, kShellFoldersKey);
        platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, "Programs", ValueType::String, std::string("C:\\Menu\\Programs\0", 18));
        platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, "Startup", ValueType::String, std::string("C:\\Menu\\Startup\0", 17));
        platform.AddDirectories("C:\\Menu\\Programs");
        platform.AddDirectories("C:\\Menu\\Startup");
        ASSERT_EQ(ReadSetupInfo(platform.ReadFile("setup.txt"), info), SetupInfoResult::Read);
        InstallContext install{.platform = platform, .progress = installProgress, .info = info,
                               .installDir = kDir, .options = {true, true, false, true}, .folderName = "Velmora Tools"};
        RunInstall(install);
        ASSERT_TRUE(platform.FileExists(kDir + "\\Editor.exe"));
        ASSERT_TRUE(platform.FileExists(kDir + "\\setup.txt"));
        platform.calls.clear();
    }

    bool Uninstalled(bool removeRegistry) {
        return RunUninstall(platform, progress, info, {kDir, removeRegistry, kDir + "\\setup.txt"}, report);
    }

    std::size_t CallIndex(const std::string& call) {
        return static_cast<std::size_t>(std::find(platform.calls.begin(), platform.calls.end(), call) - platform.calls.begin());
    }

    RecordingPlatform platform;
    RecordingProgress installProgress;
    RecordingProgress progress;
    SetupInfo info;
    RunReport report;
};

TEST_F(Uninstall, RemovesWhatTheInstallationMade) {
    ASSERT_TRUE(Uninstalled(false));
    for (const char* file : {"\\Tarnwick.exe", "\\Editor.exe", "\\Setup.exe", "\\Conf\\httpd.conf-dist-win", "\\setup.txt"})
        EXPECT_FALSE(platform.FileExists(kDir + file)) << file;
    EXPECT_FALSE(platform.DirectoryExists(kDir + "\\Conf\\Extra"));
    EXPECT_FALSE(platform.DirectoryExists(kDir + "\\Conf"));
    EXPECT_FALSE(platform.FileExists("C:\\Menu\\Startup\\Tarnwick.lnk"));
    EXPECT_FALSE(platform.FileExists("C:\\Menu\\Programs\\Velmora Tools\\Tarnwick.lnk"));
    EXPECT_FALSE(platform.DirectoryExists("C:\\Menu\\Programs\\Velmora Tools"));
    EXPECT_FALSE(platform.KeyExists(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick"));
    // The registry option was off: the product's keys and values stay.
    EXPECT_TRUE(platform.Value(RootKey::CurrentUser, "SOFTWARE\\Velmora\\Tarnwick\\Config", "Port").has_value());
    // The renamed file got its first name back before pass 2 deleted the copies.
    EXPECT_LT(CallIndex("MoveFile C:\\Apps\\Tarnwick\\Editor.exe -> C:\\Apps\\Tarnwick\\Tarnwick.exe"),
              CallIndex("DeleteFile C:\\Apps\\Tarnwick\\.\\Tarnwick.exe"));
    // Subdirectories before their parents; the program after every directory; restart last.
    EXPECT_LT(CallIndex("RemoveDirectory C:\\Apps\\Tarnwick\\Conf\\Extra"), CallIndex("RemoveDirectory C:\\Apps\\Tarnwick\\Conf"));
    EXPECT_LT(CallIndex("RemoveDirectory C:\\Apps\\Tarnwick\\Conf"),
              CallIndex("StartProgram C:\\Apps\\Tarnwick\\cleanup.exe | C:\\Apps\\Tarnwick\\cleanup.exe /all"));
    const std::vector<std::string> tail(platform.calls.end() - 4, platform.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"DeleteKey HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick",
                                              "DeleteFile C:\\Apps\\Tarnwick\\setup.txt",
                                              "DeleteAtRestart C:\\Apps\\Tarnwick\\setup.exe",
                                              "DeleteAtRestart C:\\Apps\\Tarnwick"}));
    EXPECT_EQ(progress.events.back(), "finish uninstall Removed.");
    // Only the uninstaller's own program and folder wait for the restart: nothing to restart for.
    EXPECT_EQ(ExitCodeAfterRun(report), kExitDone);
    // Without the registry option the remembered directory stays too.
    EXPECT_TRUE(platform.Value(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tarnwick", "InstallDir").has_value());
}

TEST_F(Uninstall, RegistryOptionRemovesValuesStringsAndKeyTrees) {
    platform.CreateKey(RootKey::CurrentUser, "SOFTWARE\\Velmora\\Tarnwick\\Config\\Deep\\Deeper");
    ASSERT_TRUE(Uninstalled(true));
    EXPECT_FALSE(platform.KeyExists(RootKey::CurrentUser, "SOFTWARE\\Velmora\\Tarnwick\\Config\\Deep"));
    EXPECT_FALSE(platform.KeyExists(RootKey::CurrentUser, "SOFTWARE\\Velmora\\Tarnwick\\Config"));
    EXPECT_TRUE(platform.KeyExists(RootKey::CurrentUser, "SOFTWARE\\Velmora\\Tarnwick"));
    EXPECT_LT(CallIndex("DeleteValue HKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config Note"),
              CallIndex("DeleteKey HKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config"));
    // The directory the install run remembered goes too, and its key, which holds nothing else.
    EXPECT_FALSE(platform.Value(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tarnwick", "InstallDir").has_value());
    EXPECT_FALSE(platform.KeyExists(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tarnwick"));
}

TEST_F(Uninstall, ProgressRunsThroughTheThreePassesAndTheFinish) {
    ASSERT_TRUE(Uninstalled(false));
    const std::vector<int>& values = progress.percents;
    EXPECT_EQ(std::vector<int>(values.end() - 4, values.end()), (std::vector<int>{0, 33, 66, 100}));
    const std::vector<int> passes(values.begin(), values.end() - 4);
    EXPECT_TRUE(std::is_sorted(passes.begin(), passes.end()));
    EXPECT_EQ(passes.back(), 100);
    EXPECT_NE(std::find(passes.begin(), passes.end(), 33), passes.end());
    EXPECT_NE(std::find(passes.begin(), passes.end(), 66), passes.end());
    std::vector<std::string> actions;
    for (const auto& status : progress.statuses) actions.push_back(status[0]);
    EXPECT_EQ(actions, (std::vector<std::string>{"Removing files, registry items and program groups...",
                                                 "Removing directories and regisitry keys...", "Finishing uninstall..."}));
}

// What could not be removed is told before the finish dialog; what was not there, a folder
// that still holds the user's files and what waits for the restart are not failures.
TEST_F(Uninstall, WhatResistsIsToldWhatIsGoneOrKeptIsNot) {
    platform.AddFile(kDir + "\\Conf\\httpd.conf", "the user's own");  // keeps Conf
    platform.RemoveFile(kDir + "\\Setup.exe");                        // already gone
    platform.HoldOpen(kDir + "\\Conf\\httpd.conf-dist-win");         // another program has it
    platform.Protect(RootKey::CurrentUser, "SOFTWARE\\Velmora\\Tarnwick\\Config");
    ASSERT_TRUE(Uninstalled(true));
    std::vector<std::string> failed;
    for (const ReportedAction& action : report.Actions())
        if (action.outcome == Outcome::Failed) failed.push_back(DescribeAction(action));
    EXPECT_EQ(failed, (std::vector<std::string>{
                          "Removing registry key HKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config: Access is denied."}));
    ASSERT_EQ(progress.problems.size(), 1u);
    EXPECT_EQ(progress.problems[0], FailureMessage(report));
    // The file in use goes at the next restart, before the folders the uninstaller leaves.
    EXPECT_TRUE(report.NeedsRestart());
    EXPECT_LT(CallIndex("DeleteAtRestart C:\\Apps\\Tarnwick\\Conf\\httpd.conf-dist-win"),
              CallIndex("DeleteAtRestart C:\\Apps\\Tarnwick\\setup.exe"));
    const auto outcomeOf = [this](const std::string& subject) {
        for (const ReportedAction& action : report.Actions())
            if (action.subject == subject) return DescribeAction(action);
        return std::string("(none)");
    };
    EXPECT_EQ(outcomeOf(kDir + "\\.\\Setup.exe"), "Removing file C:\\Apps\\Tarnwick\\.\\Setup.exe: it is not there.");
    EXPECT_EQ(outcomeOf(kDir + "\\Conf\\httpd.conf-dist-win"), "Removing file C:\\Apps\\Tarnwick\\Conf\\httpd.conf-dist-win");
    EXPECT_EQ(outcomeOf(kDir + "\\Conf"),
              "Removing directory C:\\Apps\\Tarnwick\\Conf: it still holds files that were not installed; it stays.");
}

TEST_F(Uninstall, TheRunningSetupProgramIsNoFailure) {
    platform.HoldOpen(kDir + "\\Setup.exe");  // as Windows holds the program that runs
    ASSERT_TRUE(Uninstalled(false));
    EXPECT_EQ(report.FailureCount(), 0u);
    EXPECT_TRUE(progress.problems.empty());
}

// A program still running holds its file: it is deleted at the next restart, which the exit
// code asks for, since without the entry and the script nothing else would ever remove it.
TEST_F(Uninstall, AFileInUseGoesAtTheNextRestart) {
    platform.HoldOpen(kDir + "\\Tarnwick.exe");
    ASSERT_TRUE(Uninstalled(false));
    EXPECT_EQ(report.FailureCount(), 0u);
    EXPECT_NE(std::find(platform.calls.begin(), platform.calls.end(), "DeleteAtRestart C:\\Apps\\Tarnwick\\.\\Tarnwick.exe"),
              platform.calls.end());
    EXPECT_EQ(ExitCodeAfterRun(report), kExitRestartNeeded);
}

// An install directory that holds none of the installed files (the script and the setup
// program aside): nothing is removed, the entry and the script stay, and the run says so.
TEST_F(Uninstall, NothingInstalledThereRemovesNothing) {
    for (const char* file : {"\\Editor.exe", "\\Conf\\httpd.conf-dist-win"}) platform.RemoveFile(kDir + file);
    platform.calls.clear();
    ASSERT_TRUE(Uninstalled(true));
    for (const std::string& call : platform.calls)
        EXPECT_TRUE(call.rfind("ReadFile", 0) == 0 || call.rfind("FindFiles", 0) == 0) << call;
    EXPECT_TRUE(platform.FileExists(kDir + "\\setup.txt"));
    EXPECT_TRUE(platform.KeyExists(RootKey::LocalMachine, std::string(kUninstallKey) + "\\Tarnwick"));
    EXPECT_EQ(ExitCodeAfterRun(report), kExitSomeFailed);
    ASSERT_EQ(progress.problems.size(), 1u);
    EXPECT_NE(progress.problems[0].find("none of the installed files is there; nothing was removed."), std::string::npos);
    // One of them is enough for the run to go ahead, under the name RenameFile gave it too.
    platform.AddFile(kDir + "\\Editor.exe", "program");
    RunReport again;
    ASSERT_TRUE(RunUninstall(platform, progress, info, {kDir, true, kDir + "\\setup.txt"}, again));
    EXPECT_FALSE(platform.FileExists(kDir + "\\setup.txt"));
    EXPECT_EQ(ExitCodeAfterRun(again), kExitDone);
}

TEST_F(Uninstall, MissingScriptRemovesNothing) {
    EXPECT_FALSE(RunUninstall(platform, progress, info, {kDir, true, kDir + "\\missing.txt"}, report));
    EXPECT_TRUE(platform.FileExists(kDir + "\\Editor.exe"));
    EXPECT_TRUE(progress.events.empty());
}

TEST(RemovalActions, FieldsAreTakenLiterally) {
    RecordingPlatform platform;
    SetupInfo info;
    info.productName = "Tarnwick";
    RunReport report;
    UninstallContext context{platform, info, report, "C:\\Apps", true, "Group"};
    ScriptStream copies(".\\\na.txt\n%InstallDir%bin\nb.txt\n");
    UninstallCopyFile(context, copies);
    ScriptStream directories("%InstallDir%x\nA\nA\\B\n");
    UninstallAddDirectory(context, directories);
    ScriptStream block("HKEY_CURRENT_USER\\Software\\T\nText\nline\nKelSetup:RegistryValue\nstill text\n"
                       "KelSetup:RegistryStringEnd\nafter\n");
    UninstallRegistryString(context, block);
    std::string next;
    block.ReadLine(next);
    EXPECT_EQ(next, "after\n");  // the block is consumed whole, its end line included
    ScriptStream values("HKEY_CURRENT_USER\\Software\\T\n//not usable but fine\nREG_SZ\n\n");
    UninstallRegistryValue(context, values);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{
                                  "DeleteFile C:\\Apps\\.\\a.txt", "DeleteFile C:\\Apps\\%InstallDir%bin\\b.txt",
                                  "RemoveDirectory C:\\Apps\\A\\B", "RemoveDirectory C:\\Apps\\A",
                                  "RemoveDirectory C:\\Apps\\%InstallDir%x",
                                  "DeleteValue HKEY_CURRENT_USER\\Software\\T Text",
                                  "DeleteValue HKEY_CURRENT_USER\\Software\\T //not usable but fine"}));
}

TEST(RemovalActions, OnlySettingsStillRunAllPasses) {
    RecordingPlatform platform;
    platform.AddFile("C:\\Apps\\setup.txt", "KelSetup:SetupInfo\nP\nP.exe\nHKEY_CURRENT_USER\\X\nD\nC:\\Apps\n0\n0\n0\n0\n0\nT\nU\nI\nR\n0\n");
    RecordingProgress progress;
    SetupInfo info;
    ASSERT_EQ(ReadSetupInfo(platform.ReadFile("C:\\Apps\\setup.txt"), info), SetupInfoResult::Read);
    RunReport report;
    ASSERT_TRUE(RunUninstall(platform, progress, info, {"C:\\Apps", false, "C:\\Apps\\setup.txt"}, report));
    for (int reached : {33, 66, 100})
        EXPECT_NE(std::find(progress.percents.begin(), progress.percents.end(), reached), progress.percents.end()) << reached;
    EXPECT_FALSE(platform.FileExists("C:\\Apps\\setup.txt"));
}

TEST(RemovalActions, DamagedScriptsFinishAsThePartsSay) {
    const std::string settings = "KelSetup:SetupInfo\nP\nP.exe\nHKEY_CURRENT_USER\\X\nD\nC:\\Apps\n0\n0\n0\n0\n0\nT\nU\nI\nR\n0\n";
    std::string binary;
    for (int i = 0; i < 20000; ++i) binary += static_cast<char>((i * 2654435761u) >> 9);
    for (const std::string& script : {settings + "KelSetup:GroupName\n\nKelSetup:UninstallExecute\nonly.exe\n",
                                      settings + "KelSetup:UninstallExecute\nrun.exe\nKelSetup:CopyFile\n",
                                      binary, settings + binary}) {
        RecordingPlatform platform;
        platform.AddFile("C:\\Apps\\setup.txt", script);
        RecordingProgress progress;
        SetupInfo info;
        ReadSetupInfo(script, info);
        RunReport report;
        EXPECT_TRUE(RunUninstall(platform, progress, info, {"C:\\Apps", true, "C:\\Apps\\setup.txt"}, report));
        EXPECT_EQ(progress.events.back().rfind("finish uninstall", 0), 0u);
        for (const std::string& call : platform.calls) EXPECT_NE(call.rfind("StartProgram", 0), 0u) << call;
    }
}

TEST(RemovalActions, DeleteKeyTreeStopsAtAKeyThatResists) {
    RecordingPlatform platform;
    platform.CreateKey(RootKey::CurrentUser, "A\\B\\C");
    platform.CreateKey(RootKey::CurrentUser, "A\\D");
    DeleteKeyTree(platform, RootKey::CurrentUser, "A");
    EXPECT_TRUE(platform.KeyExists(RootKey::CurrentUser, "A"));
    EXPECT_TRUE(platform.EnumerateKeys(RootKey::CurrentUser, "A").empty());
    platform.CreateKey(RootKey::CurrentUser, "A\\E");
    platform.failEverything = true;  // nothing can be deleted: the loop must still end
    DeleteKeyTree(platform, RootKey::CurrentUser, "A");
    platform.failEverything = false;
    EXPECT_TRUE(platform.KeyExists(RootKey::CurrentUser, "A\\E"));
}

// A key line that names a root key alone would empty that root: it is never acted on.
TEST(RemovalActions, ARootKeyIsNeverDeleted) {
    for (const char* line : {"HKEY_CLASSES_ROOT\\", "HKEY_LOCAL_MACHINE\\\\", "HKEY_USERS\\ ", "Software\\"}) {
        RecordingPlatform platform;
        platform.CreateKey(RootKey::ClassesRoot, ".txt\\shell");
        platform.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Other");
        platform.CreateKey(RootKey::Users, "S-1-5-18\\Software");
        platform.CreateKey(RootKey::CurrentUser, "Software\\Other");
        SetupInfo info;
        RunReport report;
        UninstallContext context{platform, info, report, "C:\\Apps", true, ""};
        ScriptStream stream(std::string(line) + "\n");
        UninstallRegistryKey(context, stream);
        for (const std::string& call : platform.calls) {
            EXPECT_EQ(call.rfind("DeleteKey", 0), std::string::npos) << line << ": " << call;
            EXPECT_EQ(call.rfind("EnumerateKeys", 0), std::string::npos) << line << ": " << call;
        }
        EXPECT_TRUE(platform.KeyExists(RootKey::ClassesRoot, ".txt\\shell")) << line;
        ASSERT_EQ(report.Actions().size(), 1u) << line;
        EXPECT_EQ(report.Actions()[0].outcome, Outcome::Skipped) << line;
        DeleteKeyTree(platform, RootKey::CurrentUser, "");
        EXPECT_TRUE(platform.KeyExists(RootKey::CurrentUser, "Software\\Other")) << line;
    }
}

// Pass 3 and the program folder: an empty name never touches the Programs folder itself,
// the last GroupName wins, and the Startup shortcut goes by the product's name.
TEST(RemovalActions, ProgramFolderAndStartupShortcut) {
    const std::string settings = "KelSetup:SetupInfo\nProduct\nP.exe\nHKEY_CURRENT_USER\\X\nD\nC:\\Apps\n0\n0\n0\n0\n0\nT\nU\nI\nR\n0\n";
    const std::string sections = "KelSetup:StartMenu\nP.exe\n\nRecord Name\n"
                                 "KelSetup:AddProgram\nP.exe\n\nLink\n";
    struct Case {
        const char* groups;
        const char* removedFolder;  // nullptr: no folder is touched
    };
    const Case cases[] = {
        {"KelSetup:GroupName\n\n", nullptr},
        {"KelSetup:GroupName\nFirst\nKelSetup:GroupName\nLast\n", "C:\\Menu\\Programs\\Last"},
        {"KelSetup:GroupName\n\\\n", nullptr},
        {"KelSetup:GroupName\n..\\..\\Menu\n", nullptr},
    };
    for (const Case& test : cases) {
        RecordingPlatform platform;
        platform.CreateKey(RootKey::CurrentUser, kShellFoldersKey);
        platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, "Programs", ValueType::String, std::string("C:\\Menu\\Programs\0", 18));
        platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, "Startup", ValueType::String, std::string("C:\\Menu\\Startup\0", 17));
        for (const char* folder : {"C:\\Menu\\Programs\\First", "C:\\Menu\\Programs\\Last", "C:\\Menu\\Startup"})
            platform.AddDirectories(folder);
        platform.AddFile("C:\\Menu\\Startup\\Product.lnk", "link");
        platform.AddFile("C:\\Menu\\Startup\\Record Name.lnk", "link");
        const std::string script = settings + sections + test.groups;
        platform.AddFile("C:\\Apps\\setup.txt", script);
        SetupInfo info;
        ReadSetupInfo(script, info);
        RecordingProgress progress;
        RunReport report;
        ASSERT_TRUE(RunUninstall(platform, progress, info, {"C:\\Apps", false, "C:\\Apps\\setup.txt"}, report));
        std::vector<std::string> removed;
        for (const std::string& call : platform.calls)
            if (call.rfind("RemoveDirectory C:\\Menu", 0) == 0) removed.push_back(call.substr(16));
        EXPECT_EQ(removed, test.removedFolder ? std::vector<std::string>{test.removedFolder} : std::vector<std::string>{})
            << test.groups;
        EXPECT_TRUE(platform.DirectoryExists("C:\\Menu\\Programs")) << test.groups;
        EXPECT_TRUE(platform.DirectoryExists("C:\\Menu\\Programs\\First")) << test.groups;
        EXPECT_FALSE(platform.FileExists("C:\\Menu\\Startup\\Product.lnk")) << test.groups;
        EXPECT_TRUE(platform.FileExists("C:\\Menu\\Startup\\Record Name.lnk")) << test.groups;
    }
}

TEST(RemovalActions, SelfRemovalSchedulesProgramThenDirectory) {
    RecordingPlatform platform;
    RunReport report;
    ScheduleSelfRemoval(platform, report, "C:\\Apps\\");
    EXPECT_FALSE(report.NeedsRestart());
    ASSERT_EQ(report.Actions().size(), 2u);
    EXPECT_EQ(report.Actions()[1].outcome, Outcome::LeftForRestart);
    EXPECT_EQ(report.FailureCount(), 0u);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"DeleteAtRestart C:\\Apps\\setup.exe", "DeleteAtRestart C:\\Apps\\"}));
}

}  // namespace
}  // namespace kelsetup::testing
