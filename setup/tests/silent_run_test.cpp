// Setup for administrators: the command line's switches, installing and uninstalling with
// nothing shown, the exit codes, the log, and the entry in the list of installed programs.

#include "command_line.h"
#include "install_actions.h"
#include "install_run.h"
#include "recording_platform.h"
#include "setup_start.h"
#include "silent_run.h"

#include <gtest/gtest.h>

namespace kelsetup::testing {
namespace {

struct CommandCase {
    const char* arguments;
    bool silent, start, noShortcuts, noUninstall, help;
    const char* installDir;  // nullptr: none given
    const char* folder;
    const char* log;
    const char* uninstallDir;
    bool usable;
};

TEST(SetupCommandLine, SwitchesAndWhatIsLeft) {
    const CommandCase cases[] = {
        {"", false, false, false, false, false, nullptr, nullptr, nullptr, "", true},
        {"/S", true, false, false, false, false, nullptr, nullptr, nullptr, "", true},
        {"/s /start /NoShortcuts /nouninstall", true, true, true, true, false, nullptr, nullptr, nullptr, "", true},
        {"/S /LOG=C:\\setup.log /D=C:\\Program Files\\Tarnwick Silent", true, false, false, false, false,
         "C:\\Program Files\\Tarnwick Silent", nullptr, "C:\\setup.log", "", true},
        {"/S /FOLDER=\"Velmora Tools\" /LOG=\"C:\\My Logs\\a.log\"", true, false, false, false, false, nullptr,
         "Velmora Tools", "C:\\My Logs\\a.log", "", true},
        // What is no switch is the directory to uninstall from, as it always was.
        {"C:\\Program Files\\Tarnwick", false, false, false, false, false, nullptr, nullptr, nullptr,
         "C:\\Program Files\\Tarnwick", true},
        {"/S C:\\Program Files\\Tarnwick", true, false, false, false, false, nullptr, nullptr, nullptr,
         "C:\\Program Files\\Tarnwick", true},
        {"\"C:\\Program Files\\Tarnwick\" /LOG=u.log", false, false, false, false, false, nullptr, nullptr, "u.log",
         "C:\\Program Files\\Tarnwick", true},
        {"/X", false, false, false, false, false, nullptr, nullptr, nullptr, "/X", true},
        {"/?", false, false, false, false, true, nullptr, nullptr, nullptr, "", true},
        // Commands that cannot be used.
        {"/D=C:\\Apps", false, false, false, false, false, "C:\\Apps", nullptr, nullptr, "", false},
        {"/S C:\\Old /D=C:\\Apps", true, false, false, false, false, "C:\\Apps", nullptr, nullptr, "C:\\Old", false},
        {"/S /D=", true, false, false, false, false, "", nullptr, nullptr, "", false},
        {"/S /LOG=", true, false, false, false, false, nullptr, nullptr, "", "", false},
        // One pair of quotes around a whole word goes before switches are recognised; a quoted
        // /D= ends at its closing quote.
        {"\"/S\" \"/D=C:\\Program Files\\X\" /LOG=C:\\l.log", true, false, false, false, false, "C:\\Program Files\\X",
         nullptr, "C:\\l.log", "", true},
        {"/S /D=\"C:\\Program Files\\X\" \"/FOLDER=Velmora Tools\"", true, false, false, false, false,
         "C:\\Program Files\\X", "Velmora Tools", nullptr, "", true},
        {"/S /D=\\\\server\\share\\X", true, false, false, false, false, "\\\\server\\share\\X", nullptr, nullptr, "", true},
        // An unquoted /D= takes the rest of the line: a switch in it makes the line unusable.
        {"/S /D=C:\\Program Files\\X /LOG=C:\\l.log", true, false, false, false, false, "C:\\Program Files\\X /LOG=C:\\l.log",
         nullptr, nullptr, "", false},
        {"/S /D=Tarnwick", true, false, false, false, false, "Tarnwick", nullptr, nullptr, "", false},
        {"/S /D=C:Tarnwick", true, false, false, false, false, "C:Tarnwick", nullptr, nullptr, "", false},
        {"/S /D=\\Tarnwick", true, false, false, false, false, "\\Tarnwick", nullptr, nullptr, "", false},
        {"/S /D=\\\\server", true, false, false, false, false, "\\\\server", nullptr, nullptr, "", false},
        {"/S /D=C:\\a|b", true, false, false, false, false, "C:\\a|b", nullptr, nullptr, "", false},
        {"/S /D=C:\\a\\b:c", true, false, false, false, false, "C:\\a\\b:c", nullptr, nullptr, "", false},
        {"/S /D=\"C:\\unclosed", true, false, false, false, false, "\"C:\\unclosed", nullptr, nullptr, "", false},
        {"/S \"\"", true, false, false, false, false, nullptr, nullptr, nullptr, "", false},
        {"/S \"  \"", true, false, false, false, false, nullptr, nullptr, nullptr, "", false},
        {"/S /FOLDER=", true, false, false, false, false, nullptr, "", nullptr, "", false},
        {"/S /FOLDER=\"\"", true, false, false, false, false, nullptr, "", nullptr, "", false},
    };
    for (const CommandCase& test : cases) {
        const SetupCommand command = ParseSetupCommand(test.arguments);
        SCOPED_TRACE(test.arguments);
        EXPECT_EQ(command.silent, test.silent);
        EXPECT_EQ(command.start, test.start);
        EXPECT_EQ(command.noShortcuts, test.noShortcuts);
        EXPECT_EQ(command.noUninstall, test.noUninstall);
        EXPECT_EQ(command.help, test.help);
        EXPECT_EQ(command.installDir, test.installDir ? std::optional<std::string>(test.installDir) : std::nullopt);
        EXPECT_EQ(command.folder, test.folder ? std::optional<std::string>(test.folder) : std::nullopt);
        EXPECT_EQ(command.logPath, test.log ? std::optional<std::string>(test.log) : std::nullopt);
        EXPECT_EQ(command.uninstallDir, test.uninstallDir);
        EXPECT_EQ(command.problem.empty(), test.usable) << command.problem;
    }
}

const std::string kScript =
    "KelSetup:SetupInfo\nTool\nTool.exe\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tool\nInstallDir\nC:\\Program Files\\Tool\n"
    "1\n1\n1\n1\n0\nTool Setup\nTool Uninstall\nInstalled.\nRemoved.\n100\n\n"
    "KelSetup:ProductInfo\nPublisher=Velmora\nDisplayVersion=1.0\n\n"
    "KelSetup:AddDirectory\nConf\n\n"
    "KelSetup:CopyFile\n.\\\nTool.exe\n.\\\nSetup.exe\n\n"
    "KelSetup:SystemFile\n%InstallDir%Conf\nshared.dll\n\n"
    "KelSetup:StartMenu\nTool.exe\n\nTool\n\n"
    "KelSetup:AddProgram\nTool.exe\n\nTool\n\n"
    "KelSetup:RegistryKey\nHKEY_CURRENT_USER\\Software\\Velmora\\Tool\n\n"
    "KelSetup:RegistryValue\nHKEY_CURRENT_USER\\Software\\Velmora\\Tool\nColour\nREG_SZ\nblue\n\n";

// The package in D:\Media and the shell folders of a machine.
void AddPackage(RecordingPlatform& platform) {
    platform.AddFile("D:\\Media\\setup.txt", kScript);
    platform.AddFile("D:\\Media\\Tool.exe", "program");
    platform.AddFile("D:\\Media\\Setup.exe", "installer");
    platform.AddFile("D:\\Media\\shared.dll", "new", FileVersion{2, 0, 0, 0});
    platform.CreateKey(RootKey::CurrentUser, kShellFoldersKey);
    for (const char* folder : {"Programs", "Startup"}) {
        const std::string path = std::string("C:\\Menu\\") + folder;
        platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, folder, ValueType::String, path + '\0');
        platform.AddDirectories(path);
    }
}

class Silent : public ::testing::Test {
protected:
    void SetUp() override {
        AddPackage(platform);
        ASSERT_EQ(ReadSetupInfo(kScript, info), SetupInfoResult::Read);
    }

    int Install(const std::string& arguments) {
        return RunSilentInstall(platform, info, ParseSetupCommand(arguments), "D:\\Media", log);
    }

    std::optional<std::string> Entry(const char* name) {
        return platform.Value(RootKey::LocalMachine, std::string(kUninstallKey) + "\\Tool", name);
    }

    RecordingPlatform platform;
    SetupInfo info;
    std::vector<std::string> lines;
    RunLog log{[this](std::string_view line) { lines.emplace_back(line); }};
};

TEST_F(Silent, InstallsWhatNextWouldWithTheListEntryToolsExpect) {
    EXPECT_EQ(Install("/S"), kExitDone);
    const std::string dir = "C:\\Program Files\\Tool";
    EXPECT_EQ(platform.ReadFile(dir + "\\Tool.exe"), "program");
    EXPECT_TRUE(platform.FileExists("C:\\Menu\\Startup\\Tool.lnk"));
    EXPECT_TRUE(platform.FileExists("C:\\Menu\\Programs\\Tool\\Tool.lnk"));
    for (const std::string& call : platform.calls) EXPECT_EQ(call.rfind("OpenWithShell", 0), std::string::npos) << call;
    EXPECT_EQ(Entry("UninstallString"), "\"" + dir + "\\Setup.exe\" " + dir + '\0');
    EXPECT_EQ(Entry("QuietUninstallString"), "\"" + dir + "\\Setup.exe\" /S " + dir + '\0');
    EXPECT_EQ(Entry("DisplayIcon"), dir + "\\Tool.exe" + '\0');
    EXPECT_EQ(Entry("InstallLocation"), dir + '\0');
    EXPECT_EQ(Entry("Publisher"), std::string("Velmora") + '\0');
    EXPECT_EQ(Entry("DisplayVersion"), std::string("1.0") + '\0');
    EXPECT_EQ(Entry("NoModify"), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(Entry("NoRepair"), std::string("\x01\0\0\0", 4));
    // The log: what was used, then every action as it was taken.
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "install directory: " + dir);
    EXPECT_EQ(lines[1], "program folder: Tool");
    EXPECT_EQ(lines[2], "options: start group on, uninstall routine on, start after installation off, add to folder on");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "done: Copying file " + dir + "\\.\\Tool.exe"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "done: Creating shortcut C:\\Menu\\Startup\\Tool.lnk"), lines.end());
}

TEST_F(Silent, SwitchesChooseDirectoryFolderShortcutsUninstallAndStart) {
    EXPECT_EQ(Install("/S /START /NOSHORTCUTS /NOUNINSTALL /FOLDER=Other /D=D:\\Tool Here"), kExitDone);
    EXPECT_TRUE(platform.FileExists("D:\\Tool Here\\Tool.exe"));
    EXPECT_TRUE(platform.shortcuts.empty());
    EXPECT_FALSE(Entry("UninstallString").has_value());
    EXPECT_FALSE(platform.FileExists("D:\\Tool Here\\setup.txt"));
    EXPECT_EQ(platform.calls.back(), "OpenWithShell D:\\Tool Here\\Tool.exe");
    EXPECT_EQ(lines[1], "program folder: Other");
}

TEST_F(Silent, TooLittleSpaceStopsBeforeAnythingChanges) {
    for (const std::optional<std::uint64_t> free : {std::optional<std::uint64_t>(99), std::optional<std::uint64_t>()}) {
        platform.freeKilobytes = free;
        platform.calls.clear();
        EXPECT_EQ(Install("/S"), kExitNoSpace);
        for (const std::string& call : platform.calls)
            EXPECT_TRUE(call.rfind("FreeKilobytes", 0) == 0 || call.rfind("QueryValue", 0) == 0) << call;
        EXPECT_NE(lines.back().find("100 KB are needed on C:\\"), std::string::npos) << lines.back();
    }
}

TEST_F(Silent, FailuresGiveOneAndTheConflictKeepsTheNewerFile) {
    platform.AddFile("C:\\Program Files\\Tool\\Conf\\shared.dll", "newer", FileVersion{3, 0, 0, 0});
    platform.HoldOpen("C:\\Program Files\\Tool\\Tool.exe");
    platform.AddFile("C:\\Program Files\\Tool\\Tool.exe", "in use");
    EXPECT_EQ(Install("/S"), kExitSomeFailed);
    EXPECT_EQ(platform.ReadFile("C:\\Program Files\\Tool\\Conf\\shared.dll"), "newer");
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) { return line.rfind("failed: Copying file", 0) == 0; }),
              lines.end());
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) {
                               return line.rfind("skipped: Installing system file", 0) == 0 &&
                                      line.find("(3.0.0.0) was kept") != std::string::npos;
                           }),
              lines.end());
    // An older file there is replaced by the newer one being installed.
    SilentProgress progress;
    EXPECT_TRUE(progress.AskInstallConflict({{1, 9, 9, 9}, {2, 0, 0, 0}, "a.dll"}));
    EXPECT_FALSE(progress.AskInstallConflict({{2, 0, 0, 1}, {2, 0, 0, 0}, "a.dll"}));
}

TEST_F(Silent, UninstallRemovesEverythingWithTheRegistryAndWaitsForTheRestart) {
    platform.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tool");
    ASSERT_EQ(Install("/S"), kExitDone);
    lines.clear();
    const std::string dir = "C:\\Program Files\\Tool";
    // The uninstaller's own program and folder always wait for the restart: no reason to ask for one.
    EXPECT_EQ(RunSilentUninstall(platform, info, dir, log), kExitDone);
    EXPECT_FALSE(platform.FileExists(dir + "\\Tool.exe"));
    EXPECT_FALSE(platform.FileExists("C:\\Menu\\Startup\\Tool.lnk"));
    EXPECT_FALSE(Entry("UninstallString").has_value());
    // Registry entries as well: the script's values, and the directory setup remembered.
    EXPECT_FALSE(platform.Value(RootKey::CurrentUser, "Software\\Velmora\\Tool", "Colour").has_value());
    EXPECT_FALSE(platform.Value(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tool", "InstallDir").has_value());
    EXPECT_FALSE(platform.KeyExists(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tool"));
    EXPECT_EQ(lines[0], "install directory: " + dir);
    EXPECT_EQ(lines.back(), "at the next restart: Removing at the next restart " + dir);
    EXPECT_EQ(RunSilentUninstall(platform, info, dir, log), kExitNoScript);  // its script is gone now
}

// The user's own settings beside the remembered directory stay, and so does their key.
TEST_F(Silent, UninstallKeepsWhatElseTheRememberedDirectoryKeyHolds) {
    ASSERT_EQ(Install("/S"), kExitDone);
    platform.SetValue(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tool", "Theme", ValueType::String, "dark");
    EXPECT_EQ(RunSilentUninstall(platform, info, "C:\\Program Files\\Tool", log), kExitDone);
    EXPECT_FALSE(platform.Value(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tool", "InstallDir").has_value());
    EXPECT_EQ(platform.Value(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tool", "Theme"), "dark");
}

// What a command line does, run as Setup.exe runs it with nothing shown: what it installs or
// removes, or that it is refused with its exit code and nothing changed.
enum class Effect { Installs, Uninstalls, NothingChanged };

struct OutcomeCase {
    const char* arguments;
    int exitCode;
    Effect effect;
    const char* directory;  // what is installed or removed
    const char* inLog;      // a line the log holds, when the command line asks for a log that can be made
    const char* shortcut = nullptr;  // a shortcut the install makes
};

// Calls that change the machine, as the recording platform logs them.
bool Changes(const std::string& call) {
    for (const char* change : {"CreateKey", "SetValue", "DeleteKey", "DeleteValue", "CreateDirectory", "CopyFile", "MoveFile",
                               "DeleteFile", "RemoveDirectory", "AppendText", "CreateShortcut", "StartProgram",
                               "OpenWithShell", "DeleteAtRestart"})
        if (call.rfind(change, 0) == 0) return true;
    return false;
}

TEST(SilentCommandLine, WhatEachCommandLineDoes) {
    const char* const kFirst = "C:\\Program Files\\Tool";  // the script's default: installed first
    const char* const kSecond = "C:\\Second";                // installed next: the remembered directory now
    const OutcomeCase cases[] = {
        {"/S", kExitDone, Effect::Installs, kSecond, nullptr},
        {"/S /D=C:\\Third Tool /LOG=C:\\i.log", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S \"/D=C:\\Third Tool\" /LOG=C:\\i.log", kExitDone, Effect::Installs, "C:\\Third Tool",
         "install directory: C:\\Third Tool"},
        {"\"/S\" /D=\"C:\\Third Tool\" \"/FOLDER=Velmora Tools\"", kExitDone, Effect::Installs, "C:\\Third Tool", nullptr,
         "C:\\Menu\\Programs\\Velmora Tools\\Tool.lnk"},
        {"/S /D=C:\\Third Tool", kExitDone, Effect::Installs, "C:\\Third Tool", nullptr},
        {"/S /D=Third", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /D=C:Third", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /D=C:\\Th?rd /LOG=C:\\i.log", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /LOG=C:\\i.log /D=C:\\Th<rd", kExitCancelled, Effect::NothingChanged, nullptr, "stopped: /D=C:\\Th<rd is not"},
        {"/S \"\"", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /LOG=C:\\i.log \" \"", kExitCancelled, Effect::NothingChanged, nullptr, "stopped: The directory to uninstall"},
        {"/S /FOLDER=", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /FOLDER=\"\" /LOG=C:\\i.log", kExitCancelled, Effect::NothingChanged, nullptr, "stopped: /FOLDER= names no"},
        {"/S /LOG=C:\\No Folder\\i.log", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /LOG=C:\\No Folder\\i.log C:\\Second", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /D=C:\\Third /LOG=C:\\No Folder\\i.log", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        // Uninstalling: only the install directory the uninstall dialog would show.
        {"/S C:\\Second /LOG=C:\\u.log", kExitDone, Effect::Uninstalls, kSecond, "options: remove registry entries on"},
        {"/S \"c:\\SECOND\\\"", kExitDone, Effect::Uninstalls, kSecond, nullptr},
        {"/S /LOG=C:\\u.log C:\\Program Files\\Tool", kExitCancelled, Effect::NothingChanged, nullptr,
         "stopped: C:\\Program Files\\Tool is not the install directory C:\\Second; nothing was removed."},
        {"/S C:\\No Such Folder", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
        {"/S /D=C:\\Third C:\\Second", kExitCancelled, Effect::NothingChanged, nullptr, nullptr},
    };
    for (const OutcomeCase& test : cases) {
        SCOPED_TRACE(test.arguments);
        RecordingPlatform platform;
        AddPackage(platform);
        std::vector<std::string> entered;
        const StartPlaces places{"D:\\Media", "D:\\Media", [&entered](const std::string& dir) { entered.push_back(dir); }};
        for (const std::string earlier : {"/S", "/S /D=C:\\Second"})
            ASSERT_EQ(RunSilentSetup(platform, ParseSetupCommand(earlier), earlier, places), kExitDone);
        for (const char* earlier : {kFirst, kSecond}) {  // tells a fresh install from the earlier ones
            ASSERT_TRUE(platform.FileExists(std::string(earlier) + "\\Tool.exe"));
            platform.AddFile(std::string(earlier) + "\\Tool.exe", "installed earlier");
        }
        platform.calls.clear();

        EXPECT_EQ(RunSilentSetup(platform, ParseSetupCommand(test.arguments), test.arguments, places), test.exitCode);
        std::vector<std::string> changes;
        for (const std::string& call : platform.calls)
            if (Changes(call)) changes.push_back(call);
        const std::string entry = std::string(kUninstallKey) + "\\Tool";
        const auto remembered = platform.Value(RootKey::LocalMachine, "SOFTWARE\\Velmora\\Tool", "InstallDir");
        switch (test.effect) {
            case Effect::NothingChanged:
                EXPECT_EQ(changes, std::vector<std::string>{});
                break;
            case Effect::Installs:
                EXPECT_EQ(platform.ReadFile(std::string(test.directory) + "\\Tool.exe"), "program");
                EXPECT_EQ(remembered, test.directory);
                EXPECT_EQ(platform.Value(RootKey::LocalMachine, entry, "InstallLocation"), test.directory + std::string(1, '\0'));
                if (test.shortcut) {
                    EXPECT_TRUE(platform.FileExists(test.shortcut));
                }
                break;
            case Effect::Uninstalls:
                EXPECT_FALSE(platform.FileExists(std::string(test.directory) + "\\Tool.exe"));
                EXPECT_FALSE(platform.KeyExists(RootKey::LocalMachine, entry));
                EXPECT_FALSE(remembered.has_value());
                EXPECT_FALSE(platform.Value(RootKey::CurrentUser, "Software\\Velmora\\Tool", "Colour").has_value());
                EXPECT_EQ(platform.ReadFile(std::string(kFirst) + "\\Tool.exe"), "installed earlier");  // the other one stays
                break;
        }
        if (test.inLog) {
            const std::string arguments = test.arguments;
            const std::size_t path = arguments.find("/LOG=") + 5;
            const auto log = platform.ReadFile(arguments.substr(path, arguments.find(' ', path) - path));
            ASSERT_TRUE(log.has_value());
            EXPECT_NE(log->find(test.inLog), std::string::npos) << *log;
            EXPECT_NE(log->find("exit code: " + std::to_string(test.exitCode) + "\r\n"), std::string::npos) << *log;
        }
    }
}

// A setup.txt in the current directory that is no script (notes, say) is passed over for the
// one beside the program; a script there still comes first.
TEST(SilentCommandLine, TheScriptBesideTheProgramWhenTheCurrentOneIsNone) {
    for (const bool notes : {true, false}) {
        RecordingPlatform platform;
        AddPackage(platform);
        platform.AddFile("D:\\Notes\\setup.txt", notes ? "Remember to install the tool.\n" : kScript);
        platform.AddFile("D:\\Notes\\Tool.exe", "program from the notes folder");
        platform.AddFile("D:\\Notes\\Setup.exe", "installer");
        platform.AddFile("D:\\Notes\\shared.dll", "new", FileVersion{2, 0, 0, 0});
        std::vector<std::string> entered;
        const StartPlaces places{"D:\\Notes", "D:\\Media", [&entered](const std::string& dir) { entered.push_back(dir); }};
        EXPECT_EQ(RunSilentSetup(platform, ParseSetupCommand("/S"), "/S", places), kExitDone);
        EXPECT_EQ(platform.ReadFile("C:\\Program Files\\Tool\\Tool.exe"), notes ? "program" : "program from the notes folder");
        EXPECT_EQ(entered, std::vector<std::string>{notes ? "D:\\Media" : "D:\\Notes"});
    }
}

TEST(ProductInfo, OptionalPublisherAndVersion) {
    EXPECT_EQ(ReadProductInfo(kScript).publisher, "Velmora");
    EXPECT_EQ(ReadProductInfo(kScript).displayVersion, "1.0");
    const ProductInfo none = ReadProductInfo("KelSetup:SetupInfo\nX\nKelSetup:CopyFile\nPublisher=no\n");
    EXPECT_TRUE(none.publisher.empty());
    EXPECT_TRUE(none.displayVersion.empty());
}

TEST(ExitCodes, FailuresBeforeTheRestart) {
    RunReport report;
    EXPECT_EQ(ExitCodeAfterRun(report), kExitDone);
    report.LeftForRestart("Removing at the next restart", "C:\\Apps\\setup.exe", false);  // always so: no reason
    EXPECT_EQ(ExitCodeAfterRun(report), kExitDone);
    report.LeftForRestart("Removing file", "C:\\Apps\\Tool.exe");
    EXPECT_EQ(ExitCodeAfterRun(report), kExitRestartNeeded);
    report.Failed("Removing file", "C:\\Apps\\a", "Access is denied.");
    EXPECT_EQ(ExitCodeAfterRun(report), kExitSomeFailed);
}

}  // namespace
}  // namespace kelsetup::testing
