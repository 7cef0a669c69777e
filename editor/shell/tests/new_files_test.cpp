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
#include <map>
#include <sstream>

namespace tarnwick::testing {
namespace {

std::string ReadFrom(const char* variable, const char* fallback, const std::string& relative) {
    const char* root = std::getenv(variable);
    std::string path = std::string(root ? root : fallback) + "/" + relative;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ReadTestData(const std::string& relative) { return ReadFrom("TARNWICK_TESTDATA", "testdata", relative); }
// The starting configuration the package ships.
std::string ReadStartingFile(const std::string& name) { return ReadFrom("TARNWICK_PACKAGE_CONF", "package/conf", name); }

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        at = end + 1;
    }
    return lines;
}

// The lines that differ, as "before => after"; files of different lengths differ as wholes.
std::vector<std::string> ChangedLines(const std::string& before, const std::string& after) {
    const std::vector<std::string> old = Lines(before), now = Lines(after);
    if (old.size() != now.size()) return {"line counts " + std::to_string(old.size()) + " and " + std::to_string(now.size())};
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < old.size(); ++i)
        if (old[i] != now[i]) changed.push_back(old[i] + " => " + now[i]);
    return changed;
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

TEST(QuickConfigValues, ListenKeepsEverythingButThePort) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"80", "8080"},
        {"127.0.0.1:80", "127.0.0.1:8080"},
        {"[::]:80", "[::]:8080"},
        {"[2001:db8::1]:443 https", "[2001:db8::1]:8080 https"},
        {"192.0.2.1:8443  https", "192.0.2.1:8080  https"},
        {"  80", "  8080"},
        {"localhost:80", "localhost:8080"},
        {"::1", std::nullopt},  // IPv6 without brackets names no port
        {"[::1]", std::nullopt},
        {"host:http", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(WithListenPort(value, 8080), expected) << value;
}

TEST(QuickConfigValues, PathsWithBlanksAreQuotedUnlessTheUserDid) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:/Apache", "C:/Apache"},
        {"C:/Program Files/Apache", "\"C:/Program Files/Apache\""},
        {"C:/Program\tFiles", "\"C:/Program\tFiles\""},
        {"\"C:/Program Files/Apache\"", "\"C:/Program Files/Apache\""},
        {"\"C:/Apache\"", "\"C:/Apache\""},
        {"", ""},
        {"C:\\My Sites\\", "\"C:\\My Sites\""},
        {"C:\\My Sites\\\\", "\"C:\\My Sites\""},
        {"C:/My Sites/", "\"C:/My Sites\""},
        {"C:\\www\\", "C:\\www\\"},
    };
    for (const auto& [typed, written] : cases) EXPECT_EQ(QuotedPath(typed), written) << typed;
}

// Apache 2.4's files have no Port: the port goes into the Listen lines of the main port (the
// first Listen's), and nothing else in them; other listeners keep theirs.
TEST_F(NewFiles, WithoutPortTheListenLinesTakeThePort) {
    const std::string httpd =
        "Listen 80\nListen 127.0.0.1:80\nListen 443 https\nListen [::]:080\nServerName localhost:80\n<IfModule ssl_module>\n"
        "Listen 8443\n</IfModule>\n";
    files.AddFile("C:\\dist\\httpd.conf-dist-win", httpd);
    QuickConfigValues values;
    values.port = 8080;
    document.crLfMode = false;
    ApplyQuickConfig(document, "C:\\dist", values);
    ASSERT_TRUE(SaveAllFiles(document).empty());
    EXPECT_EQ(ChangedLines(httpd, files.ReadFileBytes("C:\\dist\\httpd.conf").value_or("")),
              (std::vector<std::string>{"Listen 80 => Listen 8080", "Listen 127.0.0.1:80 => Listen 127.0.0.1:8080",
                                        "Listen [::]:080 => Listen [::]:8080"}));
}

// The 1.3 distribution has Port: it takes the port, and Listen is left alone. The other
// fields are given what the files say already, so exactly the port's line changes.
TEST_F(NewFiles, WithPortOnlyThePortLineChanges) {
    for (const char* distribution : {"apache-1.3-split", "apache-1.3-final"}) {
        SCOPED_TRACE(distribution);
        MemoryTree freshTree;
        MemoryFileStore freshFiles;
        ConfigDocument fresh{freshTree, freshFiles, "C:\\conf\\"};
        fresh.crLfMode = false;
        const std::string directory = std::string("C:\\") + distribution + "\\";
        std::map<std::string, std::string> before;
        for (const char* name : {"httpd.conf-dist-win", "access.conf-dist-win", "srm.conf-dist-win"}) {
            const std::string bytes = ReadTestData(std::string(distribution) + "/" + name);
            if (bytes.empty()) continue;
            freshFiles.AddFile(directory + name, bytes + "Listen 80\n");
            before[std::string(name).substr(0, std::string(name).find('-'))] = bytes + "Listen 80\n";
        }
        QuickConfigValues values;
        values.serverRoot = "\"@@ServerRoot@@\"";
        values.documentRoot = "\"@@ServerRoot@@/htdocs\"";
        values.serverAdmin = distribution == std::string("apache-1.3-split") ? "you@your.address" : "@@ServerAdmin@@";
        values.port = 8080;
        ApplyQuickConfig(fresh, directory, values);
        ASSERT_TRUE(SaveAllFiles(fresh).empty());
        std::vector<std::string> changed;
        for (const auto& [name, bytes] : before)
            for (std::string& line : ChangedLines(bytes, freshFiles.ReadFileBytes(directory + name).value_or("")))
                changed.push_back(name + ": " + line);
        EXPECT_EQ(changed, std::vector<std::string>{"httpd.conf: Port 80 => Port 8080"});
    }
}

// The package's own starting configuration with the package's presets: the folders (quoted,
// they hold blanks), the port in Listen, and nothing else.
TEST_F(NewFiles, TheStartingConfigurationTakesThePresets) {
    std::map<std::string, std::string> before;
    for (const char* name : {"httpd.conf-dist-win", "access.conf-dist-win", "srm.conf-dist-win"}) {
        const std::string bytes = ReadStartingFile(name);
        ASSERT_FALSE(bytes.empty()) << name;
        files.AddFile(std::string("C:\\Tarnwick\\Conf\\") + name, bytes);
        before[std::string(name).substr(0, std::string(name).find('-'))] = bytes;
    }
    QuickConfigValues values;
    values.serverRoot = "C:/Program Files/Apache Group/Apache";
    values.documentRoot = "C:/Program Files/Apache Group/Apache/htdocs";
    values.serverAdmin = "admin@localhost";
    values.port = 8080;
    ApplyQuickConfig(document, "C:\\Tarnwick\\Conf", values);
    ASSERT_TRUE(SaveAllFiles(document).empty());
    std::vector<std::string> changed;
    for (const auto& [name, bytes] : before)
        for (std::string& line : ChangedLines(bytes, files.ReadFileBytes("C:\\Tarnwick\\Conf\\" + name).value_or("")))
            changed.push_back(name + ": " + line);
    EXPECT_EQ(changed, (std::vector<std::string>{
                           "httpd.conf: ServerRoot \"@@ServerRoot@@\" => ServerRoot \"C:/Program Files/Apache Group/Apache\"",
                           "httpd.conf: Listen 80 => Listen 8080",
                           "httpd.conf: DocumentRoot \"@@ServerRoot@@/htdocs\" => DocumentRoot \"C:/Program Files/Apache Group/Apache/htdocs\"",
                           "httpd.conf: <Directory \"@@ServerRoot@@/htdocs\"> => <Directory \"C:/Program Files/Apache Group/Apache/htdocs\">",
                       }));
    EXPECT_EQ(ValuesOf("Port"), std::vector<std::string>{});
    for (const char* file : {"access.conf", "srm.conf"})  // comments only: Apache 2.4 reads neither
        EXPECT_EQ(tree.FirstChild(FindItemByName(tree, kNoItem, file)), kNoItem) << file;
}

}  // namespace
}  // namespace tarnwick::testing
