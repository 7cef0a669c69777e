// What an install run tells the user afterwards: each action's outcome, the message of what
// failed, no uninstall entry for a program that is not there, and installing into the folder
// setup started in. Also the command line as Windows hands it over.

#include "command_line.h"
#include "install_run.h"
#include "recording_platform.h"
#include "recording_progress.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelsetup::testing {
namespace {

const std::string kSettings =
    "KelSetup:SetupInfo\nP\nP.exe\nHKEY_LOCAL_MACHINE\\SOFTWARE\\P\nInstallDir\nC:\\Apps\n0\n1\n0\n0\n0\nT\nU\n"
    "Installed.\nRemoved.\n0\n";

class Reporting : public ::testing::Test {
protected:
    void Install(const std::string& sections, const std::string& directory = "C:\\Apps", InstallOptions options = {false, true, false, false}) {
        const std::string script = kSettings + sections;
        platform.AddFile(start + "\\setup.txt", script);
        ASSERT_EQ(ReadSetupInfo(script, info), SetupInfoResult::Read);
        context = std::make_unique<InstallContext>(InstallContext{.platform = platform, .progress = progress, .info = info,
                                                                  .installDir = directory, .options = options,
                                                                  .folderName = "", .startDirectory = start});
        RunInstall(*context);
    }

    std::vector<std::string> Outcomes(Outcome outcome) {
        std::vector<std::string> lines;
        for (const ReportedAction& action : context->report.Actions())
            if (action.outcome == outcome) lines.push_back(DescribeAction(action));
        return lines;
    }

    bool Registered() {
        return platform.KeyExists(RootKey::LocalMachine, std::string(kUninstallKey) + "\\P");
    }

    std::string start = "D:\\Media";
    RecordingPlatform platform;
    RecordingProgress progress;
    SetupInfo info;
    std::unique_ptr<InstallContext> context;
};

TEST_F(Reporting, AFileWhereTheInstallDirectoryShouldBeIsToldAndNotRegistered) {
    platform.AddFile("C:\\Apps", "a file, not a folder");
    platform.AddFile(start + "\\a.txt", "A");
    Install("KelSetup:AddDirectory\nConf\nKelSetup:CopyFile\n.\\\na.txt\n");
    EXPECT_EQ(Outcomes(Outcome::Failed),
              (std::vector<std::string>{
                  "Creating directory C:\\Apps: Cannot create a file when that file already exists.",
                  "Creating directory C:\\Apps\\Conf: The system cannot find the path specified.",
                  "Copying file C:\\Apps\\.\\a.txt: The system cannot find the path specified."}));
    EXPECT_FALSE(Registered());
    EXPECT_EQ(Outcomes(Outcome::Skipped),
              std::vector<std::string>{"Registering the uninstall entry P: the install directory C:\\Apps is not there."});
    // The user is told before the finish dialog, whose text stays as the script has it.
    ASSERT_EQ(progress.problems.size(), 1u);
    EXPECT_EQ(progress.problems[0].rfind("Setup could not complete these steps:\n\nCreating directory C:\\Apps: ", 0), 0u);
    const auto problems = std::find(progress.events.begin(), progress.events.end(), "problems");
    ASSERT_NE(problems, progress.events.end());
    EXPECT_EQ(*(problems + 1), "finish install Installed.");
}

TEST_F(Reporting, ACompleteInstallReportsEveryActionAndNoProblem) {
    platform.AddFile(start + "\\a.txt", "A");
    platform.AddFile(start + "\\b.dll", "B", FileVersion{1, 0, 0, 0});
    Install("KelSetup:AddDirectory\nConf\nKelSetup:CopyFile\nConf\na.txt\n"
            "KelSetup:RegistryKey\nHKEY_CURRENT_USER\\Software\\P\n"
            "KelSetup:RegistryValue\nHKEY_CURRENT_USER\\Software\\P\nV\nREG_SZ\n%InstallDir%\n"
            "KelSetup:SystemFile\n%InstallDir%Conf\nb.dll\n");
    EXPECT_TRUE(Outcomes(Outcome::Failed).empty());
    EXPECT_TRUE(progress.problems.empty());
    EXPECT_TRUE(Registered());
    EXPECT_EQ(Outcomes(Outcome::Done),
              (std::vector<std::string>{"Remembering the install directory in HKEY_LOCAL_MACHINE\\SOFTWARE\\P",
                                        "Creating directory C:\\Apps", "Creating directory C:\\Apps\\Conf",
                                        "Copying file C:\\Apps\\Conf\\a.txt", "Creating registry key HKEY_CURRENT_USER\\Software\\P",
                                        "Setting registry value V in HKEY_CURRENT_USER\\Software\\P",
                                        "Installing system file C:\\Apps\\Conf\\b.dll",
                                        "Registering the uninstall entry HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + "\\P",
                                        "Copying the script C:\\Apps\\setup.txt", "Adding the uninstall sections to C:\\Apps\\setup.txt"}));
    // The sources came from the start directory, not from wherever the current directory is.
    EXPECT_EQ(platform.ReadFile("C:\\Apps\\Conf\\a.txt"), "A");
}

TEST_F(Reporting, TheScriptCannotBeReadAgain) {
    platform.AddFile(start + "\\setup.txt", kSettings);
    ASSERT_EQ(ReadSetupInfo(kSettings, info), SetupInfoResult::Read);
    InstallContext moved{.platform = platform, .progress = progress, .info = info,
                         .installDir = "C:\\Apps", .options = {false, true, false, false},
                         .folderName = "", .startDirectory = "E:\\Elsewhere"};
    RunInstall(moved);
    ASSERT_EQ(moved.report.FailureCount(), 1u);
    EXPECT_EQ(DescribeAction(moved.report.Actions()[1]),
              "Reading the script E:\\Elsewhere\\setup.txt: The system cannot find the file specified.");
    EXPECT_FALSE(platform.KeyExists(RootKey::LocalMachine, std::string(kUninstallKey) + "\\P"));
}

// Many failures: the message lists the first twenty and counts the rest.
TEST(FailureMessage, ListsTwentyAndCountsTheRest) {
    RunReport report;
    report.Done("Creating directory", "C:\\Apps");
    for (int i = 0; i < 23; ++i) report.Failed("Copying file", "C:\\Apps\\f" + std::to_string(i), "Access is denied.");
    report.Skipped("Copying file", "C:\\Apps\\x", "it is already there.");
    report.LeftForRestart("Removing at the next restart", "C:\\Apps");
    const std::string message = FailureMessage(report);
    EXPECT_EQ(message.rfind("Setup could not complete these steps:\n\nCopying file C:\\Apps\\f0: Access is denied.\n", 0), 0u);
    EXPECT_NE(message.find("\nCopying file C:\\Apps\\f19: Access is denied.\n... and 3 more"), std::string::npos) << message;
    EXPECT_EQ(message.find("f20"), std::string::npos);
    EXPECT_EQ(report.FailureCount(), 23u);
    EXPECT_TRUE(report.NeedsRestart());
}

// Installing into the folder setup was started from: the files are where they belong and
// the script itself gets the uninstall sections, with nothing reported as failed.
TEST_F(Reporting, InstallingIntoTheStartDirectory) {
    start = "C:\\Apps";
    platform.AddFile(start + "\\a.txt", "A");
    Install("KelSetup:CopyFile\n.\\\na.txt\n", "C:\\Apps");
    EXPECT_TRUE(Outcomes(Outcome::Failed).empty());
    EXPECT_EQ(Outcomes(Outcome::Skipped), (std::vector<std::string>{"Copying file C:\\Apps\\.\\a.txt: it is already there.",
                                                                    "Copying the script C:\\Apps\\setup.txt: it is already there."}));
    EXPECT_EQ(platform.ReadFile("C:\\Apps\\setup.txt"),
              kSettings + "KelSetup:CopyFile\n.\\\na.txt\n" +
                  "\r\n\r\nKelSetup:GroupName\r\n\r\n\r\nKelSetup:CopyFile\r\n.\\\r\nsetup.txt\r\n");
}

// The recording platform behaves as Windows does where the runs depend on it.
TEST(RecordingPlatformLikeWindows, AppendingCreatesCopyingOntoItselfFails) {
    RecordingPlatform platform;
    platform.AddDirectories("C:\\Apps");
    EXPECT_TRUE(platform.AppendText("C:\\Apps\\new.txt", "a\nb"));
    EXPECT_EQ(platform.ReadFile("C:\\Apps\\new.txt"), "a\r\nb");
    EXPECT_FALSE(platform.AppendText("C:\\Missing\\new.txt", "a"));
    EXPECT_EQ(platform.LastError().kind, ErrorKind::NotFound);
    EXPECT_FALSE(platform.CopyFileOver("C:\\Apps\\new.txt", "c:\\apps\\.\\NEW.TXT"));
    EXPECT_EQ(platform.ReadFile("C:\\Apps\\new.txt"), "a\r\nb");
}

struct ArgumentsCase {
    const char* commandLine;
    const char* modulePath;
    const char* arguments;
    const char* directory;
};

TEST(CommandLine, TheTextAfterTheProgramHoweverWindowsHandsItOver) {
    const char* const program = "C:\\Program Files\\Tarnwick\\Setup.exe";
    const ArgumentsCase cases[] = {
        // The entry registered now: the program in quotes.
        {"\"C:\\Program Files\\Tarnwick\\Setup.exe\" C:\\Program Files\\Tarnwick", program,
         "C:\\Program Files\\Tarnwick", "C:\\Program Files\\Tarnwick"},
        // Entries of earlier installs: unquoted, blanks and all, in any case.
        {"C:\\Program Files\\Tarnwick\\Setup.exe C:\\Program Files\\Tarnwick", program, "C:\\Program Files\\Tarnwick",
         "C:\\Program Files\\Tarnwick"},
        {"c:\\program files\\tarnwick\\SETUP.EXE C:\\Program Files\\Tarnwick", program, "C:\\Program Files\\Tarnwick",
         "C:\\Program Files\\Tarnwick"},
        // The same program under another spelling of its path: its own file name ends it.
        {"C:\\PROGRA~1\\Tarnwick\\Setup.exe C:\\Program Files\\Tarnwick", program, "C:\\Program Files\\Tarnwick",
         "C:\\Program Files\\Tarnwick"},
        // Started by name from its folder, or with nothing after it.
        {"setup.exe", "D:\\Media\\Setup.exe", "", ""},
        {"\"D:\\Media\\Setup.exe\"", "D:\\Media\\Setup.exe", "", ""},
        {"Setup   \"C:\\Apps\"  ", "D:\\Media\\Setup.exe", "\"C:\\Apps\"  ", "C:\\Apps"},
        {"\"D:\\Media\\Setup.exe\"   \" C:\\Apps \"", "D:\\Media\\Setup.exe", "\" C:\\Apps \"", "C:\\Apps"},
        {"", "D:\\Media\\Setup.exe", "", ""},
    };
    for (const ArgumentsCase& test : cases) {
        const std::string arguments = ArgumentsAfterProgram(test.commandLine, test.modulePath);
        EXPECT_EQ(arguments, test.arguments) << test.commandLine;
        EXPECT_EQ(DirectoryArgument(arguments), test.directory) << test.commandLine;
    }
}

}  // namespace
}  // namespace kelsetup::testing
