// Real Apache configuration files read from disk and written back, on every tree binding and
// through the platform's own file store: what survives and what does not.

#include "config_reader.h"
#include "config_writer.h"
#include "test_support.h"
#include "tree_bindings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace tarnwick::testing {
namespace {

const char* const kDistributionFiles[] = {
    "apache-1.3-final/httpd.conf-dist-win",
    "apache-1.3-split/httpd.conf-dist-win",
    "apache-1.3-split/access.conf-dist-win",
    "apache-1.3-split/srm.conf-dist-win",
};

std::vector<std::string> SplitLines(const std::string& text, const std::string& lineEnd) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(lineEnd, start)) != std::string::npos; start = end + lineEnd.size())
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line must end like the others";
    return lines;
}

// What the writer must give for a file: its lines without indentation, comments and blank
// lines, in order; a line without a blank gains one after its name (a directive written with
// its empty value), an opening line one before its '>'.
std::vector<std::string> ExpectedLines(const std::string& original) {
    std::vector<std::string> lines;
    std::istringstream in(original);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (line.find_first_of(" \t") == std::string::npos) {
            if (line[0] != '<') line += ' ';
            else if (line[1] != '/') line.insert(line.size() - 1, " ");
        }
        lines.push_back(line);
    }
    return lines;
}

template <typename Binding>
class RoundTrip : public ::testing::Test {
protected:
    Binding binding;
    std::unique_ptr<FileStore> files = MakePlatformFileStore();
    ConfigDocument document{binding.tree, *files, ""};

    std::string Original(const char* relative) { return files->ReadFileBytes(TestDataPath(relative)).value_or(""); }
};
TYPED_TEST_SUITE(RoundTrip, TreeBindings);

TYPED_TEST(RoundTrip, DistributionFilesComeBackWithoutCommentsOrIndentation) {
    this->document.keepLayout = false;
    const std::string scratch = MakeScratchDirectory();
    for (const bool crLf : {true, false}) {
        for (const char* relative : kDistributionFiles) {
            SCOPED_TRACE(relative);
            const std::string original = this->Original(relative);
            ASSERT_FALSE(original.empty()) << "test data missing: " << TestDataPath(relative);
            const std::string path = TestDataPath(relative);
            const ItemHandle file =
                ReadConfigFile(this->document, DirectoryOf(path), path.substr(DirectoryOf(path).size()), "copy.conf").item;
            this->document.crLfMode = crLf;
            ASSERT_TRUE(WriteConfigFile(this->document, file, scratch + "copy.conf"));
            const std::string written = this->files->ReadFileBytes(scratch + "copy.conf").value_or("");
            EXPECT_EQ(SplitLines(written, crLf ? "\r\n" : "\n"), ExpectedLines(original));
            if (!crLf) {
                EXPECT_EQ(written.find('\r'), std::string::npos);
            }

            // Reading the output again gives the same tree, and writing that the same bytes.
            const std::string firstTree = DumpChildren(this->binding.tree, file);
            DeleteConfigItem(this->document, file);
            const ItemHandle again = ReadConfigFile(this->document, scratch, "copy.conf", "copy.conf").item;
            EXPECT_EQ(DumpChildren(this->binding.tree, again), firstTree);
            ASSERT_TRUE(WriteConfigFile(this->document, again, scratch + "copy.conf"));
            EXPECT_EQ(this->files->ReadFileBytes(scratch + "copy.conf").value_or(""), written);
            DeleteConfigItem(this->document, again);
            EXPECT_EQ(this->binding.LiveValues(), 0u);
        }
    }
}

TYPED_TEST(RoundTrip, NestedSectionsOfTheLastDistributionStayNested) {
    const std::string path = TestDataPath("apache-1.3-final/httpd.conf-dist-win");
    const ItemHandle file = ReadConfigFile(this->document, DirectoryOf(path), "httpd.conf-dist-win", "httpd.conf").item;
    const std::string tree = DumpChildren(this->binding.tree, file);
    // Sections inside sections, and the directives after an inner section back in the outer one.
    EXPECT_NE(tree.find("S IfModule = mod_dir.c\n  D DirectoryIndex = index.html\n"), std::string::npos);
    EXPECT_NE(tree.find("S Directory = \"@@ServerRoot@@/htdocs\"\n  D Options = Indexes FollowSymLinks MultiViews\n"),
              std::string::npos);
    std::size_t nested = 0;
    for (std::size_t at = tree.find("\n  S "); at != std::string::npos; at = tree.find("\n  S ", at + 1)) ++nested;
    EXPECT_GT(nested, 0u) << tree;
}

TYPED_TEST(RoundTrip, BadInputNeverLosesTheFileOrCrashes) {
    const std::string scratch = MakeScratchDirectory();
    std::string binary;
    for (int i = 0; i < 64 * 1024; ++i) binary += static_cast<char>((i * 2654435761u) >> 13);
    const std::pair<const char*, std::string> inputs[] = {
        {"binary", binary},
        {"nul bytes", std::string("Port 80\0\0\nUser \0nobody\n\0\0\0", 27)},
        {"cr only", "# comment\rPort 80\r<Directory />\rOptions None\r</Directory>\r"},
        {"one megabyte line", "Header " + std::string(1 << 20, 'h') + "\n"},
        {"ctrl-z", "Port 80\n\x1a\nUser nobody\n"},
    };
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(this->files->ReplaceFileBytes(scratch + "bad.conf", bytes));
        const ItemHandle file = ReadConfigFile(this->document, scratch, "bad.conf", "bad.conf").item;
        ASSERT_NE(file, kNoItem);
        const std::string tree = DumpChildren(this->binding.tree, file);
        EXPECT_TRUE(SaveAllFiles(this->document).empty());
        DeleteConfigItem(this->document, file);
        // What was saved reads back into the same tree: nothing is cut or shifted.
        const ItemHandle again = ReadConfigFile(this->document, scratch, "bad.conf", "bad.conf").item;
        EXPECT_EQ(DumpChildren(this->binding.tree, again), tree);
        DeleteConfigItem(this->document, again);
    }
    EXPECT_EQ(this->binding.LiveValues(), 0u);
}

TYPED_TEST(RoundTrip, OneMegabyteLineKeepsItsValueWhole) {
    const std::string scratch = MakeScratchDirectory();
    const std::string value(1 << 20, 'h');
    ASSERT_TRUE(this->files->ReplaceFileBytes(scratch + "long.conf", "Header " + value + "\r\nNext 1\r\n"));
    const ItemHandle file = ReadConfigFile(this->document, scratch, "long.conf", "long.conf").item;
    const ItemHandle header = this->binding.tree.FirstChild(file);
    EXPECT_EQ(this->binding.tree.GetItem(header).value.size(), value.size());
    EXPECT_EQ(this->binding.tree.GetItem(this->binding.tree.NextSibling(header)).text, "Next");
    EXPECT_TRUE(SaveAllFiles(this->document).empty());
    EXPECT_EQ(this->files->ReadFileBytes(scratch + "long.conf"), "Header " + value + "\r\nNext 1\r\n");
}

TYPED_TEST(RoundTrip, UnreadableAndUnwritablePlacesKeepEveryFile) {
    const std::string scratch = MakeScratchDirectory();
    // A directory cannot be read as a file: it gets no item, so nothing can be written over it.
    std::string folder = MakeScratchDirectory();
    folder.pop_back();
    const std::string folderParent = DirectoryOf(folder);
    const FileReadOutcome unreadable =
        ReadConfigFile(this->document, folderParent, folder.substr(folderParent.size()), "folder");
    EXPECT_FALSE(unreadable.read);
    EXPECT_EQ(unreadable.item, kNoItem);
    EXPECT_EQ(this->binding.tree.FirstFileItem(), kNoItem);

    ASSERT_TRUE(this->files->ReplaceFileBytes(scratch + "keep.conf", "Port 80\n"));
    const ItemHandle kept = ReadConfigFile(this->document, scratch, "keep.conf", "keep.conf").item;
    this->binding.tree.SetItemValue(this->binding.tree.FirstChild(kept), "8080");
    const std::string unwritable = MakeUnwritableDirectory();
    ItemView orphan;
    orphan.text = "lost.conf";
    orphan.value = unwritable;
    orphan.hasValue = true;
    orphan.sectionMark = true;
    this->binding.tree.InsertItem(kNoItem, InsertPosition::First(), orphan);
    const std::vector<UnsavedFile> failed = SaveAllFiles(this->document);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].path, unwritable + "lost.conf");
    EXPECT_EQ(this->files->ReadFileBytes(scratch + "keep.conf"), "Port 8080\r\n");
    // The directory of an unwritable target is refused without a temporary file left behind.
    EXPECT_FALSE(this->files->ReadFileBytes(unwritable + "lost.conf").has_value());
}

}  // namespace
}  // namespace tarnwick::testing
