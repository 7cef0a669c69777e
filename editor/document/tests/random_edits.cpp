#include "random_edits.h"

#include "config_lines.h"
#include "config_reader.h"
#include "config_writer.h"
#include "item_text.h"
#include "memory_tree.h"
#include "tree_editing.h"
#include "tree_walk.h"

#include <vector>

namespace tarnwick::testing {

namespace {

// Hands out the script's bytes; zeros once they run out.
class Bytes {
public:
    explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
    bool Empty() const { return at_ >= bytes_.size(); }
    unsigned char Next() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : 0; }
    std::size_t Pick(std::size_t count) { return count == 0 ? 0 : Next() % count; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

std::vector<ItemHandle> ItemsBelow(const ConfigTree& tree, ItemHandle file) {
    std::vector<ItemHandle> items;
    VisitInFileOrder(tree, file, [&items](ItemHandle item) { items.push_back(item); });
    return items;
}

// A value a user may type: blanks, quotes, brackets, '#', backslashes (at the end too).
// No line ends, and no blanks at the end, which no line keeps.
std::string TypedValue(Bytes& bytes) {
    static constexpr std::string_view kPieces[] = {"x",  "80",  " ", "\"C:/web site\"", "\\",  "C:\\Apache24\\",
                                                   "#",  ">",   "<", "%h %l",           "\t", "*:443",
                                                   "On", "a\\", "/"};
    std::string value;
    for (std::size_t count = bytes.Pick(5); count > 0; --count) value += kPieces[bytes.Pick(std::size(kPieces))];
    while (!value.empty() && IsBlank(value.back())) value.pop_back();
    return value;
}

ItemView NewItemView(Bytes& bytes, const std::string& value) {
    static constexpr const char* kNames[] = {"ServerName", "Listen", "LogFormat", "Directory", "IfModule", "Options"};
    ItemView item;
    item.text = kNames[bytes.Pick(std::size(kNames))];
    item.value = value;
    item.hasValue = true;
    item.sectionMark = bytes.Next() % 3 == 0;
    item.image = item.sectionMark ? kSectionImage : kDirectiveImage;
    item.selectedImage = item.sectionMark ? kSectionSelectedImage : kDirectiveImage;
    return item;
}

// One line per item: depth, whether it counts as a section, name and value.
std::string Outline(const ConfigTree& tree, ItemHandle file) {
    std::string outline;
    for (ItemHandle item : ItemsBelow(tree, file)) {
        std::size_t depth = 0;
        for (ItemHandle up = tree.Parent(item); up != file && up != kNoItem; up = tree.Parent(up)) ++depth;
        const ItemView view = tree.GetItem(item);
        outline += std::string(2 * depth, ' ') + (CountsAsSection(tree, item) ? "S " : "D ") + std::string(view.text) +
                   " = " + std::string(view.value) + "\n";
    }
    return outline;
}

// The directives and sections Apache finds, in order: lines joined while one ends in a
// backslash (the line end right after it), comment lines included; "#" lines skipped.
std::vector<std::string> ApacheItems(const std::string& text) {
    std::vector<std::string> items;
    std::string logical;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const bool joins = !line.empty() && line.back() == '\\';
        logical += joins ? line.substr(0, line.size() - 1) : line;
        if (joins) continue;
        std::string_view cleaned(logical);
        while (!cleaned.empty() && IsBlank(cleaned.front())) cleaned.remove_prefix(1);
        while (!cleaned.empty() && IsBlank(cleaned.back())) cleaned.remove_suffix(1);
        if (!cleaned.empty() && cleaned[0] != '#' && !(cleaned.size() > 1 && cleaned[0] == '<' && cleaned[1] == '/')) {
            const std::string_view body = cleaned[0] == '<' ? cleaned.substr(1) : cleaned;
            std::size_t nameEnd = 0;
            while (nameEnd < body.size() && !IsBlank(body[nameEnd]) && body[nameEnd] != '\0' && body[nameEnd] != '>') ++nameEnd;
            items.push_back((cleaned[0] == '<' ? "<" : "") + std::string(body.substr(0, nameEnd)));
        }
        logical.clear();
    }
    return items;
}

std::vector<std::string> ReaderItems(const std::string& text) {
    MemoryTree tree;
    const ItemHandle file = tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("r.conf", "C:\\"));
    ParseConfigText(tree, text, file);
    std::vector<std::string> items;
    for (ItemHandle item : ItemsBelow(tree, file)) {
        const ItemView view = tree.GetItem(item);
        std::string_view name = view.text;
        if (view.sectionMark && !name.empty() && name.back() == '>') name.remove_suffix(1);
        items.push_back((view.sectionMark ? "<" : "") + std::string(name));
    }
    return items;
}

}  // namespace

void ApplyRandomEdits(ConfigDocument& document, ItemHandle file, std::string_view script) {
    ConfigTree& tree = document.tree;
    Bytes bytes(script);
    while (!bytes.Empty()) {
        const std::vector<ItemHandle> items = ItemsBelow(tree, file);
        const unsigned char op = bytes.Next() % 8;
        const ItemHandle item = items.empty() ? kNoItem : items[bytes.Pick(items.size())];
        switch (op) {
            case 0:  // Update
                if (item != kNoItem) tree.SetItemValue(item, TypedValue(bytes));
                break;
            case 1: {  // New Item: under a section or the file, or after an item
                const std::string value = TypedValue(bytes);
                const ItemView view = NewItemView(bytes, value);
                const bool after = item != kNoItem && bytes.Next() % 2 == 0;
                const ItemHandle parent = after ? tree.Parent(item) : (item != kNoItem && CountsAsSection(tree, item) ? item : file);
                tree.InsertItem(parent, after ? InsertPosition::After(item) : InsertPosition::Last(), view);
                break;
            }
            case 2:  // Delete
                if (item != kNoItem) DeleteConfigItem(document, item);
                break;
            case 3: {  // a drag onto another item or the file
                const ItemHandle target = items.empty() ? file : (bytes.Next() % 4 == 0 ? file : items[bytes.Pick(items.size())]);
                if (item != kNoItem) MoveItem(tree, target, item, &document.sources);
                break;
            }
            case 4: {  // a move to the end of another section or of the file: another depth
                const ItemHandle parent = items.empty() ? file : items[bytes.Pick(items.size())];
                if (item != kNoItem && CountsAsSection(tree, parent)) MoveSubtree(tree, parent, item, &document.sources);
                else if (item != kNoItem) MoveSubtree(tree, file, item, &document.sources);
                break;
            }
            case 5:  // Move Up, Move Down
                if (bytes.Next() % 2 == 0) MoveItemUp(tree, item, &document.sources);
                else MoveItemDown(tree, item, &document.sources);
                break;
            case 6:  // Copy (or Cut) and Paste somewhere else
            case 7: {
                if (item == kNoItem) break;
                const std::string text = ItemsText(tree, item);
                const ItemHandle place = bytes.Next() % 4 == 0 ? file : items[bytes.Pick(items.size())];
                if (op == 7) {
                    if (IsSameOrBelow(tree, place, item)) break;
                    DeleteConfigItem(document, item);
                }
                PasteItems(document, place, text);
                break;
            }
        }
    }
}

bool ApacheReadsAsTheReaderDoes(const std::string& text) { return ApacheItems(text) == ReaderItems(text); }

std::string CheckWrittenFile(ConfigDocument& document, ItemHandle file, bool apacheAgrees) {
    std::string written;
    WriteFileItemText(written, document.tree, file, false, true);
    MemoryTree again;
    const ItemHandle read = again.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("again.conf", "C:\\"));
    ParseConfigText(again, written, read);
    const std::string edited = Outline(document.tree, file), readBack = Outline(again, read);
    if (edited != readBack) return "the output reads back differently\n--- edited:\n" + edited + "--- read back:\n" + readBack + "--- output:\n" + written;
    if (apacheAgrees && !ApacheReadsAsTheReaderDoes(written)) return "Apache joins lines the reader does not\n--- output:\n" + written;
    return {};
}

}  // namespace tarnwick::testing
