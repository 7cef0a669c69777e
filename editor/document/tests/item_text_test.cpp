// Copy and Paste of items as configuration text: what an item copies (its own comment lines,
// indentation relative to its level, CR LF), and what a file holds after a paste and a save.

#include "config_reader.h"
#include "config_writer.h"
#include "item_text.h"
#include "memory_file_store.h"
#include "memory_tree.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::testing {
namespace {

const std::string kFile =
    "# heading of the modules\n"
    "\n"
    "# what the module is for\n"
    "LoadModule dir_module modules/mod_dir.so\n"
    "<Directory \"C:/web\">\n"
    "    Options Indexes \\\n"
    "        FollowSymLinks\n"
    "    # who may come in\n"
    "    Require all granted\n"
    "</Directory>\n"
    "# the first site\n"
    "<VirtualHost *:80>\n"
    "\tServerName example.org\n"
    "\t<Location />\n"
    "\t\tDeny from all\n"
    "\t</Location>\n"
    "</VirtualHost>\n"
    "# the end\n";

// The file above, read into a tree of its own.
struct OpenedFile {
    MemoryTree tree;
    MemoryFileStore files;
    ConfigDocument document{tree, files, "C:\\conf\\"};
    ItemHandle file = tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("httpd.conf", "C:\\conf\\"));

    OpenedFile() { ParseConfigText(tree, document.sources.Keep(kFile), file); }
    ItemHandle Find(const std::string& name) { return name == "file" ? file : FindItemByName(tree, kNoItem, name); }
    std::string Written() {
        std::string text;
        WriteFileItemText(text, tree, file, false, true);
        return text;
    }
};

struct ItemTextTest : ::testing::Test, OpenedFile {};

TEST_F(ItemTextTest, CopyGivesTheItemAsSaveWritesIt) {
    struct Case {
        const char* item;
        const char* text;
    };
    const Case cases[] = {
        // Its own comment lines go with it; the heading set off above them stays.
        {"LoadModule", "# what the module is for\r\nLoadModule dir_module modules/mod_dir.so\r\n"},
        // Indentation made relative to its own level; a continued line's pieces keep theirs.
        {"Options", "Options Indexes \\\r\n        FollowSymLinks\r\n"},
        {"Location", "<Location />\r\n\tDeny from all\r\n</Location>\r\n"},
        {"Directory",
         "<Directory \"C:/web\">\r\n    Options Indexes \\\r\n        FollowSymLinks\r\n    # who may come in\r\n"
         "    Require all granted\r\n</Directory>\r\n"},
        {"VirtualHost",
         "# the first site\r\n<VirtualHost *:80>\r\n\tServerName example.org\r\n\t<Location />\r\n\t\tDeny from all\r\n"
         "\t</Location>\r\n</VirtualHost>\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(ItemsText(tree, Find(c.item)), c.text) << c.item;

    // A file item gives its whole contents; an edited item is written anew.
    std::string whole;
    for (char ch : kFile) whole += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_EQ(ItemsText(tree, file), whole);
    tree.SetItemValue(Find("Deny"), "from 10.0.0.1");
    EXPECT_EQ(ItemsText(tree, Find("Location")), "<Location />\r\n\tDeny from 10.0.0.1\r\n</Location>\r\n");
    ItemView added;
    added.text = "Header";
    added.value = "set X 1";
    added.hasValue = true;
    tree.InsertItem(Find("VirtualHost"), InsertPosition::First(), added);
    EXPECT_EQ(ItemsText(tree, Find("Location")), "<Location />\r\n\tDeny from 10.0.0.1\r\n</Location>\r\n");
    EXPECT_EQ(ItemsText(tree, Find("Header")), "Header set X 1\r\n");
    EXPECT_EQ(ItemsText(tree, kNoItem), "");
}

TEST_F(ItemTextTest, PasteInsertsAfterTheSelectionKeepingTheLayout) {
    struct Case {
        const char* name;
        const char* selected;
        const char* pasted;
        std::size_t count;
        const char* firstName;
        const char* written;  // the file with the layout kept; "" for the file unchanged
    };
    const Case cases[] = {
        {"into a file item, at its end", "file", "# second site\r\n<VirtualHost *:81>\r\n\tServerName b\r\n</VirtualHost>\r\n", 1,
         "VirtualHost",
         "# heading of the modules\n\n# what the module is for\nLoadModule dir_module modules/mod_dir.so\n"
         "<Directory \"C:/web\">\n    Options Indexes \\\n        FollowSymLinks\n    # who may come in\n"
         "    Require all granted\n</Directory>\n# the first site\n<VirtualHost *:80>\n\tServerName example.org\n"
         "\t<Location />\n\t\tDeny from all\n\t</Location>\n</VirtualHost>\n# second site\n<VirtualHost *:81>\n"
         "\tServerName b\n</VirtualHost>\n# the end\n"},
        {"several directives from a web page, after a directive, no last line end", "LoadModule",
         "Listen 8080\nServerName www.example.com", 2, "Listen",
         "# heading of the modules\n\n# what the module is for\nLoadModule dir_module modules/mod_dir.so\n"
         "Listen 8080\nServerName www.example.com\n<Directory \"C:/web\">\n    Options Indexes \\\n"
         "        FollowSymLinks\n    # who may come in\n    Require all granted\n</Directory>\n# the first site\n"
         "<VirtualHost *:80>\n\tServerName example.org\n\t<Location />\n\t\tDeny from all\n\t</Location>\n"
         "</VirtualHost>\n# the end\n"},
        {"inside a section: indented as its items, comments after the last kept", "Require",
         "AllowOverride None\r\n# said last\r\n", 1, "AllowOverride",
         "# heading of the modules\n\n# what the module is for\nLoadModule dir_module modules/mod_dir.so\n"
         "<Directory \"C:/web\">\n    Options Indexes \\\n        FollowSymLinks\n    # who may come in\n"
         "    Require all granted\n    AllowOverride None\n# said last\n</Directory>\n# the first site\n"
         "<VirtualHost *:80>\n\tServerName example.org\n\t<Location />\n\t\tDeny from all\n\t</Location>\n"
         "</VirtualHost>\n# the end\n"},
        {"no configuration lines", "LoadModule", "# only a comment\r\n\r\n   \r\n", 0, "", ""},
        {"nothing selected", "", "Listen 80\r\n", 0, "", ""},
    };
    const std::string unchanged = Written();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenedFile fresh;
        const ItemHandle selected = *c.selected ? fresh.Find(c.selected) : kNoItem;
        const PastedItems pasted = PasteItems(fresh.document, selected, c.pasted);
        EXPECT_EQ(pasted.count, c.count);
        EXPECT_EQ(fresh.tree.GetItem(pasted.first).text, c.firstName);
        if (pasted.first != kNoItem) {
            EXPECT_EQ(fresh.tree.SelectedItem(), pasted.first);
        }
        EXPECT_EQ(fresh.Written(), *c.written ? std::string(c.written) : unchanged);
    }
}

// What Copy gives, Paste reads back as the same items with the same lines.
TEST_F(ItemTextTest, CopiedItemsPasteIntoAnotherFileAsTheyStood) {
    const ItemHandle other = tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("other.conf", "C:\\conf\\"));
    for (const char* name : {"VirtualHost", "Directory", "LoadModule"}) {
        const std::string copied = ItemsText(tree, Find(name));
        ASSERT_EQ(PasteItems(document, other, copied).count, 1u) << name;
    }
    std::string written;
    WriteFileItemText(written, tree, other, true, true);
    EXPECT_EQ(written, ItemsText(tree, Find("VirtualHost")) + ItemsText(tree, Find("Directory")) + ItemsText(tree, Find("LoadModule")));
    EXPECT_EQ(ItemsText(tree, other), written);
}

}  // namespace
}  // namespace tarnwick::testing
