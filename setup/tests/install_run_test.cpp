// The whole install run against the recording platform: the small script of the product,
// the walk's marker table and option gates, status lines, progress values and the appended
// script text.

#include "install_run.h"
#include "recording_platform.h"
#include "recording_progress.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelsetup::testing {
namespace {

const char* const kSmallScript =
    "KelSetup:SetupInfo\n"
    "Tarnwick\n"
    "Tarnwick.exe\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick\n"
    "InstallDir\n"
    "C:\\Program Files\\Tarnwick\n"
    "1\n1\n1\n1\n0\n"
    "Tarnwick Setup\n"
    "Tarnwick Uninstall\n"
    "Tarnwick has been installed.\n"
    "Tarnwick has been removed.\n"
    "800\n"
    "\n"
    "KelSetup:AddDirectory\n"
    "Conf\n"
    "\n"
    "KelSetup:CopyFile\n"
    ".\\\n"
    "Tarnwick.exe\n"
    ".\\\n"
    "Setup.exe\n"
    "Conf\n"
    "httpd.conf-dist-win\n"
    "\n"
    "KelSetup:RegistryKey\n"
    "HKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config\n"
    "\n"
    "KelSetup:RegistryValue\n"
    "HKEY_CURRENT_USER\\SOFTWARE\\Velmora\\Tarnwick\\Config\n"
    "DefaultConfigPath\n"
    "REG_SZ\n"
    "%InstallDir%Conf\n"
    "\n"
    "KelSetup:AddProgram\n"
    "Tarnwick.exe\n"
    "\n"
    "Tarnwick\n";

class InstallRun : public ::testing::Test {
protected:
    void SetUp() override {
        platform.AddFile("setup.txt", kSmallScript);
        platform.AddFile("Tarnwick.exe", "program");
        platform.AddFile("Setup.exe", "installer");
        platform.AddFile("httpd.conf-dist-win", "Port 80\n");
        platform.CreateKey(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
        platform.SetValue(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                          "Programs", ValueType::ExpandString, std::string("C:\\Menu\\Programs\0", 18));
        platform.AddDirectories("C:\\Menu\\Programs");
        ASSERT_EQ(ReadSetupInfo(platform.ReadFile("setup.txt"), info), SetupInfoResult::Read);
        platform.calls.clear();
    }

    InstallContext Context(InstallOptions options) {
        return InstallContext{.platform = platform, .progress = progress, .info = info,
                              .installDir = "C:\\Program Files\\Tarnwick", .options = options,
                              .folderName = "Tarnwick Group"};
    }

    RecordingPlatform platform;
    RecordingProgress progress;
    SetupInfo info;
};

TEST_F(InstallRun, TheSmallScriptInstallsWhatItDescribes) {
    InstallContext context = Context({true, true, true, true});
    RunInstall(context);
    const std::string dir = "C:\\Program Files\\Tarnwick";
    EXPECT_EQ(platform.calls.back(), "OpenWithShell " + dir + "\\Tarnwick.exe");  // the launch comes last
    EXPECT_TRUE(platform.DirectoryExists(dir + "\\Conf"));
    EXPECT_EQ(platform.ReadFile(dir + "\\Tarnwick.exe"), "program");
    EXPECT_EQ(platform.ReadFile(dir + "\\Setup.exe"), "installer");
    EXPECT_EQ(platform.ReadFile(dir + "\\Conf\\httpd.conf-dist-win"), "Port 80\n");
    EXPECT_EQ(platform.Value(RootKey::CurrentUser, "SOFTWARE\\Velmora\\Tarnwick\\Config", "DefaultConfigPath"),
              std::string("C:\\Program Files\\Tarnwick\\Conf\0", 31));
    EXPECT_EQ(platform.Value(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tarnwick", "InstallDir"), dir);  // no zero
    ASSERT_EQ(platform.shortcuts.size(), 1u);
    EXPECT_EQ(platform.shortcuts[0].linkPath, "C:\\Menu\\Programs\\Tarnwick Group\\Tarnwick.lnk");
    EXPECT_EQ(platform.shortcuts[0].target, dir + "\\Tarnwick.exe");
    EXPECT_EQ(platform.shortcuts[0].workingDirectory, dir);

    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";
    EXPECT_EQ(platform.Value(RootKey::LocalMachine, key, "DisplayName"), std::string("Tarnwick\0", 9));
    EXPECT_EQ(platform.Value(RootKey::LocalMachine, key, "UninstallString"),
              std::string("\"C:\\Program Files\\Tarnwick\\Setup.exe\" C:\\Program Files\\Tarnwick") + '\0');
    // The installed copy: the script, then the two sections, line breaks as CR LF.
    std::string expectedCopy = kSmallScript;
    expectedCopy += "\r\n\r\nKelSetup:GroupName\r\nTarnwick Group\r\n\r\nKelSetup:CopyFile\r\n.\\\r\nsetup.txt\r\n";
    EXPECT_EQ(platform.ReadFile(dir + "\\setup.txt"), expectedCopy);
    EXPECT_EQ(progress.events.back(), "finish install Tarnwick has been installed.");
    EXPECT_EQ(context.report.FailureCount(), 0u);
    EXPECT_TRUE(progress.problems.empty());
}

TEST_F(InstallRun, StatusLinesAndProgressValuesInOrder) {
    InstallContext context = Context({false, true, true, false});
    RunInstall(context);
    std::vector<std::string> actions;
    for (const auto& status : progress.statuses) actions.push_back(status[0]);
    EXPECT_EQ(actions, (std::vector<std::string>{"Searching through configuration file...", "Creating directory:",
                                                 "Copying file:", "Copying file:", "Copying file:", "Creating registry key:",
                                                 "Creating/setting registry value:", "Adding Uninstall routine to Windows...",
                                                 "Launching program now..."}));
    // The walk's values climb to 100; registration and launch go 0, 20, 40, 60, 100 and 0, 100.
    const std::vector<int> tail(progress.percents.end() - 7, progress.percents.end());
    EXPECT_EQ(tail, (std::vector<int>{0, 20, 40, 60, 100, 0, 100}));
    const std::vector<int> walk(progress.percents.begin(), progress.percents.end() - 7);
    EXPECT_TRUE(std::is_sorted(walk.begin(), walk.end()));
    EXPECT_EQ(walk.back(), 100);
    EXPECT_EQ(progress.events.front(), "begin");
    // The option gates: no AddProgram shortcut, no Startup shortcut.
    EXPECT_TRUE(platform.shortcuts.empty());
}

TEST_F(InstallRun, WithoutTheUninstallOptionNothingIsCopiedOrRegistered) {
    InstallContext context = Context({false, false, false, false});
    RunInstall(context);
    EXPECT_FALSE(platform.FileExists("C:\\Program Files\\Tarnwick\\setup.txt"));
    EXPECT_FALSE(platform.KeyExists(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick"));
    for (const std::string& call : platform.calls) EXPECT_EQ(call.find("OpenWithShell"), std::string::npos);
}

TEST_F(InstallRun, OnlyTheLastInstallExecuteRunsOnceAfterTheWalk) {
    platform.AddFile("setup.txt", std::string(kSmallScript) +
                                      "KelSetup:InstallExecute\nfirst.exe\n-a\n"
                                      "KelSetup:InstallExecute\n%InstallDir%second.exe\n-b\n"
                                      "KelSetup:AddDirectory\nLate\n");
    InstallContext context = Context({false, false, false, false});
    RunInstall(context);
    std::vector<std::string> started;
    std::size_t lateDirectory = 0, program = 0;
    for (std::size_t i = 0; i < platform.calls.size(); ++i) {
        if (platform.calls[i].rfind("StartProgram", 0) == 0) {
            started.push_back(platform.calls[i]);
            program = i;
        }
        if (platform.calls[i] == "CreateDirectory C:\\Program Files\\Tarnwick\\Late") lateDirectory = i;
    }
    EXPECT_EQ(started, std::vector<std::string>{"StartProgram C:\\Program Files\\Tarnwick\\second.exe | "
                                                "C:\\Program Files\\Tarnwick\\second.exe -b"});
    EXPECT_GT(program, lateDirectory);
}

TEST_F(InstallRun, StartMenuWithTheOptionOffIsPassedOverLineByLine) {
    platform.AddFile("setup.txt", std::string(kSmallScript) + "KelSetup:StartMenu\nTarnwick.exe\n\nKelSetup:AddDirectory\n");
    InstallContext context = Context({false, false, false, false});
    RunInstall(context);
    // "KelSetup:AddDirectory" stood as StartMenu's third line: the walk still meets it.
    EXPECT_TRUE(platform.shortcuts.empty());
    std::size_t directoryMarkers = 0;
    for (const auto& status : progress.statuses) directoryMarkers += status[0] == "Creating directory:";
    EXPECT_EQ(directoryMarkers, 1u);
    EXPECT_EQ(AppendedScriptText("", "setup.txt"), "\n\nKelSetup:GroupName\n\n\nKelSetup:CopyFile\n.\\\nsetup.txt\n");
}

// Option 1002 alone decides whether the StartMenu section makes its shortcut; the section's
// first record is its only one, and the lines after it are walked as ordinary lines.
TEST_F(InstallRun, StartMenuFollowsItsOptionAndTakesItsFirstRecordOnly) {
    platform.SetValue(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                      "Startup", ValueType::String, std::string("C:\\Menu\\Startup\0", 17));
    platform.AddDirectories("C:\\Menu\\Startup");
    platform.AddFile("setup.txt", std::string(kSmallScript) +
                                      "KelSetup:StartMenu\nTarnwick.exe\n-tray\nFirst\nSecond.exe\n\nSecond\n"
                                      "KelSetup:AddDirectory\nLate\n");
    for (const bool startGroup : {false, true}) {
        RecordingPlatform copy = platform;
        RecordingProgress shown;
        InstallContext context{.platform = copy, .progress = shown, .info = info,
                               .installDir = "C:\\Apps", .options = {startGroup, false, false, false},
                               .folderName = ""};
        RunInstall(context);
        std::vector<std::string> links;
        for (const ShortcutSpec& shortcut : copy.shortcuts) links.push_back(shortcut.linkPath);
        EXPECT_EQ(links, startGroup ? std::vector<std::string>{"C:\\Menu\\Startup\\First.lnk"} : std::vector<std::string>{})
            << startGroup;
        EXPECT_TRUE(copy.DirectoryExists("C:\\Apps\\Late")) << startGroup;
    }
}

// Some fields are expanded as read, line break included, and trimmed only then: the install
// directory always gets its backslash there, even where the trimmed line ends in one.
TEST_F(InstallRun, FieldsExpandedBeforeTrimmingAlwaysGetTheBackslash) {
    platform.AddFile("C:\\Apps\\old.txt", "x");
    platform.AddFile("setup.txt", std::string(kSmallScript) +
                                      "KelSetup:AddDirectory\nsub%InstallDir%\\\n"
                                      "KelSetup:RenameFile\n%InstallDir%\\..\\Apps\\old.txt\nnew%InstallDir%\\\n"
                                      "KelSetup:InstallExecute\n%InstallDir%\\\n%InstallDir%\\\n");
    InstallContext context{.platform = platform, .progress = progress, .info = info,
                           .installDir = "C:\\Apps", .options = {false, false, false, false}, .folderName = ""};
    RunInstall(context);
    const auto called = [this](const std::string& call) {
        return std::find(platform.calls.begin(), platform.calls.end(), call) != platform.calls.end();
    };
    EXPECT_TRUE(called("CreateDirectory C:\\Apps\\subC:\\Apps\\\\")) << "AddDirectory";
    EXPECT_TRUE(called("MoveFile C:\\Apps\\C:\\Apps\\\\..\\Apps\\old.txt -> C:\\Apps\\newC:\\Apps\\\\")) << "RenameFile";
    EXPECT_TRUE(called("StartProgram C:\\Apps\\\\ | C:\\Apps\\\\ C:\\Apps\\\\")) << "InstallExecute";
}

TEST_F(InstallRun, BadScriptsAndAFailingPlatformNeverStopTheRun) {
    std::string binary;
    for (int i = 0; i < 40000; ++i) binary += static_cast<char>((i * 2654435761u) >> 11);
    std::string many = kSmallScript;
    for (int i = 0; i < 200000; ++i) many += (i % 2) ? "KELSETUP:copyfile\n" : "x\n";
    for (const std::string& script : {binary, many, std::string("kelsetup:registryvalue\nHKEY_USERS\\X")}) {
        RecordingPlatform fresh;
        fresh.AddFile("setup.txt", script);
        RecordingProgress shown;
        InstallContext context{.platform = fresh, .progress = shown, .info = info,
                               .installDir = "C:\\Apps", .options = {true, true, true, true}, .folderName = ""};
        RunInstall(context);
        EXPECT_EQ(shown.events.back(), "finish install Tarnwick has been installed.");
    }
    platform.failEverything = true;
    InstallContext context = Context({true, true, true, true});
    RunInstall(context);
    EXPECT_EQ(progress.events.back(), "finish install Tarnwick has been installed.");
    // The program path in quotes, the directory as it is.
    EXPECT_EQ(UninstallCommand("C:\\"), "\"C:\\Setup.exe\" C:\\");
    EXPECT_EQ(UninstallCommand("C:\\Program Files\\Tarnwick"), "\"C:\\Program Files\\Tarnwick\\Setup.exe\" C:\\Program Files\\Tarnwick");
}

}  // namespace
}  // namespace kelsetup::testing
