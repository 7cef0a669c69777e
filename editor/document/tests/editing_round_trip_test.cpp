// Random edits of real and awkward files, saved with the layout kept and read back: the tree
// read back is the tree as edited, and Apache reads every line the reader reads on its own.
// The editing fuzzer (fuzz/edit_fuzz.cpp) runs the same check on arbitrary bytes.

#include "config_reader.h"
#include "memory_file_store.h"
#include "memory_tree.h"
#include "random_edits.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarnwick::testing {
namespace {

const char* const kFiles[] = {
    "apache-1.3-final/httpd.conf-dist-win", "apache-1.3-split/access.conf-dist-win", "apache-2.4-style/httpd.conf",
    "apache-2.4-style/httpd-vhosts.conf",   "apache-2.4-style/odd-lines.conf",
};

// Small files with the lines that have lost text before: continued lines at the end, comments
// ending in a backslash, stray and missing closing lines, headings set off by blank lines.
const char* const kAwkward[] = {
    "LogFormat \"%h %l\" \\",
    "LogFormat \"%h %l\" \\\n",
    "# see C:\\Apache24\\\nServerName a\n# heading\n\nListen 80\n",
    "<Directory x>\nA 1 \\\n# tail \\\n",
    "</IfModule>\n# own\nA 1\n\n# block\n<VirtualHost *:80>\n  B 2\\\n</VirtualHost>\nC 3\\",
    "<A a>\n<B b>\nX 1\n",
    "Foo\\\nBar 1\n\nBaz x\\ \nQux 2\n",
};

struct Editing : ::testing::Test {
    MemoryTree tree;
    MemoryFileStore files;
    ConfigDocument document{tree, files, ""};

    void Run(const std::string& text, std::uint32_t seed, int scripts) {
        std::mt19937 random(seed);
        const bool apacheAgrees = ApacheReadsAsTheReaderDoes(text);
        for (int i = 0; i < scripts; ++i) {
            const ItemHandle file = tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("e.conf", "C:\\"));
            // A NUL ends a name, and no line written anew can say an empty one: the reader's
            // own tests cover NUL bytes.
            std::string clean = text;
            std::erase(clean, '\0');
            ParseConfigText(tree, document.sources.Keep(std::move(clean)), file);
            std::string script(1 + random() % 64, '\0');
            for (char& c : script) c = static_cast<char>(random());
            ApplyRandomEdits(document, file, script);
            const std::string problem = CheckWrittenFile(document, file, apacheAgrees);
            EXPECT_EQ(problem, "") << "script " << i;
            DeleteConfigItem(document, file);
            if (!problem.empty()) return;
        }
    }
};

TEST_F(Editing, RealFilesReadBackAsEdited) {
    const auto store = MakePlatformFileStore();
    std::uint32_t seed = 1;
    for (const char* name : kFiles) {
        SCOPED_TRACE(name);
        const auto text = store->ReadFileBytes(TestDataPath(name));
        ASSERT_TRUE(text);
        Run(*text, seed++, 60);
    }
}

TEST_F(Editing, AwkwardFilesReadBackAsEdited) {
    std::uint32_t seed = 100;
    for (const char* text : kAwkward) {
        SCOPED_TRACE(text);
        Run(text, seed++, 400);
    }
}

}  // namespace
}  // namespace tarnwick::testing
