// Keeping the user's comments and layout, on every tree binding: a file read and written back
// unchanged is the same bytes; an edit changes only its own lines; a deleted item takes its
// comment lines along, a moved item carries them; new items are indented like their siblings.

#include "config_reader.h"
#include "config_writer.h"
#include "own_comments.h"
#include "test_support.h"
#include "tree_bindings.h"
#include "tree_editing.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

const char* const kRealFiles[] = {
    "apache-1.3-final/httpd.conf-dist-win",  "apache-1.3-split/httpd.conf-dist-win",
    "apache-1.3-split/access.conf-dist-win", "apache-1.3-split/srm.conf-dist-win",
    "apache-2.4-style/httpd.conf",           "apache-2.4-style/httpd-vhosts.conf",
    "apache-2.4-style/odd-lines.conf",
};

// Every line end as `lineEnd`: LF, CR LF and a lone CR alike.
std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            result += lineEnd;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// How many lines differ between two texts of the same number of lines; -1 when the numbers differ.
int DifferingLines(const std::string& a, const std::string& b) {
    const std::vector<std::string> left = Lines(a), right = Lines(b);
    if (left.size() != right.size()) return -1;
    int differing = 0;
    for (std::size_t i = 0; i < left.size(); ++i) differing += left[i] != right[i];
    return differing;
}

template <typename Binding>
class KeptLayout : public ::testing::Test {
public:  // the edit tables below reach in
    Binding binding;
    ConfigTree& tree = binding.tree;
    std::unique_ptr<FileStore> files = MakePlatformFileStore();
    ConfigDocument document{binding.tree, *files, ""};

    ItemHandle Read(const std::string& text) {
        const ItemHandle file = InsertNewFileItem(tree, "test.conf");
        ParseConfigText(tree, document.sources.Keep(text), file);
        return file;
    }

    std::string Written(ItemHandle file, bool crLf = false) {
        std::string out;
        WriteFileItemText(out, tree, file, crLf, true);
        return out;
    }

    std::string RealFile(const char* relative) { return files->ReadFileBytes(TestDataPath(relative)).value_or(""); }

    ItemHandle Find(const char* name, ItemHandle start = kNoItem) { return FindItemByName(tree, start, name); }
};
TYPED_TEST_SUITE(KeptLayout, TreeBindings);

TYPED_TEST(KeptLayout, UnchangedFilesComeBackByteForByte) {
    for (const char* relative : kRealFiles) {
        SCOPED_TRACE(relative);
        const std::string original = this->RealFile(relative);
        ASSERT_FALSE(original.empty()) << "test data missing";
        const ItemHandle file = this->Read(original);
        const bool crLf = original.find("\r\n") != std::string::npos;
        const std::string inItsMode = this->Written(file, crLf);
        if (std::string(relative).find("odd-lines") == std::string::npos) {
            EXPECT_EQ(inItsMode, original);
        }
        for (const bool mode : {false, true})
            EXPECT_EQ(this->Written(file, mode), WithLineEnds(original, mode ? "\r\n" : "\n")) << mode;
    }
}

// Saved in CR LF mode, an LF file gets a CR before every LF, wherever the LF falls: lines of
// every length from empty to longer than the writer's stretches, runs of empty lines, a last
// line without its LF.
TYPED_TEST(KeptLayout, EveryLineEndOfAnLfFileBecomesCrLf) {
    std::string original;
    for (std::size_t length = 0; length < 140; ++length) original += "# " + std::string(length, 'x') + "\n";
    original += "\n\n\n";
    for (std::size_t length : {4093u, 4094u, 4095u, 4096u, 4097u, 9000u, 70000u})
        original += "Name " + std::string(length, 'v') + "\n" + std::string(length % 9, '\n');
    for (int i = 0; i < 3000; ++i) original += "Listen " + std::to_string(i) + "\n";
    original += "LogLevel warn";
    const ItemHandle file = this->Read(original);
    EXPECT_EQ(this->Written(file, true), WithLineEnds(original, "\r\n"));
    EXPECT_EQ(this->Written(file, false), original);
}

TYPED_TEST(KeptLayout, ChangingOneValueChangesOneLine) {
    const std::pair<const char*, const char*> edits[] = {
        {"apache-1.3-final/httpd.conf-dist-win", "Port"},
        {"apache-1.3-final/httpd.conf-dist-win", "Directory"},
        {"apache-1.3-split/access.conf-dist-win", "Directory"},
        {"apache-1.3-split/srm.conf-dist-win", "DocumentRoot"},
        {"apache-2.4-style/httpd.conf", "LogFormat"},  // a continued line becomes one line
        {"apache-2.4-style/httpd.conf", "IfDefine"},   // and so does a continued opening line
        {"apache-2.4-style/httpd-vhosts.conf", "ErrorLog"},
    };
    for (const auto& [relative, name] : edits) {
        SCOPED_TRACE(std::string(relative) + " " + name);
        const std::string original = WithLineEnds(this->RealFile(relative), "\n");
        const ItemHandle file = this->Read(original);
        const ItemHandle item = this->Find(name);
        ASSERT_NE(item, kNoItem);
        const ItemSource source = *this->tree.GetItem(item).source;
        const std::size_t continuation = Lines(std::string(source.Own())).size() - 1;
        this->tree.SetItemValue(item, "changed");
        const std::string written = this->Written(file);
        // The kept lines before and after the item are untouched; the item is one new line.
        EXPECT_EQ(written.substr(0, source.ownBegin), original.substr(0, source.ownBegin));
        EXPECT_EQ(written.substr(written.size() - (original.size() - source.ownEnd)), original.substr(source.ownEnd));
        if (continuation == 0) {
            EXPECT_EQ(DifferingLines(written, original), 1);
        }
        const std::string line = Lines(written)[Lines(original.substr(0, source.ownBegin)).size()];
        EXPECT_NE(line.find("changed"), std::string::npos) << line;
        EXPECT_EQ(line.substr(0, line.find_first_not_of(" \t")),
                  std::string(source.Own()).substr(0, std::string(source.Own()).find_first_not_of(" \t")));
    }
}

TYPED_TEST(KeptLayout, EditsKeepTheRestOfTheirLine) {
    const std::string original = "<Directory /x> # note\r\n  Options None\r\n</Directory>   # end\r\n";
    const ItemHandle file = this->Read(original);
    this->tree.SetItemValue(this->Find("Directory"), "/y");
    EXPECT_EQ(this->Written(file, true), "<Directory /y> # note\r\n  Options None\r\n</Directory>   # end\r\n");
}

TYPED_TEST(KeptLayout, ADeletedItemTakesItsOwnCommentLinesOnly) {
    const std::string original = WithLineEnds(this->RealFile("apache-1.3-final/httpd.conf-dist-win"), "\n");
    const ItemHandle file = this->Read(original);
    for (const char* name : {"ServerType", "Directory", "KeepAlive"}) {
        SCOPED_TRACE(name);
        const ItemHandle item = this->Find(name);
        ASSERT_NE(item, kNoItem);
        const std::string before = this->Written(file);
        const ItemSource source = *this->tree.GetItem(item).source;
        // Within what is written now, the item's stretch is where its kept text stands; of the
        // lines above it, only the comment lines right above it go with it.
        const std::string own = std::string(OwnCommentLines(source)) + std::string(source.Own());
        ASSERT_LT(OwnCommentLines(source).size(), source.Lead().size()) << "the item should have a block above it";
        const std::size_t at = before.find(std::string(source.Lead()) + std::string(source.Own())) + source.Lead().size() -
                               OwnCommentLines(source).size();
        ASSERT_EQ(before.compare(at, own.size(), own), 0);
        const std::size_t end = this->tree.FirstChild(item) ? before.find(std::string(source.Close()), at) + source.Close().size()
                                                            : at + own.size();
        DeleteConfigItem(this->document, item);
        EXPECT_EQ(this->Written(file), before.substr(0, at) + before.substr(end));
    }
}

// Edits whose output Apache must read as the tree says: each case's exact bytes, and the
// output read back gives the tree as edited.
TYPED_TEST(KeptLayout, EditsLeaveOtherLinesInPlaceAndEveryLineOnItsOwn) {
    using Fixture = KeptLayout<TypeParam>;
    const auto add = [](Fixture& f, ItemHandle parent, const char* name, const char* value) {
        ItemView item;
        item.text = name;
        item.value = value;
        item.hasValue = true;
        item.image = item.selectedImage = kDirectiveImage;
        return f.tree.InsertItem(parent, InsertPosition::Last(), item);
    };
    struct EditCase {
        const char* name;
        std::string input;
        std::function<void(Fixture&, ItemHandle file)> edit;
        std::string output;
        std::string readBack{};  // the tree the output reads back into, where not the tree as edited
    };
    const std::vector<EditCase> cases = {
        {"a deleted item leaves the heading above its blank line", "# Global settings\n\n# the port\nPort 80\nUser x\n",
         [](Fixture& f, ItemHandle) { DeleteConfigItem(f.document, f.Find("Port")); }, "# Global settings\n\nUser x\n"},
        {"the last item's block stays at the end of the file", "A 1\n\n# heading\n\n# own\nB 2\n# tail\n",
         [](Fixture& f, ItemHandle) { DeleteConfigItem(f.document, f.Find("B")); }, "A 1\n\n# heading\n\n# tail\n"},
        {"the last item's block stays in its section", "<D x>\n  A 1\n\n  # gone with B\n  B 2\n  # end\n</D>\n",
         [](Fixture& f, ItemHandle) { DeleteConfigItem(f.document, f.Find("B")); }, "<D x>\n  A 1\n\n  # end\n</D>\n"},
        {"a moved item leaves a commented-out alternative", "# Listen 8080\n\n# main port\nListen 80\nServerName x\n",
         [](Fixture& f, ItemHandle) { MoveItem(f.tree, f.Find("ServerName"), f.Find("Listen"), &f.document.sources); },
         "# Listen 8080\n\nServerName x\n# main port\nListen 80\n"},
        {"a closing line that closes nothing stays", "<D a>\nX 1\n</D>\n</IfModule>\nY 2\n",
         [](Fixture& f, ItemHandle) { MoveItem(f.tree, f.Find("X"), f.Find("Y"), &f.document.sources); },
         "<D a>\nX 1\nY 2\n</D>\n</IfModule>\n"},
        {"a new item after a continued last line", "LogFormat \"%h %l\" \\",
         [&add](Fixture& f, ItemHandle file) { add(f, file, "ServerName", "example.org"); },
         "LogFormat \"%h %l\" \\\n\nServerName example.org\n"},
        {"a new item after a continued line and its line end", "LogFormat \"%h %l\" \\\n",
         [&add](Fixture& f, ItemHandle file) { add(f, file, "ServerName", "example.org"); },
         "LogFormat \"%h %l\" \\\n\nServerName example.org\n"},
        {"a closing line after a comment ending in a backslash", "<A a>\n</A>\n<D x>\nB 1\n# see C:\\Apache24\\\n</D>\n",
         [](Fixture& f, ItemHandle) { MoveSubtree(f.tree, f.Find("A"), f.Find("D")); },
         "<A a>\n    <D x>\n        B 1\n    # see C:\\Apache24\\\n\n    </D>\n</A>\n"},
        {"a moved item after a continued line", "A 1\nB x \\\n",
         [](Fixture& f, ItemHandle) { MoveItem(f.tree, f.Find("B"), f.Find("A"), &f.document.sources); },
         "B x \\\n\nA 1\n"},
        {"the writer's closing line after a continued line", "<D x>\nA \\",
         [&add](Fixture& f, ItemHandle file) { add(f, file, "Y", "2"); }, "<D x>\nA \\\n\n</D>\nY 2\n"},
        {"a value ending in a backslash", "DocumentRoot x\nPort 80\n",
         [](Fixture& f, ItemHandle) { f.tree.SetItemValue(f.Find("DocumentRoot"), "C:\\web\\"); },
         "DocumentRoot C:\\web\\ \nPort 80\n"},
        {"a directive given a child gets a closing line", "Foo bar\nZ 1\n",
         [&add](Fixture& f, ItemHandle) { add(f, f.Find("Foo"), "Y", "2"); }, "<Foo bar>\n    Y 2\n</Foo>\nZ 1\n",
         "S Foo = bar\n  D Y = 2\nD Z = 1\n"},
        {"a directive given a child at the end of the file", "Foo bar\n",
         [&add](Fixture& f, ItemHandle) { add(f, f.Find("Foo"), "Y", "2"); }, "<Foo bar>\n    Y 2\n</Foo>\n",
         "S Foo = bar\n  D Y = 2\n"},
        {"a section moved to another depth", "<A x>\n</A>\n<B y>\n  C 1\n</B> # b\n",
         [](Fixture& f, ItemHandle) { MoveSubtree(f.tree, f.Find("A"), f.Find("B")); },
         "<A x>\n    <B y>\n        C 1\n    </B> # b\n</A>\n"},
        {"an unclosed section moved out", "<A x>\n<B y>\nC 1\n",
         [](Fixture& f, ItemHandle file) { MoveSubtree(f.tree, file, f.Find("B")); }, "<A x>\n</A>\n<B y>\n    C 1\n</B>\n"},
    };
    for (const EditCase& test : cases) {
        SCOPED_TRACE(test.name);
        const ItemHandle file = this->Read(test.input);
        test.edit(*this, file);
        const std::string written = this->Written(file);
        EXPECT_EQ(written, test.output);
        const ItemHandle again = this->Read(written);
        EXPECT_EQ(DumpChildren(this->tree, again), test.readBack.empty() ? DumpChildren(this->tree, file) : test.readBack);
        DeleteConfigItem(this->document, again);
        DeleteConfigItem(this->document, file);
    }
}

TYPED_TEST(KeptLayout, AMovedItemCarriesItsCommentsAndTakesItsNewDepth) {
    const std::string original =
        "# the port\n"
        "Port 80\n"
        "<Directory /web>\n"
        "\t# who may come in\n"
        "\tAllow from all\n"
        "</Directory>\n"
        "User nobody\n";
    const ItemHandle file = this->Read(original);
    // Into the section, beside a tab-indented sibling: re-indented, comment and all.
    MoveItem(this->tree, this->Find("Allow"), this->Find("Port"));
    EXPECT_EQ(this->Written(file),
              "<Directory /web>\n\t# who may come in\n\tAllow from all\n\t# the port\n\tPort 80\n</Directory>\nUser nobody\n");
    // Out again to the top level, after User.
    MoveItem(this->tree, this->Find("User"), this->Find("Port"));
    EXPECT_EQ(this->Written(file),
              "<Directory /web>\n\t# who may come in\n\tAllow from all\n</Directory>\nUser nobody\n# the port\nPort 80\n");
    // At the same depth an item keeps its own layout.
    MoveItem(this->tree, this->Find("Port"), this->Find("User"));
    EXPECT_EQ(this->Written(file),
              "<Directory /web>\n\t# who may come in\n\tAllow from all\n</Directory>\n# the port\nPort 80\nUser nobody\n");
}

TYPED_TEST(KeptLayout, NewItemsAreIndentedLikeTheirNeighbours) {
    const std::string original = "<IfModule a>\n\tUser x\n</IfModule>\n<Directory />\n</Directory>\nPort 80";
    const ItemHandle file = this->Read(original);
    const auto add = [this](ItemHandle parent, const char* name, const char* value) {
        ItemView item;
        item.text = name;
        item.value = value;
        item.hasValue = true;
        item.image = item.selectedImage = kDirectiveImage;
        return this->tree.InsertItem(parent, InsertPosition::Last(), item);
    };
    add(this->Find("IfModule"), "Group", "y");      // after a tab-indented sibling
    add(this->Find("Directory"), "Options", "None");  // an empty section: its parent's plus four
    add(file, "Listen", "8080");                      // after a last line without a line end
    EXPECT_EQ(this->Written(file),
              "<IfModule a>\n\tUser x\n\tGroup y\n</IfModule>\n<Directory />\n    Options None\n</Directory>\nPort 80\n"
              "Listen 8080\n");
}

struct OddCase {
    const char* name;
    std::string input;
    std::string tree;  // the children of the file item, as DumpChildren shows them
};

// Whatever the reader meets, the bytes come back; how it places them is checked here.
TYPED_TEST(KeptLayout, OddLinesAreKeptWhereTheyStood) {
    const OddCase cases[] = {
        {"continued opening line", "<IfDefine A \\\n   B>\nX 1\n</IfDefine>\n", "S IfDefine = A B\n  D X = 1\n"},
        {"stray closing line", "</Directory>\nX 1\n", "D X = 1\n"},
        {"unclosed section", "<Location /a>\n  X 1\n# end\n", "S Location = /a\n  D X = 1\n"},
        {"no final line end", "X 1\n# last", "D X = 1\n"},
        {"continuation at the end", "X 1 \\", "D X = 1\n"},
        {"nul bytes", std::string("A\0b c\n\0\n", 8), std::string("D A = \0b c\nD  = \0\n", 18)},
        {"only comments", "# a\n\n  # b\n", ""},
        {"empty", "", ""},
    };
    for (const OddCase& test : cases) {
        SCOPED_TRACE(test.name);
        const ItemHandle file = this->Read(test.input);
        EXPECT_EQ(DumpChildren(this->tree, file), test.tree);
        EXPECT_EQ(this->Written(file), test.input);
        DeleteConfigItem(this->document, file);
    }
    // More after a section the file never closed: it is closed first, so that nothing new
    // lands inside it.
    const ItemHandle file = this->Read("<Location /a>\n  X 1\n");
    ItemView item;
    item.text = "Y";
    item.value = "2";
    item.hasValue = true;
    this->tree.InsertItem(file, InsertPosition::Last(), item);
    EXPECT_EQ(this->Written(file), "<Location /a>\n  X 1\n</Location>\nY 2\n");
}

// A file read into an item that already holds one: what the item kept after its last item
// comes before the lines read now, as the new items come after the old ones.
TYPED_TEST(KeptLayout, ReadingIntoAFileItemTwiceKeepsBothFilesInOrder) {
    const std::string scratch = MakeScratchDirectory();
    ASSERT_TRUE(this->files->ReplaceFileBytes(scratch + "a.conf-dist", "A 1\n# after a"));
    ASSERT_TRUE(this->files->ReplaceFileBytes(scratch + "b.conf-dist", "# before b\nB 2\n# after b\n"));
    ReadConfigFile(this->document, scratch, "a.conf-dist", "x.conf", ExistingItem::ReadIntoNamedItem);
    const ItemHandle file =
        ReadConfigFile(this->document, scratch, "b.conf-dist", "x.conf", ExistingItem::ReadIntoNamedItem).item;
    EXPECT_EQ(this->Written(file), "A 1\n# after a\n# before b\nB 2\n# after b\n");
}

TYPED_TEST(KeptLayout, WithTheSettingOffSaveWritesPlainLines) {
    const std::string scratch = MakeScratchDirectory();
    ASSERT_TRUE(this->files->ReplaceFileBytes(scratch + "a.conf", "# c\n  Port 80\n<D x>\n</D>\n"));
    const ItemHandle file = ReadConfigFile(this->document, scratch, "a.conf", "a.conf").item;
    this->document.crLfMode = false;
    ASSERT_TRUE(WriteConfigFile(this->document, file, scratch + "kept.conf"));
    this->document.keepLayout = false;
    ASSERT_TRUE(WriteConfigFile(this->document, file, scratch + "plain.conf"));
    EXPECT_EQ(this->files->ReadFileBytes(scratch + "kept.conf"), "# c\n  Port 80\n<D x>\n</D>\n");
    EXPECT_EQ(this->files->ReadFileBytes(scratch + "plain.conf"), "Port 80\n<D x>\n</D>\n");
}

}  // namespace
}  // namespace tarnwick::testing
