// New file items, value replacement by name, and Quick Config on the real distributed files.

#include "config_writer.h"
#include "memory_file_store.h"
#include "memory_registry.h"
#include "memory_tree.h"
#include "new_files.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnwick::testing {
namespace {

std::string ReadTestData(const std::string& relative) {
    const char* root = std::getenv("TARNWICK_TESTDATA");
    std::string path = std::string(root ? root : "testdata") + "/" + relative;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class NewFiles : public ::testing::Test {
protected:
    MemoryTree tree;
    MemoryFileStore files;
    MemoryRegistry registry;
    ConfigDocument document{tree, files, "C:\\conf\\"};

    void AddDistribution(const std::string& directory) {
        for (const char* name : {"httpd.conf-dist-win", "access.conf-dist-win", "srm.conf-dist-win"}) {
            const std::string bytes = ReadTestData(std::string("apache-1.3-split/") + name);
            ASSERT_FALSE(bytes.empty()) << name;
            files.AddFile(directory + name, bytes);
        }
    }

    std::vector<std::string> FileItems() {
        std::vector<std::string> names;
        for (ItemHandle file = tree.FirstFileItem(); file; file = tree.NextSibling(file))
            names.emplace_back(tree.GetItem(file).text);
        return names;
    }

    // Every value of items named `name`, in tree order.
    std::vector<std::string> ValuesOf(const char* name) {
        std::vector<std::string> values;
        VisitChildrenFirst(tree, tree.FirstFileItem(), [&](ItemHandle item) {
            if (EqualsIgnoringCase(tree.GetItem(item).text, name)) values.emplace_back(tree.GetItem(item).value);
            return false;
        });
        return values;
    }
};

TEST_F(NewFiles, FileItemsGoFirstAndAreSelected) {
    const ItemHandle srm = InsertFileItem(document, "srm.conf");
    const ItemHandle again = InsertFileItem(document, "srm.conf");
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"srm.conf", "srm.conf"}));
    EXPECT_EQ(tree.FirstFileItem(), again);
    EXPECT_EQ(tree.SelectedItem(), again);
    EXPECT_EQ(document.currentItem, again);
    EXPECT_FALSE(tree.GetItem(srm).hasValue);
    EXPECT_TRUE(tree.GetItem(srm).sectionMark);
}

TEST_F(NewFiles, ReplaceValuesByNameIgnoresCaseAndHonoursTheRequiredValue) {
    const ItemHandle file = InsertFileItem(document, "httpd.conf");
    ItemView item;
    item.hasValue = true;
    for (const auto& [name, value] : std::vector<std::pair<const char*, const char*>>{
             {"serverroot", "x"}, {"Directory", "\"@@serverroot@@/HTDOCS\""}, {"Directory", "@@ServerRoot@@/htdocs"},
             {"DocumentRoot", "y"}}) {
        item.text = name;
        item.value = value;
        tree.InsertItem(file, InsertPosition::Last(), item);
    }
    ItemView bare;
    bare.text = "Directory";
    tree.InsertItem(file, InsertPosition::Last(), bare);
    ReplaceValuesByName(tree, "ServerRoot", std::nullopt, "C:/Apache");
    ReplaceValuesByName(tree, "Directory", kHtdocsPlaceholder, "C:/web");
    EXPECT_EQ(ValuesOf("ServerRoot"), std::vector<std::string>{"C:/Apache"});
    EXPECT_EQ(ValuesOf("Directory"), (std::vector<std::string>{"C:/web", "@@ServerRoot@@/htdocs", ""}));
    EXPECT_FALSE(tree.GetItem(tree.NextSibling(tree.NextSibling(tree.NextSibling(tree.NextSibling(tree.FirstChild(file)))))).hasValue);
}

TEST_F(NewFiles, PresetsComeFromTheQuickConfigKey) {
    QuickConfigValues empty = ReadQuickConfigPresets(registry);
    EXPECT_EQ(empty.serverRoot, "");
    EXPECT_EQ(empty.port, 0);
    EXPECT_FALSE(empty.unix);
    registry.Put(RegistryRoot::LocalMachine, kQuickConfigKey, StringValue("Port", "8080"));
    registry.Put(RegistryRoot::LocalMachine, kQuickConfigKey, StringValue("ServerType", "UNIX"));
    registry.Put(RegistryRoot::CurrentUser, kQuickConfigKey, StringValue("ServerRoot", "D:/Apache"));
    const QuickConfigValues presets = ReadQuickConfigPresets(registry);
    EXPECT_EQ(presets.port, 8080);
    EXPECT_TRUE(presets.unix);
    EXPECT_EQ(presets.serverRoot, "D:/Apache");
}

TEST_F(NewFiles, QuickConfigBuildsTheThreeFilesFromTheDistribution) {
    AddDistribution("C:\\dist\\");
    QuickConfigValues values;
    values.serverRoot = "C:/Apache";
    values.documentRoot = "C:/Apache/htdocs";
    values.port = 8080;
    values.user = "web";
    values.group = "webgroup";
    values.serverAdmin = "admin@example.com";
    ApplyQuickConfig(document, "C:\\dist", values);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "access.conf", "srm.conf"}));
    EXPECT_EQ(tree.SelectedItem(), tree.FirstFileItem());
    EXPECT_EQ(ValuesOf("ServerRoot"), std::vector<std::string>{"C:/Apache"});
    EXPECT_EQ(ValuesOf("Port"), std::vector<std::string>{"8080"});
    EXPECT_EQ(ValuesOf("DocumentRoot"), std::vector<std::string>{"C:/Apache/htdocs"});
    EXPECT_EQ(ValuesOf("ServerAdmin"), std::vector<std::string>{"admin@example.com"});
    const std::vector<std::string> directories = ValuesOf("Directory");
    EXPECT_EQ(directories.front(), "C:/Apache/htdocs");
    EXPECT_EQ(directories.back(), "\"@@ServerRoot@@/cgi-bin\"");  // any other value stays

    // Saved into the directory the files were read from, under the names they stand for.
    EXPECT_TRUE(SaveAllFiles(document).empty());
    const std::string httpd = files.ReadFileBytes("C:\\dist\\httpd.conf").value_or("");
    EXPECT_NE(httpd.find("Port 8080\r\n"), std::string::npos);
    EXPECT_NE(httpd.find("ServerRoot C:/Apache\r\n"), std::string::npos);
    EXPECT_TRUE(files.Exists("C:\\dist\\access.conf"));
    EXPECT_TRUE(files.Exists("C:\\dist\\srm.conf"));
}

TEST_F(NewFiles, QuickConfigTwiceAndWithMissingFiles) {
    files.AddFile("C:\\dist\\httpd.conf-dist-win", "Port 80\nServerRoot x\n");
    QuickConfigValues values;  // empty fields give empty values
    ApplyQuickConfig(document, "C:\\dist\\", values);
    EXPECT_EQ(FileItems(), (std::vector<std::string>{"httpd.conf", "access.conf", "srm.conf"}));
    EXPECT_EQ(tree.FirstChild(tree.NextSibling(tree.FirstFileItem())), kNoItem);  // missing file: empty item
    EXPECT_EQ(ValuesOf("ServerRoot"), std::vector<std::string>{""});
    ApplyQuickConfig(document, "C:\\dist\\", values);
    EXPECT_EQ(ValuesOf("Port"), (std::vector<std::string>{"0", "0"}));  // the lines come twice
    EXPECT_EQ(FileItems().size(), 3u);
}

}  // namespace
}  // namespace tarnwick::testing
