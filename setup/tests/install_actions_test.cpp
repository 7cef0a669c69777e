// Each install action through the recording platform: what it creates, in which order, and
// what it shows.

#include "install_actions.h"
#include "primitives.h"
#include "recording_platform.h"
#include "recording_progress.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelsetup::testing {
namespace {

class InstallActions : public ::testing::Test {
protected:
    RecordingPlatform platform;
    RecordingProgress progress;
    SetupInfo info;
    InstallContext context{.platform = platform, .progress = progress, .info = info,
                           .installDir = "C:\\Apps", .options = {}, .folderName = ""};

    template <typename Handler>
    std::string Run(Handler handler, const std::string& section) {
        ScriptStream stream(section);
        handler(context, stream);
        std::string next;
        stream.ReadLine(next);
        return next;
    }

    std::vector<std::string> CallsStartingWith(const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& call : platform.calls)
            if (call.rfind(prefix, 0) == 0) found.push_back(call.substr(prefix.size()));
        return found;
    }
};

TEST_F(InstallActions, AddDirectoryMakesTheInstallDirectoryThenEachRecord) {
    platform.environment["EXTRA"] = "More";
    const std::string next = Run(InstallAddDirectory, "Conf\\Extra\n%EXTRA%\n\nKelSetup:CopyFile\n");
    EXPECT_EQ(next, "KelSetup:CopyFile\n");  // the blank line was a group of its own, skipped
    EXPECT_EQ(CallsStartingWith("CreateDirectory "),
              (std::vector<std::string>{"C:\\Apps", "C:\\Apps", "C:\\Apps", "C:\\Apps\\Conf", "C:\\Apps\\Conf\\Extra",
                                        "C:\\Apps", "C:\\Apps\\More"}));
    EXPECT_TRUE(platform.DirectoryExists("C:\\Apps\\Conf\\Extra"));
    EXPECT_EQ(progress.statuses.front(), (std::vector<std::string>{"Creating directory:", "C:\\Apps\\Conf\\Extra", "", ""}));

    RecordingPlatform blank;
    InstallContext other{.platform = blank, .progress = progress, .info = info,
                         .installDir = "D:\\One\\Two", .options = {}, .folderName = ""};
    ScriptStream stream("\nKelSetup:CopyFile\n");
    InstallAddDirectory(other, stream);  // a blank line only: still the install directory
    EXPECT_TRUE(blank.DirectoryExists("D:\\One\\Two"));
}

TEST_F(InstallActions, CopyFileJoinsAndExpandsTheDestination) {
    platform.AddFile("a.txt", "A");
    platform.AddFile("httpd.conf-dist-win", "H");
    platform.AddFile("sub\\x.dll", "X");
    platform.AddDirectories("C:\\Apps\\Conf");
    Run(InstallCopyFile, ".\\\na.txt\nConf\nhttpd.conf-dist-win\nbin\nsub\\x.dll\n");
    EXPECT_EQ(CallsStartingWith("CopyFile "),
              (std::vector<std::string>{"a.txt -> C:\\Apps\\.\\a.txt", "httpd.conf-dist-win -> C:\\Apps\\Conf\\httpd.conf-dist-win",
                                        "sub\\x.dll -> C:\\Apps\\bin\\sub\\x.dll"}));
    EXPECT_TRUE(platform.FileExists("C:\\Apps\\a.txt"));
    EXPECT_FALSE(platform.FileExists("C:\\Apps\\bin\\sub\\x.dll"));  // its folder was never made
    EXPECT_EQ(progress.statuses[1], (std::vector<std::string>{"Copying file:", "httpd.conf-dist-win", "to:",
                                                              "C:\\Apps\\Conf\\httpd.conf-dist-win"}));
    context.installDir = "C:\\Apps\\";
    Run(InstallCopyFile, "Conf\nhttpd.conf-dist-win\n");
    EXPECT_EQ(CallsStartingWith("CopyFile ").back(), "httpd.conf-dist-win -> C:\\Apps\\Conf\\httpd.conf-dist-win");
}

// Copies reach the platform in batches; each is still reported in script order, with its
// own outcome, and no batch holds two copies that touch one file.
TEST_F(InstallActions, CopiesInBatchesReportedInScriptOrder) {
    platform.AddDirectories("C:\\Apps\\files");
    std::string section;
    for (int i = 0; i < 70; ++i) {
        platform.AddFile("f" + std::to_string(i) + ".dat", std::to_string(i));
        section += "files\nf" + std::to_string(i) + ".dat\n";
    }
    Run(InstallCopyFile, section);
    EXPECT_EQ(CallsStartingWith("CopyFiles "), (std::vector<std::string>{"32", "32", "6"}));
    ASSERT_EQ(context.report.Actions().size(), 70u);
    for (int i = 0; i < 70; ++i) {
        const ReportedAction& action = context.report.Actions()[static_cast<std::size_t>(i)];
        EXPECT_EQ(action.subject, "C:\\Apps\\files\\f" + std::to_string(i) + ".dat");
        EXPECT_EQ(action.outcome, Outcome::Done);
    }
    EXPECT_EQ(platform.ReadFile("C:\\Apps\\files\\f69.dat"), "69");
}

TEST_F(InstallActions, CopiesThatTouchOneFileWaitForEachOther) {
    context.startDirectory = "C:\\Apps";  // installing where the files are: copies can chain
    platform.AddFile("C:\\Apps\\a.txt", "A");
    platform.AddFile("C:\\Apps\\setup.txt", "S");
    for (const char* directory : {"C:\\Apps\\x", "C:\\Apps\\y\\x", "C:\\Apps\\z"}) platform.AddDirectories(directory);
    Run(InstallCopyFile,
        "x\na.txt\n"        // writes x\a.txt
        "y\nx\\a.txt\n"     // reads what the first writes
        "x\\.\nA.TXT\n"     // writes what the second reads, spelt otherwise
        "x\nmissing.txt\n"  // fails on its own
        ".\\\nsetup.txt\n"  // already where it belongs
        "z\na.txt\n"
        "z\\\nA.txt\n");    // the same destination again
    const std::vector<std::pair<std::string, Outcome>> expected = {
        {"C:\\Apps\\x\\a.txt", Outcome::Done},       {"C:\\Apps\\y\\x\\a.txt", Outcome::Done},
        {"C:\\Apps\\x\\.\\A.TXT", Outcome::Done},    {"C:\\Apps\\x\\missing.txt", Outcome::Failed},
        {"C:\\Apps\\.\\setup.txt", Outcome::Skipped}, {"C:\\Apps\\z\\a.txt", Outcome::Done},
        {"C:\\Apps\\z\\A.txt", Outcome::Done},
    };
    ASSERT_EQ(context.report.Actions().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(context.report.Actions()[i].subject, expected[i].first) << i;
        EXPECT_EQ(context.report.Actions()[i].outcome, expected[i].second) << i;
    }
    EXPECT_EQ(context.report.Actions()[3].detail, "The system cannot find the file specified.");
    EXPECT_EQ(platform.ReadFile("C:\\Apps\\y\\x\\a.txt"), "A");
    EXPECT_EQ(CallsStartingWith("CopyFiles "), (std::vector<std::string>{"1", "1", "2", "1", "1"}));
}

// Names that differ in the case of a letter beyond ASCII, or by a trailing dot, name one file
// as Windows sees it: those copies wait for each other, and the later record's file stays.
TEST_F(InstallActions, OneFileUnderTwoSpellingsEndsAsTheLaterRecord) {
    struct Case {
        const char* records;
        const char* installed;  // the file that the destination must hold
    };
    const Case cases[] = {
        {"Conf\none\\\xC4.bin\nConf\\one\n\xE4.bin\n", "C:\\Apps\\Conf\\one\\\xE4.bin"},             // code page 1252
        {"Conf\none\\\xC3\x84.bin\nConf\\one\n\xC3\xA4.bin\n", "C:\\Apps\\Conf\\one\\\xC3\xA4.bin"},  // UTF-8
        {"Conf\none\\b.bin\nConf\\one\nb.bin.\n", "C:\\Apps\\Conf\\one\\b.bin"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.records);
        platform.AddDirectories("C:\\Apps\\Conf\\one");
        ScriptStream names(test.records);
        RecordSlots slots;
        ASSERT_EQ(ReadRecordLines(4, slots, names), 4);
        TrimScriptLine(slots[1]);
        TrimScriptLine(slots[3]);
        platform.AddFile(slots[1], "the earlier record's");
        platform.AddFile(slots[3], "the later record's");
        platform.calls.clear();
        Run(InstallCopyFile, test.records);
        EXPECT_EQ(CallsStartingWith("CopyFiles "), (std::vector<std::string>{"1", "1"}));
        EXPECT_EQ(platform.ReadFile(test.installed), "the later record's");
    }
    EXPECT_EQ(context.report.FailureCount(), 0u);
}

TEST_F(InstallActions, RenameFileMovesOnceAndStopsAtMarkers) {
    platform.AddFile("C:\\Apps\\old.txt", "O");
    EXPECT_EQ(Run(InstallRenameFile, "old.txt\nnew.txt\nmore\n"), "more\n");
    EXPECT_TRUE(platform.FileExists("C:\\Apps\\new.txt"));
    EXPECT_EQ(Run(InstallRenameFile, "new.txt\nKelSetup:CopyFile\n"), "new.txt\n");
    EXPECT_TRUE(platform.FileExists("C:\\Apps\\new.txt"));
    EXPECT_TRUE(progress.statuses.empty());  // renames show nothing
}

TEST_F(InstallActions, RegistryKeysAndEveryValueType) {
    Run(InstallRegistryKey, "HKEY_LOCAL_MACHINE\\Software\\T\nSoftware\\U\nHKEY_LOCAL_MACHINE\n");
    EXPECT_TRUE(platform.KeyExists(RootKey::LocalMachine, "Software\\T"));
    EXPECT_TRUE(platform.KeyExists(RootKey::CurrentUser, "U"));
    EXPECT_TRUE(platform.KeyExists(RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(progress.statuses[0], (std::vector<std::string>{"Creating registry key:", "HKEY_LOCAL_MACHINE\\Software\\T", "", ""}));

    struct Case {
        const char* type;
        const char* data;
        ValueType stored;
        std::string bytes;
    } cases[] = {
        {"REG_DWORD", "-1", ValueType::Number, std::string("\xff\xff\xff\xff", 4)},
        {"reg_dword", "4294967295", ValueType::Number, std::string("\xff\xff\xff\x7f", 4)},
        {"REG_DWORD", "0x10", ValueType::Number, std::string(4, '\0')},
        {"REG_DWORD_BIG_ENDIAN", "258", ValueType::NumberBigEndian, std::string("\0\0\x01\x02", 4)},
        {"REG_BINARY", "255000016", ValueType::Binary, std::string("\xff\0\x10", 3)},
        {"REG_BINARY", "2561", ValueType::Binary, std::string(1, '\0')},
        {"REG_BINARY", "01020", ValueType::Binary, std::string(1, '\x0a')},
        {"REG_BINARY", "1", ValueType::Binary, std::string()},
        {"REG_MULTI_SZ", "one", ValueType::MultiString, std::string("one\0\0", 5)},
        {"REG_EXPAND_SZ", "%PATH%", ValueType::ExpandString, std::string("%PATH%\0", 7)},
        {"reg_link", "x", ValueType::Link, std::string("x\0", 2)},
        {"REG_NONE;", "x", ValueType::None, std::string("x\0", 2)},
        {"REG_NONE", "x", ValueType::String, std::string("x\0", 2)},
        {"REG_RESOURCE_LIST", "x", ValueType::ResourceList, std::string("x\0", 2)},
        {"WHATEVER", "%InstallDir%Conf", ValueType::String, std::string("C:\\Apps\\Conf\0", 13)},
    };
    for (const Case& test : cases) {
        Run(InstallRegistryValue, std::string("HKEY_LOCAL_MACHINE\\Software\\T\nV\n") + test.type + "\n" + test.data + "\n");
        EXPECT_EQ(platform.Value(RootKey::LocalMachine, "Software\\T", "V"), test.bytes) << test.type << " " << test.data;
        EXPECT_EQ(platform.TypeOf(RootKey::LocalMachine, "Software\\T", "V"), test.stored) << test.type;
    }
    // A key nobody made: nothing written. An empty data line: the record is skipped.
    Run(InstallRegistryValue, "HKEY_LOCAL_MACHINE\\Software\\Nowhere\nV\nREG_SZ\nx\n");
    EXPECT_FALSE(platform.KeyExists(RootKey::LocalMachine, "Software\\Nowhere"));
    Run(InstallRegistryValue, "HKEY_LOCAL_MACHINE\\Software\\T\nEmpty\nREG_SZ\n\n");
    EXPECT_FALSE(platform.Value(RootKey::LocalMachine, "Software\\T", "Empty").has_value());
}

TEST_F(InstallActions, RegistryStringBlocks) {
    platform.CreateKey(RootKey::CurrentUser, "Software\\T");
    const std::string next = Run(InstallRegistryString,
                                 "HKEY_CURRENT_USER\\Software\\T\nText\n  first\n\nsecond  \n%InstallDir%Conf\n"
                                 "KelSetup:RegistryStringEnd\nafter\n");
    EXPECT_EQ(next, "after\n");
    EXPECT_EQ(platform.Value(RootKey::CurrentUser, "Software\\T", "Text"),
              std::string("first\n\nsecond\nC:\\Apps\\Conf\0", 27));
    Run(InstallRegistryString, "HKEY_CURRENT_USER\\Software\\T\nEmpty\nKelSetup:RegistryStringEnd\n");
    EXPECT_EQ(platform.Value(RootKey::CurrentUser, "Software\\T", "Empty"), std::string(1, '\0'));
    // No end line: the rest of the file is the text; a very long block is cut at its limit.
    std::string lines;
    for (int i = 0; i < 2000; ++i) lines += "line of text\n";
    Run(InstallRegistryString, "HKEY_CURRENT_USER\\Software\\T\nLong\n" + lines);
    const std::size_t stored = platform.Value(RootKey::CurrentUser, "Software\\T", "Long")->size();
    EXPECT_LE(stored, 10239u + 1);  // the text and its zero
    EXPECT_GE(stored, 10239u - 13);
}

TEST_F(InstallActions, ShortcutsCarryTheValuesOfTheRecord) {
    platform.CreateKey(RootKey::CurrentUser, kShellFoldersKey);
    platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, "Startup", ValueType::ExpandString,
                      std::string("%USERPROFILE%\\Start Menu\\Programs\\Startup\0", 43));
    platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, "Programs", ValueType::ExpandString,
                      std::string("C:\\Users\\me\\Programs\\\0", 22));
    platform.environment["USERPROFILE"] = "C:\\Users\\me";
    platform.AddDirectories("C:\\Users\\me\\Start Menu\\Programs\\Startup");
    platform.AddDirectories("C:\\Users\\me\\Programs");
    Run(InstallStartMenu, "Tarnwick.exe\n-q %InstallDir%x\nTarnwick\n");
    ASSERT_EQ(platform.shortcuts.size(), 1u);
    EXPECT_EQ(platform.shortcuts[0], (ShortcutSpec{"C:\\Apps\\Tarnwick.exe", "C:\\Apps\\Tarnwick.exe", "Tarnwick", "C:\\Apps",
                                                   "-q C:\\Apps\\x", "C:\\Users\\me\\Start Menu\\Programs\\Startup\\Tarnwick.lnk"}));
    EXPECT_EQ(progress.statuses[0], (std::vector<std::string>{"Adding Tarnwick to the Startup Group...",
                                                              "C:\\Apps\\Tarnwick.exe", "", ""}));

    context.folderName = "Velmora\\Tarnwick";
    context.installDir = "C:\\";
    Run(InstallAddProgram, "Tarnwick.exe\n\nTarnwick\n// off\n\nHidden\nSetup.exe\nC:\\\nUninstall\n");
    ASSERT_EQ(platform.shortcuts.size(), 3u);
    EXPECT_EQ(platform.shortcuts[1], (ShortcutSpec{"C:\\Tarnwick.exe", "C:\\Tarnwick.exe", "Tarnwick", "C:", "",
                                                   "C:\\Users\\me\\Programs\\Velmora\\Tarnwick\\Tarnwick.lnk"}));
    EXPECT_EQ(platform.shortcuts[2].arguments, "C:\\");
    EXPECT_TRUE(platform.DirectoryExists("C:\\Users\\me\\Programs\\Velmora\\Tarnwick"));
    EXPECT_EQ(progress.statuses[1], (std::vector<std::string>{"Creating program group and items:", "Velmora\\Tarnwick",
                                                              "Tarnwick.exe", ""}));

    context.folderName = "";
    Run(InstallAddProgram, "Tarnwick.exe\n\nDirect\n");
    EXPECT_EQ(platform.shortcuts.back().linkPath, "C:\\Users\\me\\Programs\\Direct.lnk");

    // No shell folder to read: the shortcut is skipped.
    RecordingPlatform bare;
    InstallContext other{.platform = bare, .progress = progress, .info = info,
                         .installDir = "C:\\Apps", .options = {}, .folderName = ""};
    ScriptStream stream("Tarnwick.exe\n\nTarnwick\n");
    InstallStartMenu(other, stream);
    EXPECT_TRUE(bare.shortcuts.empty());
}

TEST_F(InstallActions, SystemFilesCompareVersions) {
    const FileVersion installing{4, 71, 1712, 5};
    platform.AddFile("a.dll", "new", installing);
    platform.AddFile("b.dll", "new", installing);
    platform.AddFile("c.dll", "new", installing);
    platform.AddFile("C:\\Windows\\System\\b.dll", "same", installing);
    platform.AddFile("C:\\Windows\\System\\c.dll", "newer", FileVersion{5, 0, 0, 1});
    platform.environment["WINDIR"] = "C:\\Windows";
    progress.installOnConflict = false;
    Run(InstallSystemFile, "%windir%\\System\na.dll\nC:\\Windows\\System\\\nb.dll\n%WINDIR%\\System\nc.dll\n");
    EXPECT_EQ(platform.ReadFile("C:\\Windows\\System\\a.dll"), "new");  // none there: copied
    EXPECT_EQ(platform.ReadFile("C:\\Windows\\System\\b.dll"), "new");  // same version: replaced silently
    EXPECT_EQ(platform.ReadFile("C:\\Windows\\System\\c.dll"), "newer");  // skipped by the user
    ASSERT_EQ(progress.conflicts.size(), 1u);
    EXPECT_EQ(VersionText(progress.conflicts[0].existing), "5.0.0.1");
    EXPECT_EQ(VersionText(progress.conflicts[0].installing), "4.71.1712.5");
    EXPECT_EQ(progress.conflicts[0].fileName, "c.dll");
    EXPECT_EQ(progress.statuses[0], (std::vector<std::string>{"Installing system file:", "a.dll", "to", "C:\\Windows\\System"}));
    progress.installOnConflict = true;
    Run(InstallSystemFile, "C:\\Windows\\System\nc.dll\n");
    EXPECT_EQ(platform.ReadFile("C:\\Windows\\System\\c.dll"), "new");
}

TEST_F(InstallActions, ProgramRecordsStartWithTheirCommandLine) {
    platform.environment["TEMP"] = "C:\\Temp";
    ScriptStream stream("%InstallDir%post.exe\n/x %TEMP%\n");
    RunScriptProgram(platform, context.report, "C:\\Apps", stream);
    EXPECT_EQ(platform.calls.back(), "StartProgram C:\\Apps\\post.exe | C:\\Apps\\post.exe /x C:\\Temp");
    ScriptStream cut("only.exe\nKelSetup:X\n");
    RunScriptProgram(platform, context.report, "C:\\Apps", cut);
    EXPECT_EQ(platform.calls.back(), "StartProgram C:\\Apps\\post.exe | C:\\Apps\\post.exe /x C:\\Temp");
    // A program that cannot be started is reported, with the system's reason.
    platform.missingPrograms.insert("C:\\Apps\\post.exe");
    ScriptStream again("%InstallDir%post.exe\n\n");
    RunScriptProgram(platform, context.report, "C:\\Apps", again);
    ASSERT_EQ(context.report.Actions().size(), 2u);
    EXPECT_EQ(DescribeAction(context.report.Actions()[1]),
              "Starting program C:\\Apps\\post.exe : The system cannot find the file specified.");
}

}  // namespace
}  // namespace kelsetup::testing

#include "program_folders.h"

namespace kelsetup::testing {
namespace {

TEST(ProgramFolders, ExistingFoldersAndTheProductName) {
    RecordingPlatform platform;
    platform.CreateKey(RootKey::CurrentUser, kShellFoldersKey);
    platform.SetValue(RootKey::CurrentUser, kShellFoldersKey, "Programs", ValueType::ExpandString,
                      std::string("C:\\Menu\\Programs\0", 18));
    for (const char* folder : {"Accessories", "kellaunch", ".hidden", "Tarnwick"})
        platform.AddDirectories(std::string("C:\\Menu\\Programs\\") + folder);
    platform.AddFile("C:\\Menu\\Programs\\loose.lnk", "x");
    std::vector<std::string> choices = ProgramFolderChoices(platform, "Tarnwick");
    EXPECT_EQ(choices.back(), "Tarnwick");
    std::sort(choices.begin(), choices.end());
    EXPECT_EQ(choices, (std::vector<std::string>{"Accessories", "Tarnwick", "Tarnwick"}));
    RecordingPlatform bare;
    EXPECT_EQ(ProgramFolderChoices(bare, "Tarnwick"), std::vector<std::string>{"Tarnwick"});
}

}  // namespace
}  // namespace kelsetup::testing
