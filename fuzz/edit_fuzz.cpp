// Edits arbitrary configurations as a user does and saves them with the layout kept: the first
// two bytes say how many of the rest are the file, the others drive the edits (Update, New
// Item, Delete, moves to other places and depths). The output must read back into the tree as
// edited, and where Apache reads the input line for line as the reader does, it must read the
// output so too: nothing written may be joined to a kept line that ends in a backslash.
// Undoing every step gives the file read, and redoing them the file edited, byte for byte.

#include "config_reader.h"
#include "config_writer.h"
#include "edit_history.h"
#include "memory_file_store.h"
#include "memory_tree.h"
#include "random_edits.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t fileSize = std::min<std::size_t>(size - 2, data[0] | (data[1] << 8));
    std::string text(reinterpret_cast<const char*>(data) + 2, fileSize);
    // A NUL ends a name, so an item read from such a line may have none, and no line written
    // anew can say that; the reader fuzzer covers NUL bytes.
    std::erase(text, '\0');
    const std::string script(reinterpret_cast<const char*>(data) + 2 + fileSize, size - 2 - fileSize);
    MemoryTree memory;
    EditHistory tree(memory);
    MemoryFileStore files;
    ConfigDocument document{tree, files, ""};
    const ItemHandle file = tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("e.conf", "C:\\"));
    ParseConfigText(tree, document.sources.Keep(text), file);
    tree.Clear();
    const auto written = [&tree] {
        std::string out;
        WriteFileItemText(out, tree, tree.FirstFileItem(), false, true);
        return out;
    };
    const std::string before = written();
    // A few bytes of the script make one step, to be undone and redone.
    constexpr std::size_t kStepBytes = 4;
    for (std::size_t at = 0; at < script.size(); at += kStepBytes) {
        testing::ApplyRandomEdits(document, file, std::string_view(script).substr(at, kStepBytes));
        tree.EndStep();
    }
    std::string problem = testing::CheckWrittenFile(document, file, testing::ApacheReadsAsTheReaderDoes(text));
    const std::string edited = written();
    while (problem.empty() && tree.CanUndo()) tree.Undo();
    if (problem.empty() && written() != before) problem = "undoing every step does not give the file read\n" + written();
    while (problem.empty() && tree.CanRedo()) tree.Redo();
    if (problem.empty() && written() != edited) problem = "redoing every step does not give the file edited\n" + written();
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
