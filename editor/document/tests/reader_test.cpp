// How lines of a configuration file become items: one table of inputs, deliberately odd ones
// included, and the tree each must give.

#include "config_reader.h"
#include "config_writer.h"
#include "tree_walk.h"
#include "memory_file_store.h"
#include "memory_tree.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

struct ReadCase {
    const char* name;
    std::string input;
    std::string tree;  // the file item's children, as DumpItem shows them
};

std::string ReadIntoFileItem(const std::string& input) {
    MemoryTree tree;
    ItemView file;
    file.text = "f";
    file.image = kFileImage;
    file.sectionMark = true;
    const ItemHandle item = tree.InsertItem(kNoItem, InsertPosition::Last(), file);
    ParseConfigText(tree, input, item);
    return DumpItem(tree, item);
}

class ReadLines : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadLines, GiveTheExpectedTree) {
    EXPECT_EQ(ReadIntoFileItem(GetParam().input), "F f (none)" + GetParam().tree);
}

const ReadCase kReadCases[] = {
    {"Empty", "", ""},
    {"OnlyCommentsAndBlanks", "# one\n\n   \n\t\n  # indented\n#", ""},
    {"NameAndValue", "Port 80\n", "\n  D Port = 80\n"},
    {"ExtraBlanksStayInTheValue", "Name   value\n", "\n  D Name =   value\n"},
    {"QuotesAndCommentsStayInTheValue", "DocumentRoot \"C:/web\"  # here\n", "\n  D DocumentRoot = \"C:/web\"  # here\n"},
    {"IndentationIsDropped", "    Options None   \n", "\n  D Options = None\n"},
    {"SingleLetterBetweenBlanks", "   X   \n", "\n  D X = \n"},
    {"NameWithoutValue", "ClearModuleList\n", "\n  D ClearModuleList = \n"},
    {"TabsAreBlanks", "\tOptions\tNone\t\n", "\n  D Options = None\n"},
    {"TabIndentedSection", "\t<Directory\t/x>\n\t\tAllow from all\n\t</Directory>\n",
     "\n  S Directory = /x\n    D Allow = from all\n"},
    {"EmptySection", "<Directory />\n</Directory>\n", "\n  S Directory = /\n"},
    {"SectionWithoutArguments", "<Foo>\nA 1\n</Foo>\n", "\n  S Foo = \n    D A = 1\n"},
    {"TextAfterTheClosingBracket", "<Directory /x> # note\n</Directory>\n", "\n  S Directory = /x\n"},
    {"OpeningLineWithoutBracket", "<Directory /x\n</Directory>\n", "\n  S Directory = /x\n"},
    {"BracketInsideArguments", "<If \"%{A} > 5\">\n</If>\n", "\n  S If = \"%{A} > 5\"\n"},
    {"NestedSectionsKeepTheirNesting",
     "<IfModule a>\n<Directory b>\nX 1\n</Directory>\nY 2\n</IfModule>\nZ 3\n",
     "\n  S IfModule = a\n    S Directory = b\n      D X = 1\n    D Y = 2\n  D Z = 3\n"},
    {"StrayClosingLineStaysAtFileLevel", "</Directory>\nX 1\n</IfModule>\nY 2\n", "\n  D X = 1\n  D Y = 2\n"},
    {"UnclosedSectionAtEnd", "<Directory x>\nA 1", "\n  S Directory = x\n    D A = 1\n"},
    {"ContinuedOpeningLineIsJoined", "<IfDefine A \\\n  B>\nX 1\n</IfDefine>\n", "\n  S IfDefine = A B\n    D X = 1\n"},
    {"JoinedLineThatClosesASection", "<D x>\nA 1\n<\\\n/D>\nB 2\n", "\n  S D = x\n    D A = 1\n  D B = 2\n"},
    {"ContinuationJoinsWithoutBackslash", "Foo a \\\n   b\\\n c\nBar 1\n", "\n  D Foo = a bc\n  D Bar = 1\n"},
    {"ContinuationOnLastLine", "Foo a\\", "\n  D Foo = a\n"},
    {"ContinuationEndsWithoutTrailingBlanks", "Foo a \\\n\nBar b\\\n \n", "\n  D Foo = a\n  D Bar = b\n"},
    {"ContinuationTakesCommentLines", "Foo a\\\n# not a comment\n", "\n  D Foo = a# not a comment\n"},
    {"ANameEndingInABackslashRunsOn", "Foo\\\nBar 1\n", "\n  D FooBar = 1\n"},
    {"ABackslashBeforeABlankContinuesNothing", "Foo a\\ \nBar 1\n<D x\\ \n", "\n  D Foo = a\\\n  D Bar = 1\n  S D = x\\\n"},
    {"CrLfLineEnds", "A 1\r\nB 2\r\n", "\n  D A = 1\n  D B = 2\n"},
    {"CrOnlyLineEnds", "# c\rA 1\rB 2\r", "\n  D A = 1\n  D B = 2\n"},
    {"MixedLineEnds", "A 1\nB 2\r\nC 3\rD 4", "\n  D A = 1\n  D B = 2\n  D C = 3\n  D D = 4\n"},
    {"NulBytesStayInValues", std::string("A x\0y\n", 6), std::string("\n  D A = x\0y\n", 13)},
    {"NulEndsAName", std::string("Ab\0cd ef\n\0\0\n<S\0x>\n", 18),
     std::string("\n  D Ab = \0cd ef\n  D  = \0\0\n  S S = \0x\n", 38)},
};

INSTANTIATE_TEST_SUITE_P(Lines, ReadLines, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Names are looked through sixteen and eight bytes at a time: each way a name can end (blank,
// tab, NUL, the end of the line), at every place within a step and across steps.
TEST(ReadLines, NamesEndWhereverTheyEnd) {
    for (std::size_t length = 1; length <= 50; ++length) {
        const std::string name(length, 'N');
        const std::pair<std::string, std::string> endings[] = {
            {" v", "v"}, {"\tv", "v"}, {std::string("\0v", 2), std::string("\0v", 2)}, {"", ""}};
        for (const auto& [ending, value] : endings) {
            SCOPED_TRACE(std::to_string(length) + " " + std::to_string(ending.size()));
            EXPECT_EQ(ReadIntoFileItem(name + ending + "\n"), "F f (none)\n  D " + name + " = " + value + "\n");
            EXPECT_EQ(ReadIntoFileItem("<" + name + ending + ">\n"), "F f (none)\n  S " + name + " = " + value + "\n");
        }
    }
}

TEST(ReadLines, LongLinesAreReadWhole) {
    const std::string value(5000, 'x');
    EXPECT_EQ(ReadIntoFileItem("Long " + value + "\nNext 1\n"), "F f (none)\n  D Long = " + value + "\n  D Next = 1\n");
    const std::string continued = "Join " + std::string(1500, 'a') + "\\\n" + std::string(1500, 'b') + "\n";
    EXPECT_EQ(ReadIntoFileItem(continued), "F f (none)\n  D Join = " + std::string(1500, 'a') + std::string(1500, 'b') + "\n");
}

// Every physical line as a byte-by-byte reader sees it: the oracle for the cursor below.
std::vector<std::pair<std::string, std::size_t>> LinesOneByteAtATime(const std::string& bytes) {
    std::vector<std::pair<std::string, std::size_t>> lines;  // each line and where the next starts
    std::size_t begin = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r') continue;
        const std::size_t next = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? i + 2 : i + 1;
        lines.emplace_back(bytes.substr(begin, i - begin), next);
        begin = i = next;
        --i;
    }
    if (begin < bytes.size()) lines.emplace_back(bytes.substr(begin), bytes.size());
    return lines;
}

// Line ends are looked for 64 bytes at a time: every kind of line end (LF, CR LF, a lone CR,
// CR CR LF) at every place within a block and across blocks, long lines, runs of empty lines,
// a last line with and without its end.
TEST(LineCursor, FindsEveryLineEndWhereverItFalls) {
    const std::string endings[] = {"\n", "\r\n", "\r", "\r\r\n"};
    for (const std::string& last : {std::string(), std::string("tail"), std::string("\r")}) {
        std::string bytes;
        for (std::size_t length = 0; length < 200; ++length)
            bytes += std::string(length, static_cast<char>('a' + length % 26)) + endings[length % 4];
        bytes += std::string(70, '\n') + std::string(130, '\r') + "x" + std::string(5000, 'y') + "\r\n";
        for (std::size_t shift = 0; shift < 3; ++shift) {
            const std::string text = std::string(shift, 's') + bytes + last;
            SCOPED_TRACE(std::to_string(shift) + " " + std::to_string(last.size()));
            LineCursor cursor(text);
            std::vector<std::pair<std::string, std::size_t>> read;
            for (std::string_view line; cursor.Next(line);) read.emplace_back(std::string(line), cursor.Position());
            EXPECT_EQ(read, LinesOneByteAtATime(text));
        }
    }
    LineCursor empty("");
    std::string_view line;
    EXPECT_FALSE(empty.Next(line));
}

struct CleanCase {
    std::string line;
    std::string cleaned;
};

TEST(CleanLine, RemovesLineEndsAndOuterBlanks) {
    const CleanCase cases[] = {
        {"abc\n", "abc"},         {"abc\r\n", "abc"},     {"   a   ", "a"},   {"   \n", ""},
        {"      ", ""},           {"\t a b \t", "a b"},   {"x", "x"},        {" ", " "},
        {"\n", "\n"},             {"", ""},               {"a\n\n\n", "a\n"}, {"  \r\n", ""},
    };
    for (const CleanCase& test : cases) {
        std::string line = test.line;
        CleanLine(line);
        EXPECT_EQ(line, test.cleaned) << "line: \"" << test.line << "\"";
    }
}

struct SelectionCase {
    const char* name;
    std::string buffer;
    std::size_t offset;
    std::optional<OpenSelection> expected;
};

TEST(DecodeOpenSelection, ReadsOneOrSeveralFiles) {
    using Names = std::vector<std::string>;
    const SelectionCase cases[] = {
        {"one file", std::string("C:\\conf\\httpd.conf\0", 19), 8, OpenSelection{"C:\\conf\\", Names{"httpd.conf"}}},
        {"three files in dialog order", std::string("C:\\conf\0srm.conf\0httpd.conf\0access.conf\0\0", 41), 8,
         OpenSelection{"C:\\conf\\", Names{"srm.conf", "httpd.conf", "access.conf"}}},
        {"root directory keeps one backslash", std::string("C:\\\0a.conf\0b.conf\0\0", 20), 4,
         OpenSelection{"C:\\", Names{"a.conf", "b.conf"}}},
        {"list without its final empty name", std::string("D:\\x\0a.conf\0b.conf", 18), 5,
         OpenSelection{"D:\\x\\", Names{"a.conf", "b.conf"}}},
        {"no names", std::string("C:\\conf\0\0", 9), 8, std::nullopt},
        {"offset zero", std::string("C:\\conf\\a\0", 10), 0, std::nullopt},
        {"offset past the buffer", std::string("C:\\a\0", 5), 9, std::nullopt},
        {"single path without a backslash", std::string("httpd.conf\0", 11), 2, std::nullopt},
    };
    for (const SelectionCase& test : cases) {
        const auto selection = DecodeOpenSelection(test.buffer, test.offset);
        ASSERT_EQ(selection.has_value(), test.expected.has_value()) << test.name;
        if (!selection) continue;
        EXPECT_EQ(selection->directory, test.expected->directory) << test.name;
        EXPECT_EQ(selection->names, test.expected->names) << test.name;
    }
}

class ReadConfigFiles : public ::testing::Test {
protected:
    MemoryTree tree;
    MemoryFileStore files;
    ConfigDocument document{tree, files, ""};

    void SetUp() override {
        files.AddFile("C:\\conf\\httpd.conf", "Port 80\n");
        files.AddFile("C:\\conf\\srm.conf", "DocumentRoot x\n");
        files.AddFile("C:\\conf\\access.conf", "<Directory />\n</Directory>\n");
        files.AddFile("D:\\other\\httpd.conf", "Port 8080\n");
    }
};

TEST_F(ReadConfigFiles, OpenReadsEachChosenFileIntoItsOwnItem) {
    OpenConfigFiles(document, *DecodeOpenSelection(std::string("C:\\conf\0srm.conf\0httpd.conf\0access.conf\0\0", 41), 8));
    EXPECT_EQ(document.configDirectory, "C:\\conf\\");
    EXPECT_EQ(DumpTree(tree),
              "F srm.conf = C:\\conf\\\n  D DocumentRoot = x\n"
              "F httpd.conf = C:\\conf\\\n  D Port = 80\n"
              "F access.conf = C:\\conf\\\n  S Directory = /\n");
}

TEST_F(ReadConfigFiles, TheSameFileIsSelectedNotReadTwice) {
    const ItemHandle first = ReadConfigFile(document, "C:\\conf\\", "httpd.conf", "httpd.conf").item;
    const ItemHandle again = ReadConfigFile(document, "c:\\CONF", "HTTPD.CONF", "HTTPD.CONF").item;
    EXPECT_EQ(again, first);
    EXPECT_EQ(tree.SelectedItem(), first);
    EXPECT_EQ(DumpTree(tree), "F httpd.conf = C:\\conf\\\n  D Port = 80\n");
}

TEST_F(ReadConfigFiles, SameNameFromAnotherDirectoryGetsItsOwnItem) {
    ReadConfigFile(document, "C:\\conf\\", "httpd.conf", "httpd.conf");
    ReadConfigFile(document, "D:\\other\\", "httpd.conf", "httpd.conf");
    EXPECT_EQ(DumpTree(tree), "F httpd.conf = C:\\conf\\\n  D Port = 80\nF httpd.conf = D:\\other\\\n  D Port = 8080\n");
    EXPECT_EQ(FileItemTarget(document, tree.NextSibling(tree.FirstFileItem())), "D:\\other\\httpd.conf");
}

TEST_F(ReadConfigFiles, QuickConfigReadsIntoTheItemOfThatName) {
    files.AddFile("C:\\dist\\httpd.conf-dist-win", "ServerRoot \"@@ServerRoot@@\"\n");
    ReadConfigFile(document, "C:\\conf\\", "httpd.conf", "httpd.conf");
    ReadConfigFile(document, "C:\\dist", "httpd.conf-dist-win", "httpd.conf", ExistingItem::ReadIntoNamedItem);
    ReadConfigFile(document, "C:\\dist", "srm.conf-dist-win", "srm.conf", ExistingItem::ReadIntoNamedItem);
    EXPECT_EQ(DumpTree(tree),
              "F httpd.conf = C:\\conf\\\n  D Port = 80\n  D ServerRoot = \"@@ServerRoot@@\"\n"
              "F srm.conf = C:\\dist\n");
}

TEST_F(ReadConfigFiles, FilesThatCannotBeReadGetNoItemAndAreReadWhenOpenedAgain) {
    files.MakeUnreadable("C:\\conf\\srm.conf");
    const OpenSelection chosen{"C:\\conf\\", {"srm.conf", "httpd.conf", "missing.conf"}};
    EXPECT_EQ(OpenConfigFiles(document, chosen),
              (std::vector<std::string>{"C:\\conf\\srm.conf", "C:\\conf\\missing.conf"}));
    EXPECT_EQ(DumpTree(tree), "F httpd.conf = C:\\conf\\\n  D Port = 80\n");
    // Nothing stands for the unread files, so a save cannot write over them.
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_FALSE(files.Exists("C:\\conf\\missing.conf"));
    // Once the cause has gone, opening again reads the file.
    files.ClearFailures("C:\\conf\\srm.conf");
    EXPECT_TRUE(OpenConfigFiles(document, OpenSelection{"C:\\conf\\", {"srm.conf"}}).empty());
    EXPECT_EQ(DumpTree(tree), "F httpd.conf = C:\\conf\\\n  D Port = 80\nF srm.conf = C:\\conf\\\n  D DocumentRoot = x\n");
    EXPECT_NE(UnreadFilesMessage({"C:\\conf\\srm.conf"}).find("\nC:\\conf\\srm.conf\n"), std::string::npos);
}

TEST_F(ReadConfigFiles, QuickConfigKeepsAnEmptyItemForAFileItCannotRead) {
    const FileReadOutcome outcome =
        ReadConfigFile(document, "C:\\dist\\", "httpd.conf-dist-win", "httpd.conf", ExistingItem::ReadIntoNamedItem);
    EXPECT_FALSE(outcome.read);
    EXPECT_EQ(outcome.item, tree.FirstFileItem());
    EXPECT_EQ(DumpTree(tree), "F httpd.conf = C:\\dist\\\n");
}

// Open finds an open file by where it would be saved, not by its name: a New File item
// without a directory of its own stands for the file of its name in the configuration directory.
TEST_F(ReadConfigFiles, OpenFindsTheItemThatWouldBeSavedToTheSamePath) {
    const auto newFile = [this](const char* name) { return InsertNewFileItem(tree, name); };
    // An empty New File item takes the file's content: nothing is lost either way.
    const ItemHandle empty = newFile("httpd.conf");
    OpenConfigFiles(document, OpenSelection{"C:\\conf\\", {"httpd.conf"}});
    EXPECT_EQ(DumpTree(tree), "F httpd.conf = C:\\conf\\\n  D Port = 80\n");
    EXPECT_EQ(tree.SelectedItem(), empty);

    // A New File item with content of its own is not mixed with the file: the file gets its
    // own item, and saving refuses to write either of them over the other.
    const ItemHandle made = newFile("SRM.CONF");
    ItemView directive;
    directive.text = "ServerName";
    directive.value = "mine";
    directive.hasValue = true;
    directive.image = directive.selectedImage = kDirectiveImage;
    tree.InsertItem(made, InsertPosition::Last(), directive);
    OpenConfigFiles(document, OpenSelection{"C:\\conf\\", {"srm.conf"}});
    EXPECT_EQ(DumpTree(tree),
              "F SRM.CONF (none)\n  D ServerName = mine\nF httpd.conf = C:\\conf\\\n  D Port = 80\n"
              "F srm.conf = C:\\conf\\\n  D DocumentRoot = x\n");
    // A file Quick Config stands for is found by its path too.
    files.AddFile("C:\\dist\\access.conf-dist-win", "Order allow,deny\n");
    const ItemHandle access =
        ReadConfigFile(document, "C:\\dist\\", "access.conf-dist-win", "access.conf", ExistingItem::ReadIntoNamedItem).item;
    files.AddFile("C:\\dist\\access.conf", "Order deny,allow\n");
    EXPECT_EQ(ReadConfigFile(document, "C:\\DIST", "Access.Conf", "Access.Conf").item, access);
    EXPECT_EQ(FindItemByName(tree, kNoItem, "Order"), tree.FirstChild(access));
    EXPECT_EQ(tree.NextSibling(tree.FirstChild(access)), kNoItem);
}

// The changed flag: every change a save would write sets it; reading files into a tree
// without changes does not; only a save that wrote every file clears it.
TEST_F(ReadConfigFiles, UnsavedChangesFollowWhatASaveWouldWrite) {
    files.AddDirectory("C:\\conf\\");
    OpenConfigFiles(document, OpenSelection{"C:\\conf\\", {"httpd.conf", "srm.conf"}});
    EXPECT_FALSE(HasUnsavedChanges(document));
    tree.SelectItem(tree.FirstFileItem());
    EXPECT_FALSE(HasUnsavedChanges(document));

    tree.SetItemValue(FindItemByName(tree, kNoItem, "Port"), "8080");
    EXPECT_TRUE(HasUnsavedChanges(document));
    OpenConfigFiles(document, OpenSelection{"C:\\conf\\", {"access.conf"}});
    EXPECT_TRUE(HasUnsavedChanges(document));  // an Open does not make earlier changes saved
    tree.SetItemValue(FindItemByName(tree, kNoItem, "DocumentRoot"), "/x");
    files.MakeReadOnly("C:\\conf\\srm.conf");
    EXPECT_FALSE(SaveAllFiles(document).empty());
    EXPECT_TRUE(HasUnsavedChanges(document));  // not every file was written
    files.ClearFailures("C:\\conf\\srm.conf");
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_FALSE(HasUnsavedChanges(document));

    DeleteConfigItem(document, FindItemByName(tree, kNoItem, "DocumentRoot"));
    EXPECT_TRUE(HasUnsavedChanges(document));
}

TEST_F(ReadConfigFiles, DeletingAnItemMovesTheCurrentItemToTheSelection) {
    const ItemHandle httpd = ReadConfigFile(document, "C:\\conf\\", "httpd.conf", "httpd.conf").item;
    const ItemHandle srm = ReadConfigFile(document, "C:\\conf\\", "srm.conf", "srm.conf").item;
    tree.SelectItem(httpd);
    DeleteConfigItem(document, srm);
    EXPECT_EQ(document.currentItem, httpd);
    EXPECT_EQ(tree.LiveValueCount(), 2u);  // httpd.conf's directory and its Port
    DeleteConfigItem(document, httpd);
    EXPECT_EQ(document.currentItem, kNoItem);
    EXPECT_EQ(tree.LiveValueCount(), 0u);
}

}  // namespace
}  // namespace tarnwick::testing
