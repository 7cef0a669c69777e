// Text in the system's ANSI code page: one suite for every binding of the code page, what
// counts as UTF-8, where a text may be cut, and files kept in their code page through a save.

#include "code_page.h"
#include "config_reader.h"
#include "config_writer.h"
#include "memory_code_page.h"
#include "memory_file_store.h"
#include "memory_tree.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "win32/win32_code_page.h"
#endif

namespace tarnwick::testing {
namespace {

struct MemoryCodePageBinding {
    Windows1252CodePage codePage;
};
#ifdef _WIN32
struct PlatformCodePageBinding {
    Win32AnsiCodePage codePage{1252};
};
using CodePageBindings = ::testing::Types<MemoryCodePageBinding, PlatformCodePageBinding>;
#else
using CodePageBindings = ::testing::Types<MemoryCodePageBinding>;
#endif

template <typename Binding>
class CodePageConformance : public ::testing::Test {
protected:
    Binding binding;
};
TYPED_TEST_SUITE(CodePageConformance, CodePageBindings);

TYPED_TEST(CodePageConformance, ReadsAndWritesWindows1252) {
    const AnsiCodePage& codePage = this->binding.codePage;
    EXPECT_EQ(codePage.Number(), 1252u);
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"DocumentRoot \"C:/www\"", "DocumentRoot \"C:/www\""},
        {"C:\\Users\\Zo\xEB", "C:\\Users\\Zo\xC3\xAB"},
        {"\x80 \x9F \xA0 \xFF", "\xE2\x82\xAC \xC5\xB8 \xC2\xA0 \xC3\xBF"},
        // Unassigned in the code page, yet read and written back as the C1 control of that number.
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(codePage.ToUtf8(c.bytes), c.text) << c.text;
        EXPECT_EQ(codePage.FromUtf8(c.text), c.bytes) << c.text;
    }
    // No best fit: a character the code page lacks is refused, never written as a look-alike.
    for (const char* missing : {"\xC5\x91", "\xE3\x82\xB5", "\xF0\x9F\x98\x80", "\xC3"})
        EXPECT_EQ(codePage.FromUtf8(std::string("a") + missing), std::nullopt) << missing;
    EXPECT_EQ(FirstCharacterNotIn(codePage, "Zo\xC3\xAB \xC5\x91 \xE3\x82\xB5"), "\xC5\x91");
    EXPECT_EQ(FirstCharacterNotIn(codePage, "Zo\xC3\xAB"), "");
}

TEST(Utf8, WhatCountsAsUtf8) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"plain ASCII, long enough for a step of eight", true},
        {"Zo\xC3\xAB", true},
        {"C:\\\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88", true},
        {"\xF0\x9F\x98\x80", true},
        {"Zo\xEB", false},               // Windows-1252
        {"\xC3", false},                 // cut short
        {"\xC0\xAF", false},             // overlong
        {"\xED\xA0\x80", false},         // a surrogate
        {"\xF4\x90\x80\x80", false},     // past U+10FFFF
        {"0123456789abcdef\xE9", false}, // after a whole step of ASCII
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(IsUtf8(bytes), utf8) << bytes;
}

TEST(Utf8, ATextIsCutBetweenCharacters) {
    struct Case {
        std::string text;
        std::size_t limit;
        std::size_t cut;
    };
    const Case cases[] = {
        {"abc", 5, 3}, {"abc", 2, 2}, {"Zo\xC3\xAB", 3, 2}, {"Zo\xC3\xAB", 4, 4},
        {"\xE3\x82\xB5\xE3\x82\xA4", 5, 3}, {"\xE3\x82\xB5", 2, 0}, {"\xF0\x9F\x98\x80x", 4, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8CutPoint(c.text, c.limit), c.cut) << c.text << " " << c.limit;
    const std::pair<std::string, std::size_t> lengths[] = {
        {"", 0}, {"abc", 3}, {"Zo\xC3\xAB", 3}, {"\xE3\x82\xB5", 1}, {"\xF0\x9F\x98\x80", 2}, {"Zo\xEB", 3}};
    for (const auto& [text, units] : lengths) EXPECT_EQ(Utf16Length(text), units) << text;
}

// A file that is not UTF-8 is shown decoded and keeps its code page through every save.
TEST(FilesInTheirCodePage, KeepTheirBytesAndWriteEditsInTheirCodePage) {
    struct Case {
        const char* what;
        std::string file;
        std::string newValue;  // of the second directive
        std::string saved;     // empty: not saved
    };
    const std::string latin =
        "# R\xE9glages de Zo\xEB\r\nServerName caf\xE9\r\nPort 80\r\n# fin \xA9\r\nDocumentRoot \"C:/Zo\xEB\"\r\n";
    const std::string utf8 = "# Zo\xC3\xAB\r\nServerName caf\xC3\xA9\r\nPort 80\r\n";
    const Case cases[] = {
        {"an unrelated change leaves every other line as it was", latin, "8080",
         "# R\xE9glages de Zo\xEB\r\nServerName caf\xE9\r\nPort 8080\r\n# fin \xA9\r\nDocumentRoot \"C:/Zo\xEB\"\r\n"},
        {"an accented value goes back in the code page", latin, "\xE2\x82\xAC\xC3\xA9",
         "# R\xE9glages de Zo\xEB\r\nServerName caf\xE9\r\nPort \x80\xE9\r\n# fin \xA9\r\nDocumentRoot \"C:/Zo\xEB\"\r\n"},
        {"a character the code page lacks is refused", latin, "\xC5\x91", ""},
        {"a UTF-8 file stays UTF-8", utf8, "Zo\xC3\xAB", "# Zo\xC3\xAB\r\nServerName caf\xC3\xA9\r\nPort Zo\xC3\xAB\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryTree tree;
        MemoryFileStore files;
        Windows1252CodePage codePage;
        ConfigDocument document{tree, files, "C:\\conf\\"};
        document.ansiCodePage = &codePage;
        files.AddDirectory("C:\\conf\\");
        files.AddFile("C:\\conf\\httpd.conf", c.file);
        const ItemHandle file = ReadConfigFile(document, "C:\\conf\\", "httpd.conf", "httpd.conf").item;
        const ItemHandle serverName = tree.FirstChild(file);
        EXPECT_EQ(tree.GetItem(serverName).value, "caf\xC3\xA9");  // shown decoded either way
        const ItemHandle port = tree.NextSibling(serverName);
        const std::string refused = ValueNotInCodePage(document, port, c.newValue);
        EXPECT_EQ(refused.empty(), !c.saved.empty()) << refused;
        tree.SetItemValue(port, c.newValue);  // what a save refuses when Update did not
        const std::vector<UnsavedFile> unsaved = SaveAllFiles(document);
        if (c.saved.empty()) {
            ASSERT_EQ(unsaved.size(), 1u);
            EXPECT_EQ(unsaved[0].problem, SaveProblem::NotInCodePage);
            EXPECT_EQ(files.ReadFileBytes("C:\\conf\\httpd.conf"), c.file);
            continue;
        }
        EXPECT_TRUE(unsaved.empty());
        EXPECT_EQ(files.ReadFileBytes("C:\\conf\\httpd.conf"), c.saved);
        // What was written is what the tree holds, also after a change taken back.
        EXPECT_FALSE(HasUnsavedChanges(document));
        tree.SetItemValue(port, "other");
        tree.SetItemValue(port, c.newValue);
        EXPECT_FALSE(HasUnsavedChanges(document));
    }
}

}  // namespace
}  // namespace tarnwick::testing
