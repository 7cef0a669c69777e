// Open Included Files on made-up configurations: which files are opened, in which order, and
// what the user is told about the rest.

#include "config_reader.h"
#include "included_files.h"
#include "memory_file_store.h"
#include "memory_tree.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

class IncludedFilesTest : public ::testing::Test {
protected:
    MemoryTree tree;
    MemoryFileStore files;
    ConfigDocument document{tree, files, "C:\\conf\\"};

    void Open(const std::string& directory, const std::string& name) {
        ASSERT_TRUE(OpenConfigFiles(document, {directory, {name}}).empty()) << name;
    }

    // "name in directory" for every file item, in tree order.
    std::vector<std::string> FileItems() {
        std::vector<std::string> items;
        for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file))
            items.push_back(FileItemTarget(document, file));
        return items;
    }
};

TEST_F(IncludedFilesTest, OpensWhatApacheReadsInItsOrderAndNamesWhatIsMissing) {
    files.AddFile("C:\\Apache24\\conf\\httpd.conf",
                  "ServerRoot \"C:/Apache24\"\n"
                  "Include conf/extra/vhosts/*.conf\n"
                  "Include \"conf/extra/my settings.conf\"\n"
                  "Include conf/extra/missing.conf\n"
                  "IncludeOptional conf/optional/*.conf\n"
                  "<IfModule ssl_module>\n"
                  "    Include conf\\extra\\httpd-ssl.conf\n"
                  "</IfModule>\n");
    const std::string extra = "C:\\Apache24\\conf\\extra\\";
    files.AddFile(extra + "vhosts\\b.conf", "Include conf/extra/common.conf\n");
    files.AddFile(extra + "vhosts\\a.conf", "include conf/extra/common.conf\nInclude conf/httpd.conf\n");
    files.AddFile(extra + "vhosts\\Z.conf", "Listen 81\n");
    files.AddFile(extra + "vhosts\\.hidden.conf", "Listen 82\n");  // "*" passes over it, as Apache's does
    files.AddFile(extra + "vhosts\\readme.txt", "not configuration\n");
    files.AddFile(extra + "common.conf", "LogLevel warn\n");
    files.AddFile(extra + "my settings.conf", "ServerAdmin me@example.com\n");
    files.AddFile(extra + "httpd-ssl.conf", "Listen 443\n");
    files.AddDirectory("C:\\Apache24\\conf\\optional");
    Open("C:\\Apache24\\conf\\", "httpd.conf");

    const IncludedFiles result = OpenIncludedFiles(document);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{
                               "C:\\Apache24\\conf\\httpd.conf", extra + "vhosts\\Z.conf", extra + "vhosts\\a.conf",
                               extra + "common.conf", extra + "vhosts\\b.conf", extra + "my settings.conf",
                               extra + "httpd-ssl.conf"}));
    EXPECT_EQ(result.opened.size(), 6u);
    EXPECT_EQ(result.missing, std::vector<std::string>{extra + "missing.conf"});
    EXPECT_EQ(result.optionalMissing, std::vector<std::string>{"C:\\Apache24\\conf\\optional\\*.conf"});
    EXPECT_FALSE(HasUnsavedChanges(document));  // opening is nothing to save
    const std::string message = IncludedFilesMessage(result);
    EXPECT_NE(message.find("These included files were not found:\n" + extra + "missing.conf"), std::string::npos);
    EXPECT_NE(message.find("conf\\optional\\*.conf"), std::string::npos);

    // Everything is open now: a second run opens nothing and says so.
    const IncludedFiles again = OpenIncludedFiles(document);
    EXPECT_TRUE(again.opened.empty());
    EXPECT_EQ(FileItems().size(), 7u);
}

TEST_F(IncludedFilesTest, DirectoriesDefinesAndTheIncludingFilesFolder) {
    // No ServerRoot: relative to the including file's folder. A directory is read whole,
    // sorted, with its subdirectories.
    files.AddFile("C:\\web\\main.conf", "Include sites\nInclude ${TOP}/defined.conf\nDefine TOP C:/elsewhere\n");
    files.AddFile("C:\\web\\sites\\b.conf", "");
    files.AddFile("C:\\web\\sites\\a.conf", "Include ../sites/b.conf\n");
    files.AddFile("C:\\web\\sites\\.x", "");
    files.AddFile("C:\\web\\sites\\sub\\c.conf", "");
    files.AddFile("C:\\elsewhere\\defined.conf", "");
    Open("C:\\web\\", "main.conf");
    const IncludedFiles result = OpenIncludedFiles(document);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"C:\\web\\main.conf", "C:\\web\\sites\\.x", "C:\\web\\sites\\a.conf",
                                                     "C:\\web\\sites\\b.conf", "C:\\web\\sites\\sub\\c.conf",
                                                     "C:\\elsewhere\\defined.conf"}));
    EXPECT_EQ(IncludedFilesMessage(result), "");
}

TEST_F(IncludedFilesTest, UnreadableFilesAndTheLimit) {
    std::string includes = "Include C:\\many\\*.conf\nInclude C:\\locked.conf\n";
    files.AddFile("C:\\locked.conf", "Port 80\n");
    files.MakeUnreadable("C:\\locked.conf");
    for (int i = 0; i < 300; ++i) files.AddFile("C:\\many\\f" + std::to_string(1000 + i) + ".conf", "");
    files.AddFile("C:\\conf\\httpd.conf", includes);
    Open("C:\\conf\\", "httpd.conf");
    const IncludedFiles result = OpenIncludedFiles(document);
    EXPECT_EQ(result.opened.size(), kMaxIncludedFiles);
    EXPECT_TRUE(result.limitReached);
    EXPECT_EQ(FileItems().back(), "C:\\many\\f1255.conf");
    EXPECT_NE(IncludedFilesMessage(result).find("Only the first 256 included files were opened."), std::string::npos);

    // Without the limit in the way, the unreadable file is named and gets no item.
    MemoryTree otherTree;
    ConfigDocument other{otherTree, files, "C:\\conf\\"};
    ASSERT_TRUE(OpenConfigFiles(other, {"C:\\", {"main.conf"}}).size() == 1);  // not there yet
    files.AddFile("C:\\main.conf", "Include /locked.conf\n");
    ASSERT_TRUE(OpenConfigFiles(other, {"C:\\", {"main.conf"}}).empty());
    const IncludedFiles locked = OpenIncludedFiles(other);
    EXPECT_EQ(locked.unread, std::vector<std::string>{"C:\\locked.conf"});
    EXPECT_TRUE(locked.opened.empty());
    EXPECT_NE(IncludedFilesMessage(locked).find("could not be read"), std::string::npos);
}

// Debian's layout: enabled sites are links into the available ones, and a link that leads
// back up makes a loop. Each file is opened once, under the first name Apache's order gives it.
TEST_F(IncludedFilesTest, LinksAndLoopsOpenEachFileOnce) {
    files.AddFile("C:\\etc\\apache2\\apache2.conf",
                  "IncludeOptional sites-available/*.conf\nIncludeOptional sites-enabled/*.conf\nInclude conf.d\n");
    files.AddFile("C:\\etc\\apache2\\sites-available\\000-default.conf", "Listen 80\n");
    files.AddFile("C:\\etc\\apache2\\sites-available\\ssl.conf", "Listen 443\n");
    files.AddLink("C:\\etc\\apache2\\sites-enabled\\000-default.conf", "C:\\etc\\apache2\\sites-available\\000-default.conf");
    files.AddLink("C:\\etc\\apache2\\sites-enabled\\Default.CONF.", "C:\\etc\\apache2\\sites-available\\000-default.conf");
    files.AddFile("C:\\etc\\apache2\\conf.d\\a.conf", "LogLevel warn\n");
    files.AddLink("C:\\etc\\apache2\\conf.d\\loop", "C:\\etc\\apache2\\conf.d");
    files.AddLink("C:\\etc\\apache2\\conf.d\\top", "C:\\etc\\apache2");
    Open("C:\\etc\\apache2\\", "apache2.conf");
    const IncludedFiles result = OpenIncludedFiles(document);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"C:\\etc\\apache2\\apache2.conf",
                                                     "C:\\etc\\apache2\\sites-available\\000-default.conf",
                                                     "C:\\etc\\apache2\\sites-available\\ssl.conf",
                                                     "C:\\etc\\apache2\\conf.d\\a.conf"}));
    EXPECT_EQ(IncludedFilesMessage(result), "");
    // Open by a link's name, or another spelling, finds the file already open.
    const std::size_t before = FileItems().size();
    EXPECT_TRUE(OpenConfigFiles(document, {"C:\\etc\\apache2\\sites-enabled\\", {"000-default.conf", "default.conf."}}).empty());
    EXPECT_EQ(FileItems().size(), before);
}

TEST_F(IncludedFilesTest, FoldersThatCannotBeListedWildcardFoldersAndDefinesOnTheWay) {
    files.AddFile("C:\\conf\\httpd.conf",
                  "Include defs.conf\nInclude ${SITES}/*/site.conf\nInclude locked\nInclude locked2/*.conf\n");
    files.AddFile("C:\\conf\\defs.conf", "Define SITES C:/vhosts\n");
    files.AddFile("C:\\vhosts\\b\\site.conf", "");
    files.AddFile("C:\\vhosts\\a\\site.conf", "");
    files.AddFile("C:\\vhosts\\a\\other.conf", "");
    files.AddFile("C:\\vhosts\\c.d\\x.conf", "");
    files.AddFile("C:\\conf\\locked\\x.conf", "");
    files.AddFile("C:\\conf\\locked2\\y.conf", "");
    files.MakeUnreadable("C:\\conf\\locked");
    files.MakeUnreadable("C:\\conf\\locked2");
    Open("C:\\conf\\", "httpd.conf");
    const IncludedFiles result = OpenIncludedFiles(document);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"C:\\conf\\httpd.conf", "C:\\conf\\defs.conf",
                                                     "C:\\vhosts\\a\\site.conf", "C:\\vhosts\\b\\site.conf"}));
    EXPECT_EQ(result.unlisted, (std::vector<std::string>{"C:\\conf\\locked", "C:\\conf\\locked2"}));
    EXPECT_NE(IncludedFilesMessage(result).find("These included folders could not be read, so the files in them were not "
                                                "opened:\nC:\\conf\\locked\n"),
              std::string::npos);
}

// Opening what is included leaves unsaved changes unsaved.
TEST_F(IncludedFilesTest, ChangesMadeBeforeStayUnsaved) {
    files.AddFile("C:\\conf\\httpd.conf", "Include extra.conf\nPort 80\n");
    files.AddFile("C:\\conf\\extra.conf", "Listen 80\n");
    Open("C:\\conf\\", "httpd.conf");
    tree.SetItemValue(FindItemByName(tree, kNoItem, "Port"), "8080");
    ASSERT_TRUE(HasUnsavedChanges(document));
    OpenIncludedFiles(document);
    EXPECT_TRUE(HasUnsavedChanges(document));
}

TEST_F(IncludedFilesTest, NothingToOpenIsSaid) {
    files.AddFile("C:\\conf\\httpd.conf", "Port 80\n");
    Open("C:\\conf\\", "httpd.conf");
    const IncludedFiles result = OpenIncludedFiles(document);
    EXPECT_TRUE(result.opened.empty());
    EXPECT_EQ(IncludedFilesMessage(result), "The open files include no files that are not open already.");
}

TEST(IncludePaths, ResolveAsApacheOnWindows) {
    struct Case {
        const char* argument;
        const char* serverRoot;
        const char* folder;
        const char* path;
    } cases[] = {
        {"conf/extra/a.conf", "C:/Apache24", "D:\\x\\", "C:\\Apache24\\conf\\extra\\a.conf"},
        {"conf/extra/a.conf", "", "D:\\x\\", "D:\\x\\conf\\extra\\a.conf"},
        {"conf/extra/a.conf", "C:/Apache24/", "", "C:\\Apache24\\conf\\extra\\a.conf"},
        {"./conf/../conf//a.conf", "C:\\Apache24", "", "C:\\Apache24\\conf\\a.conf"},
        {"E:/other/a.conf", "C:/Apache24", "", "E:\\other\\a.conf"},
        {"/other/a.conf", "C:/Apache24", "", "C:\\other\\a.conf"},
        {"\\\\server\\share\\a.conf", "C:/Apache24", "", "\\\\server\\share\\a.conf"},
        {"//server/share/../a.conf", "", "", "\\\\server\\share\\a.conf"},
        {"../../../a.conf", "C:/Apache24", "", "C:\\a.conf"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(ResolveIncludePath(test.argument, test.serverRoot, test.folder), test.path) << test.argument;
}

TEST(IncludePaths, WildcardsMatchAsApacheDoes) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.conf", "httpd-vhosts.conf", true}, {"*.conf", "HTTPD.CONF", true}, {"*.conf", "a.conf.bak", false},
        {"*.conf", ".hidden.conf", false},     {".*.conf", ".hidden.conf", true}, {"a?c.conf", "abc.conf", true},
        {"a?c.conf", "ac.conf", false},        {"*", "anything", true},           {"*a*b*", "xxaxxbxx", true},
        {"*a*b", "xxaxxbxxc", false},          {"vhost-*", "vhost-", true},      {"**.conf", "x.conf", true},
    };
    for (const Case& test : cases)
        EXPECT_EQ(MatchesWildcard(test.pattern, test.name), test.matches) << test.pattern << " " << test.name;
}

}  // namespace
}  // namespace tarnwick::testing
