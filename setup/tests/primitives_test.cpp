// The script's reading primitives: trimming, reads of at most 1023 characters, record groups,
// usable lines, "%InstallDir%", root keys and directory chains.

#include "primitives.h"
#include "recording_platform.h"
#include "script_stream.h"
#include "script_text.h"

#include <gtest/gtest.h>

namespace kelsetup::testing {
namespace {

TEST(TrimScriptLine, RemovesLineEndsThenSpaces) {
    const std::pair<std::string, std::string> cases[] = {
        {"  a b  \r\n", "a b"}, {"a \n", "a"}, {"\t x \n", "\t x"}, {"\r\n\r\n", ""}, {"   \n", ""},
        {"", ""},               {"  a  ", "a"}, {"x\r\r\n\n", "x"}, {"\tx\t", "\tx\t"}, {"a  b", "a  b"},
    };
    for (const auto& [line, trimmed] : cases) {
        std::string text = line;
        TrimScriptLine(text);
        EXPECT_EQ(text, trimmed) << "line: \"" << line << "\"";
    }
}

TEST(IsUsableLine, EmptyAndSlashedLinesAreNot) {
    const std::pair<const char*, bool> cases[] = {{"a", true},   {"ab/", true}, {"a/b", false}, {"/a", false},
                                                   {"//c", false}, {"", false},   {" ", true}};
    for (const auto& [line, usable] : cases) EXPECT_EQ(IsUsableLine(line), usable) << line;
}

TEST(ScriptStream, ReadsLinesInTextModeWithAtMost1023Characters) {
    const std::string longLine(1500, 'x');
    ScriptStream stream("one\r\ntwo\n" + longLine + "\nlast");
    std::string line;
    ASSERT_TRUE(stream.ReadLine(line));
    EXPECT_EQ(line, "one\n");
    EXPECT_EQ(stream.Position(), 5u);  // byte positions of the file: CR LF counts two
    stream.ReadLine(line);
    EXPECT_EQ(line, "two\n");
    stream.ReadLine(line);
    EXPECT_EQ(line.size(), 1023u);  // a long line is two reads
    stream.ReadLine(line);
    EXPECT_EQ(line, std::string(477, 'x') + "\n");
    EXPECT_FALSE(stream.AtEnd());
    stream.ReadLine(line);
    EXPECT_EQ(line, "last");
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_FALSE(stream.ReadLine(line));
    EXPECT_EQ(line, "last");  // a read that gets nothing leaves the buffer
    stream.Seek(0);
    EXPECT_FALSE(stream.AtEnd());
}

// At the limit a line is cut between characters, never in one.
TEST(ScriptStream, CutsLongLinesBetweenCharacters) {
    const std::string zoe = "Zo\xC3\xAB";
    struct Case {
        std::string line;
        std::size_t firstRead;
    };
    const Case cases[] = {
        {std::string(1022, 'x') + zoe, 1023},                // "Z" fits
        {std::string(1020, 'x') + zoe, 1022},                // the two bytes of "\xC3\xAB" do not
        {std::string(1021, 'x') + "\xE3\x82\xB5yz", 1021},   // nor three of a Japanese character
        {std::string(1020, 'x') + "\xE3\x82\xB5yz", 1023},
    };
    for (const Case& c : cases) {
        ScriptStream stream(c.line + "\n");
        std::string first, rest;
        stream.ReadLine(first);
        stream.ReadLine(rest);
        EXPECT_EQ(first.size(), c.firstRead) << c.line.size();
        EXPECT_EQ(first + rest, c.line + "\n");
        std::string cut = c.line;
        CutToLimit(cut);
        EXPECT_EQ(cut, first) << c.line.size();
    }
}

// The script as UTF-8: a byte-order mark skipped, lines in the ANSI code page decoded.
TEST(ScriptText, ReadsUtf8AndTheAnsiCodePage) {
    const std::pair<std::string, std::string> cases[] = {
        {"KelSetup:SetupInfo\r\nTarnwick\r\n", "KelSetup:SetupInfo\r\nTarnwick\r\n"},
        {"\xEF\xBB\xBFKelSetup:SetupInfo\n", "KelSetup:SetupInfo\n"},
        {"C:\\Tarnwick Zo\xC3\xAB\n", "C:\\Tarnwick Zo\xC3\xAB\n"},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},  // only the first mark is one
        {"C:\\Tarnwick Zo\xEB\r\n", "C:\\Tarnwick Zo\xC3\xAB\r\n"},
        // An install's copy of such a script: the program folder appended in UTF-8.
        {"Caf\xE9\nKelSetup:GroupName\nZo\xC3\xAB\n", "Caf\xC3\xA9\nKelSetup:GroupName\nZo\xC3\xAB\n"},
        {"\xEB", "\xC3\xAB"},
    };
    RecordingPlatform platform;
    for (const auto& [bytes, text] : cases) EXPECT_EQ(ScriptText(platform, bytes), text) << bytes;
}

TEST(ScriptStream, ControlZEndsTheText) {
    ScriptStream stream("a\n\x1a" "b\n");
    std::string line;
    stream.ReadLine(line);
    EXPECT_FALSE(stream.ReadLine(line));
    EXPECT_TRUE(stream.AtEnd());
}

TEST(ReadRecordLines, StopsAtMarkersAndTheEnd) {
    ScriptStream stream("x\nKelSetup:Foo\ny\n");
    RecordSlots slots;
    EXPECT_EQ(ReadRecordLines(2, slots, stream), 1);
    EXPECT_EQ(slots[0], "x\n");
    std::string line;
    stream.ReadLine(line);
    EXPECT_EQ(line, "y\n");
    EXPECT_EQ(ReadRecordLines(1, slots, stream), 0);

    ScriptStream lowerCase("x\\kelsetup:y\nz\n");
    EXPECT_EQ(ReadRecordLines(2, slots, lowerCase), 2);  // only "KelSetup:" in this case ends a group
    ScriptStream noBreak("a\nb");
    EXPECT_EQ(ReadRecordLines(2, slots, noBreak), 1);  // a last line without a line break is lost
}

TEST(ForEachRecord, GroupsCommentsAndCutShortGroups) {
    struct Case {
        const char* name;
        std::string section;
        std::vector<std::string> acted;
        std::string next;  // what the walk reads next
    } cases[] = {
        {"blank line before the marker", "a\nb\nc\nd\n\nKelSetup:X\n", {"a+b", "c+d"}, "\n"},
        {"comment between records", "a\nb\n// note\nc\nd\ne\nKelSetup:X\n", {"a+b", "d+e"}, "KelSetup:X\n"},
        {"cut short by the end", "a\nb\nc", {"a+b"}, "c"},
        {"odd case marker", "a\nb\nkelsetup:x\n", {"a+b"}, "kelsetup:x\n"},
    };
    for (const Case& test : cases) {
        ScriptStream stream(test.section);
        std::vector<std::string> acted;
        ForEachRecord(stream, {2,
                               [](RecordSlots& slots) {
                                   TrimScriptLine(slots[0]);
                                   TrimScriptLine(slots[1]);
                               },
                               nullptr, [&](RecordSlots& slots) { acted.push_back(slots[0] + "+" + slots[1]); }});
        EXPECT_EQ(acted, test.acted) << test.name;
        std::string next;
        stream.ReadLine(next);
        EXPECT_EQ(next, test.next) << test.name;
    }
}

TEST(ExpandInstallPath, SeparatorRuleAndEnvironment) {
    RecordingPlatform platform;
    platform.environment["WINDIR"] = "C:\\Windows";
    struct Case {
        std::string text;
        std::string dir;
        bool environment;
        std::string expanded;
    } cases[] = {
        {"%InstallDir%Conf", "C:\\Apps", false, "C:\\Apps\\Conf"},
        {"%InstallDir%Conf\\", "C:\\Apps", false, "C:\\AppsConf\\"},
        {"%InstallDir%\\Conf", "C:\\Apps", false, "C:\\Apps\\\\Conf"},
        {"%InstallDir%a;%InstallDir%b", "C:\\P", false, "C:\\P\\a;C:\\P\\b"},
        {"%installdir%x", "C:\\P", true, "%installdir%x"},
        {"%WINDIR%\\System", "C:\\P", true, "C:\\Windows\\System"},
        {"%windir%\\System", "C:\\P", false, "%windir%\\System"},
        {"%InstallDir%Conf\n", "C:\\Apps", false, "C:\\Apps\\Conf\n"},
        {"", "C:\\Apps", false, ""},
    };
    for (const Case& test : cases) {
        std::string text = test.text;
        ExpandInstallPath(text, test.dir, test.environment, platform);
        EXPECT_EQ(text, test.expanded) << test.text;
    }
    std::string huge = "%InstallDir%" + std::string(2000, 'x');
    ExpandInstallPath(huge, "C:\\Apps", false, platform);
    EXPECT_EQ(huge.size(), kMaxTextLength);
}

TEST(SplitRootKey, FirstComponentIsTheRoot) {
    struct Case {
        std::string path;
        RootKey root;
        std::string rest;
    } cases[] = {
        {"hkey_local_machine\\Software\\X", RootKey::LocalMachine, "Software\\X"},
        {"HKEY_CURRENT_USER\\Software", RootKey::CurrentUser, "Software"},
        {"Software\\X", RootKey::CurrentUser, "X"},
        {"HKEY_CLASSES_ROOT\\.conf", RootKey::ClassesRoot, ".conf"},
        {"HKEY_USERS\\.DEFAULT", RootKey::Users, ".DEFAULT"},
        {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"},
    };
    for (const Case& test : cases) {
        std::string path = test.path;
        EXPECT_EQ(SplitRootKey(path), test.root) << test.path;
        EXPECT_EQ(path, test.rest) << test.path;
    }
}

TEST(CreatePathDirectories, AsksForEachDirectoryInOrder) {
    struct Case {
        std::string path;
        std::vector<std::string> asked;
    } cases[] = {
        {"C:\\A\\B\\C", {"C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}},
        {"C:\\A\\\\B", {"C:\\A", "C:\\A\\\\B"}},
        {"C:\\A\\", {"C:\\A", "C:\\A\\"}},
        {"Conf", {}},
    };
    for (const Case& test : cases) {
        RecordingPlatform platform;
        CreatePathDirectories(test.path, platform);
        std::vector<std::string> asked;
        for (const std::string& call : platform.calls) asked.push_back(call.substr(std::string("CreateDirectory ").size()));
        EXPECT_EQ(asked, test.asked) << test.path;
    }
}

TEST(ReadDecimal, AsTheRuntimeReadsNumbers) {
    const std::pair<const char*, std::int32_t> cases[] = {{"42", 42},   {"  -7x", -7}, {"+3", 3},
                                                          {"0x10", 0},  {"", 0},       {"abc", 0},
                                                          {"4294967295", 2147483647}, {"-99999999999", -2147483647 - 1}};
    for (const auto& [text, number] : cases) EXPECT_EQ(ReadDecimal(text), number) << text;
}

}  // namespace
}  // namespace kelsetup::testing
