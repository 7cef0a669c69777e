// Feeds arbitrary bytes to the configuration reader and writes the tree back, in both line-end
// modes and both layouts. Beyond crashes, leaks and sanitizer reports it checks two round trips:
// with the layout kept, the bytes written are the bytes read (line ends as the mode says); with
// plain lines, what was written reads back into a tree that writes the very same bytes.

#include "config_reader.h"
#include "config_writer.h"
#include "memory_tree.h"
#include "tree_walk.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tarnwick;

namespace {

ItemHandle NewFileItem(MemoryTree& tree) {
    return tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("fuzz.conf", "C:\\conf\\"));
}

std::string ReadAndWrite(const std::string& bytes, bool crLf, bool keepLayout) {
    MemoryTree tree;
    const ItemHandle file = NewFileItem(tree);
    ParseConfigText(tree, bytes, file);
    std::string out;
    WriteFileItemText(out, tree, file, crLf, keepLayout);
    // Lookups and releases walk the same tree without trouble.
    FindItemByName(tree, kNoItem, bytes.substr(0, 8));
    ReleaseTreeValues(tree);
    if (tree.LiveValueCount() != 1) std::abort();
    return out;
}

// Every line end (LF, CR LF, a lone CR) as the mode writes it.
std::string WithLineEnds(std::string_view text, bool crLf) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            result += text[i];
            continue;
        }
        result += crLf ? "\r\n" : "\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return result;
}

// A written line that ends in a backslash is continued by the format itself (as the server
// reads it too), so such output is not expected to come back unchanged.
bool HasContinuedLine(std::string_view text) {
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', end + 1)) {
        std::size_t last = end;
        if (last > 0 && text[last - 1] == '\r') --last;
        if (last > 0 && text[last - 1] == '\\') return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const bool crLf : {false, true}) {
        if (ReadAndWrite(bytes, crLf, true) != WithLineEnds(bytes, crLf)) std::abort();
        const std::string written = ReadAndWrite(bytes, crLf, false);
        if (!HasContinuedLine(written) && ReadAndWrite(written, crLf, false) != written) std::abort();
    }
    std::string line(bytes);
    CleanLine(line);
    DecodeOpenSelection(bytes, size > 0 ? data[0] : 0);
    return 0;
}
