// Writing the tree back: exact bytes for each kind of item, where each file goes, and what a
// save does when some files cannot be written.

#include "config_reader.h"
#include "config_writer.h"
#include "memory_file_store.h"
#include "memory_tree.h"
#include "test_support.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

class WriteFiles : public ::testing::Test {
protected:
    MemoryTree tree;
    MemoryFileStore files;
    ConfigDocument document{tree, files, "C:\\start"};

    void SetUp() override {
        document.keepLayout = false;  // each item as a plain line
        files.AddDirectory("C:\\conf\\");
        files.AddDirectory("C:\\start\\");
        files.AddDirectory("E:\\chosen\\");
    }

    ItemHandle Read(const std::string& name, const std::string& text) {
        files.AddFile("C:\\conf\\" + name, text);
        return ReadConfigFile(document, "C:\\conf\\", name, name).item;
    }

    ItemHandle NewFileItem(const std::string& name) { return InsertNewFileItem(tree, name); }

    std::string Saved(const std::string& path) { return files.ReadFileBytes(path).value_or("<missing>"); }
};

// Switching the mode is a change to every file whose line ends it changes; a file left alone
// keeps its own.
TEST_F(WriteFiles, LinesEndAsTheModeSays) {
    document.crLfMode = false;
    Read("httpd.conf", "Port 80\n<Directory />\nOptions None\n</Directory>\n");
    const int writes = files.WriteCount();
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_EQ(files.WriteCount(), writes);
    document.crLfMode = true;
    EXPECT_TRUE(HasUnsavedChanges(document));
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 80\r\n<Directory />\r\nOptions None\r\n</Directory>\r\n");
    document.crLfMode = false;
    SaveAllFiles(document);
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 80\n<Directory />\nOptions None\n</Directory>\n");
    // Read in one mode, the file keeps its line ends until something in it changes.
    Read("srm.conf", "A 1\r\n");
    document.crLfMode = true;
    document.crLfMode = false;
    EXPECT_FALSE(HasUnsavedChanges(document));
}

TEST_F(WriteFiles, EachKindOfItemHasItsLine) {
    document.crLfMode = false;
    const ItemHandle file = Read("a.conf",
                                 "Name   value\n<Directory />\n</Directory>\nClearModuleList\n<Foo>\n"
                                 "<A 1>\n<B 2>\n<C 3>\nDeep x\n</C>\n</B>\nAfter y\n</A>\n");
    // A section item without a value string.
    ItemView bare;
    bare.text = "Bare";
    bare.sectionMark = true;
    tree.InsertItem(file, InsertPosition::Last(), bare);
    SaveAllFiles(document);
    EXPECT_EQ(Saved("C:\\conf\\a.conf"),
              "Name   value\n<Directory />\n</Directory>\nClearModuleList \n<Foo >\n"
              "<A 1>\n<B 2>\n<C 3>\nDeep x\n</C>\n</B>\nAfter y\n</A>\n</Foo>\n<Bare >\n</Bare>\n");
}

TEST_F(WriteFiles, EmptyFileItemGivesAnEmptyFile) {
    files.AddFile("C:\\conf\\old.conf", "Port 80\n");
    const ItemHandle file = Read("old.conf", "");
    EXPECT_EQ(tree.FirstChild(file), kNoItem);
    SaveAllFiles(document);
    EXPECT_EQ(Saved("C:\\conf\\old.conf"), "");
}

TEST_F(WriteFiles, TargetsFollowTheFileItemsDirectory) {
    const ItemHandle opened = Read("httpd.conf", "Port 80\n");
    const ItemHandle made = NewFileItem("srm.conf");
    EXPECT_EQ(FileItemTarget(document, opened), "C:\\conf\\httpd.conf");
    EXPECT_EQ(FileItemTarget(document, made), "C:\\start\\srm.conf");
    document.configDirectory = "C:\\start\\";
    EXPECT_EQ(FileItemTarget(document, made), "C:\\start\\srm.conf");
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_EQ(Saved("C:\\start\\srm.conf"), "");
}

TEST_F(WriteFiles, SaveAsMovesOnlyFilesWithoutTheirOwnDirectory) {
    Read("httpd.conf", "Port 80\n");
    NewFileItem("access.conf");
    EXPECT_TRUE(SaveFilesAs(document, "E:\\chosen\\ignored-name.conf").empty());
    EXPECT_EQ(document.configDirectory, "E:\\chosen\\");
    EXPECT_TRUE(files.Exists("E:\\chosen\\access.conf"));
    EXPECT_FALSE(files.Exists("E:\\chosen\\httpd.conf"));
    EXPECT_FALSE(files.Exists("E:\\chosen\\ignored-name.conf"));
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 80\r\n");
}

TEST_F(WriteFiles, FilesThatCannotBeWrittenAreListedAndTheRestIsSaved) {
    Read("httpd.conf", "Port 80\n");
    Read("srm.conf", "DocumentRoot x\n");
    Read("access.conf", "Order allow,deny\n");
    files.MakeReadOnly("C:\\conf\\srm.conf");
    NewFileItem("nowhere.conf");
    document.configDirectory = "Q:\\missing\\";
    document.crLfMode = false;
    tree.SetItemValue(tree.FirstChild(tree.NextSibling(tree.NextSibling(tree.FirstFileItem()))), "changed");
    const std::vector<UnsavedFile> unsaved = SaveAllFiles(document);
    ASSERT_EQ(unsaved.size(), 2u);
    EXPECT_EQ(unsaved[0].path, "Q:\\missing\\nowhere.conf");
    EXPECT_EQ(unsaved[1].path, "C:\\conf\\srm.conf");
    EXPECT_EQ(unsaved[1].problem, SaveProblem::CouldNotWrite);
    EXPECT_EQ(Saved("C:\\conf\\srm.conf"), "DocumentRoot x\n");  // untouched
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 80\n");
    EXPECT_EQ(Saved("C:\\conf\\access.conf"), "Order allow,deny\n");
    EXPECT_FALSE(files.Exists("Q:\\missing\\nowhere.conf"));
}

// Two items that would be saved to one file (as Windows compares paths) would destroy each
// other's content: neither is written, and the other files are still saved.
TEST_F(WriteFiles, ItemsSharingATargetAreNotWrittenAndAreNamed) {
    document.crLfMode = false;
    Read("httpd.conf", "Port 80\n");
    Read("srm.conf", "DocumentRoot x\n");
    const ItemHandle mine = NewFileItem("HTTPD.conf");
    tree.InsertItem(mine, InsertPosition::Last(), ItemFields{"Port", std::string("8080"), kDirectiveImage, kDirectiveImage}.View());
    document.configDirectory = "c:/CONF/";
    tree.SetItemValue(FindItemByName(tree, kNoItem, "DocumentRoot"), "y");

    const std::vector<UnsavedFile> unsaved = SaveAllFiles(document);
    ASSERT_EQ(unsaved.size(), 2u);
    EXPECT_EQ(unsaved[0].itemText, "HTTPD.conf");
    EXPECT_EQ(unsaved[1].itemText, "httpd.conf");
    for (const UnsavedFile& file : unsaved) EXPECT_EQ(file.problem, SaveProblem::SharedTarget);
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 80\n");
    EXPECT_EQ(Saved("C:\\conf\\srm.conf"), "DocumentRoot y\n");
    EXPECT_TRUE(HasUnsavedChanges(document));

    const std::string message = UnsavedFilesMessage(unsaved);
    EXPECT_NE(message.find("\nc:/CONF/\\HTTPD.conf (2 file items would be saved to it: \"HTTPD.conf\", \"httpd.conf\";"),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find("C:\\conf\\httpd.conf"), std::string::npos) << "listed once: " << message;

    // With one of them gone, the other is saved.
    DeleteConfigItem(document, mine);
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_FALSE(HasUnsavedChanges(document));
}

// Windows takes "httpd.conf.", "httpd.conf " and "sub\\..\\httpd.conf" as httpd.conf: a New File
// item so named is one more item saved to that file, and neither is written.
TEST_F(WriteFiles, AliasesOfAnOpenFileAreTheSameSaveTarget) {
    files.AddDirectory("C:\\conf\\sub\\");
    Read("httpd.conf", "Port 80\n");
    tree.SetItemValue(FindItemByName(tree, kNoItem, "Port"), "81");
    document.configDirectory = "C:\\conf\\";
    for (const char* alias : {"httpd.conf.", "httpd.conf ", "sub\\..\\httpd.conf", ".\\HTTPD.CONF"}) {
        SCOPED_TRACE(alias);
        const ItemHandle mine = NewFileItem(alias);
        tree.InsertItem(mine, InsertPosition::Last(), ItemFields{"Listen", std::string("1"), kDirectiveImage, kDirectiveImage}.View());
        const std::vector<UnsavedFile> unsaved = SaveAllFiles(document);
        ASSERT_EQ(unsaved.size(), 2u);
        EXPECT_EQ(unsaved[0].problem, SaveProblem::SharedTarget);
        EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 80\n");
        EXPECT_NE(UnsavedFilesMessage(unsaved).find("2 file items would be saved to it"), std::string::npos);
        DeleteConfigItem(document, mine);
    }
}

// Save writes what the user changed and nothing else: an untouched file is left as another
// program left it, an edit undone is no change, and switching the line ends is one.
TEST_F(WriteFiles, OnlyChangedFilesAreWritten) {
    document.crLfMode = false;
    const ItemHandle httpd = Read("httpd.conf", "Port 80\nUser x\n");
    Read("srm.conf", "DocumentRoot /web\n");
    ASSERT_FALSE(HasUnsavedChanges(document));
    files.AddFile("C:\\conf\\srm.conf", "DocumentRoot /elsewhere\n");  // another program
    tree.SetItemValue(FindItemByName(tree, kNoItem, "Port"), "8080");
    EXPECT_TRUE(FileItemChanged(document, httpd));
    const int writes = files.WriteCount();
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_EQ(files.WriteCount(), writes + 1);
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 8080\nUser x\n");
    EXPECT_EQ(Saved("C:\\conf\\srm.conf"), "DocumentRoot /elsewhere\n");
    EXPECT_FALSE(HasUnsavedChanges(document));

    // Changed and changed back: nothing to save, nothing asked at closing.
    tree.SetItemValue(FindItemByName(tree, kNoItem, "User"), "y");
    EXPECT_TRUE(HasUnsavedChanges(document));
    tree.SetItemValue(FindItemByName(tree, kNoItem, "User"), "x");
    EXPECT_FALSE(HasUnsavedChanges(document));
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_EQ(files.WriteCount(), writes + 1);

    // CR/LF now: both files would get other line ends. srm.conf was changed on disk since it
    // was read, so the user is asked first.
    document.crLfMode = true;
    EXPECT_TRUE(HasUnsavedChanges(document));
    std::vector<std::string> asked;
    const auto keepTheirs = [&asked](const std::string& path) {
        asked.push_back(path);
        return false;
    };
    const std::vector<UnsavedFile> unsaved = SaveAllFiles(document, keepTheirs);
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\conf\\srm.conf"});
    ASSERT_EQ(unsaved.size(), 1u);
    EXPECT_EQ(unsaved[0].problem, SaveProblem::KeptOtherVersion);
    EXPECT_NE(UnsavedFilesMessage(unsaved).find("C:\\conf\\srm.conf (another program changed it, and its version was kept)"),
              std::string::npos);
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 8080\r\nUser x\r\n");
    EXPECT_EQ(Saved("C:\\conf\\srm.conf"), "DocumentRoot /elsewhere\n");
    EXPECT_TRUE(HasUnsavedChanges(document));
    // Asked again, the user replaces it.
    EXPECT_TRUE(SaveAllFiles(document, [](const std::string&) { return true; }).empty());
    EXPECT_EQ(Saved("C:\\conf\\srm.conf"), "DocumentRoot /web\r\n");
    EXPECT_FALSE(HasUnsavedChanges(document));
    EXPECT_EQ(ReplaceChangedFileQuestion("C:\\a.conf"),
              "C:\\a.conf was changed by another program since Tarnwick read it. Replace it with Tarnwick's version?");
}

// A file item Tarnwick never read from its target counts as changed until it is saved; a
// target that already holds those bytes is not written again. Save As writes every file.
TEST_F(WriteFiles, NewFilesAndSaveAs) {
    document.crLfMode = false;
    const ItemHandle mine = NewFileItem("new.conf");
    document.configDirectory = "C:\\conf\\";
    EXPECT_TRUE(HasUnsavedChanges(document));
    tree.InsertItem(mine, InsertPosition::Last(), ItemFields{"Listen", std::string("80"), kDirectiveImage, kDirectiveImage}.View());
    files.AddFile("C:\\conf\\new.conf", "Listen 80\n");
    const int writes = files.WriteCount();
    EXPECT_TRUE(SaveAllFiles(document).empty());
    EXPECT_EQ(files.WriteCount(), writes);
    EXPECT_FALSE(HasUnsavedChanges(document));
    Read("httpd.conf", "Port 80\n");
    EXPECT_TRUE(SaveFilesAs(document, "E:\\chosen\\x.conf").empty());
    EXPECT_EQ(Saved("E:\\chosen\\new.conf"), "Listen 80\n");
    EXPECT_EQ(Saved("C:\\conf\\httpd.conf"), "Port 80\n");  // a file read from disk stays in its folder
    EXPECT_EQ(files.WriteCount(), writes + 2);
}

TEST(UnsavedFilesMessage, NamesEachFileWithItsReason) {
    const std::string message = UnsavedFilesMessage({{"C:\\a.conf", "a.conf", SaveProblem::CouldNotWrite},
                                                     {"C:\\b.conf", "b.conf", SaveProblem::SharedTarget},
                                                     {"C:\\c.conf", "c.conf", SaveProblem::CouldNotWrite},
                                                     {"C:\\B.conf", "B.conf", SaveProblem::SharedTarget}});
    EXPECT_EQ(message,
              "These files were not saved; they are unchanged on disk:\n"
              "\nC:\\a.conf (it could not be written)"
              "\nC:\\b.conf (2 file items would be saved to it: \"b.conf\", \"B.conf\"; delete all but one of them, "
              "then save again)"
              "\nC:\\c.conf (it could not be written)");
}

TEST_F(WriteFiles, DeepNestingIsWrittenAndReadWithoutRecursion) {
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i) text += "<S " + std::to_string(i) + ">\n";
    text += "X 1\n";
    for (int i = 0; i < kDepth; ++i) text += "</S>\n";
    const ItemHandle file = Read("deep.conf", text);
    document.crLfMode = false;
    SaveAllFiles(document);
    EXPECT_EQ(Saved("C:\\conf\\deep.conf"), text);
    const ItemHandle deepest = FindItemByName(tree, kNoItem, "X");
    EXPECT_NE(deepest, kNoItem);
    DeleteConfigItem(document, file);
    EXPECT_EQ(tree.LiveValueCount(), 0u);
}

}  // namespace
}  // namespace tarnwick::testing
