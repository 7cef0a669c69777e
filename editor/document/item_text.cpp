#include "item_text.h"

#include "config_lines.h"
#include "config_reader.h"
#include "config_writer.h"
#include "memory_tree.h"
#include "own_comments.h"
#include "tree_editing.h"

#include <utility>
#include <vector>

namespace tarnwick {

namespace {

std::uint32_t DepthOf(const ConfigTree& tree, ItemHandle item) {
    std::uint32_t depth = 0;
    for (ItemHandle up = tree.Parent(item); up != kNoItem; up = tree.Parent(up)) ++depth;
    return depth;
}

bool IsCommentLine(std::string_view line) {
    const std::string_view cleaned = CleanLine(line);
    return !cleaned.empty() && cleaned.front() == '#';
}

// Takes `indent` off the lines that start with it, but not off the pieces of a continued line,
// whose blanks belong to the value they continue.
std::string WithoutIndent(std::string_view text, std::string_view indent) {
    if (indent.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    LineCursor lines(text);
    std::string_view line;
    bool continuing = false;
    for (std::size_t begin = 0; lines.Next(line); begin = lines.Position()) {
        const std::string_view whole = text.substr(begin, lines.Position() - begin);
        const bool strip = !continuing && line.substr(0, indent.size()) == indent;
        result += strip ? whole.substr(indent.size()) : whole;
        continuing = (continuing || !IsCommentLine(line)) && ContinuesOnNextLine(line);
    }
    return result;
}

}  // namespace

std::string ItemsText(const ConfigTree& tree, ItemHandle item) {
    std::string text;
    if (item == kNoItem) return text;
    MemoryTree scratch;
    const ItemHandle file = scratch.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("copy"));
    const ItemView view = tree.GetItem(item);
    if (tree.Parent(item) == kNoItem) {
        // A file item: its items as they stand, and the lines after the last of them.
        for (ItemHandle child = tree.FirstChild(item); child != kNoItem; child = tree.NextSibling(child))
            CopySubtree(tree, child, scratch, file, InsertPosition::Last());
        if (view.source && view.source->file) scratch.SetItemSource(file, *view.source);
        WriteFileItemText(text, scratch, file, true, true);
        return text;
    }
    const std::uint32_t depth = DepthOf(tree, item);
    const ItemHandle top = CopySubtree(tree, item, scratch, file, InsertPosition::Last(), depth - 1);
    std::string_view indent;
    if (const ItemView copied = scratch.GetItem(top); copied.source && copied.source->file) {
        // Only its own comment lines go with it: a heading above them belongs to the place.
        ItemSource own = *copied.source;
        own.leadBegin = own.linesOnly ? own.ownBegin : own.ownBegin - static_cast<std::uint32_t>(OwnCommentLines(own).size());
        scratch.SetItemSource(top, own);
        // Written at its own depth, it keeps the indentation it had there.
        if (own.depth == 1 && !own.linesOnly) indent = LeadingBlanks(own.Own());
    }
    WriteFileItemText(text, scratch, file, true, true);
    return WithoutIndent(text, indent);
}

PastedItems PasteItems(ConfigDocument& document, ItemHandle selected, std::string text) {
    ConfigTree& tree = document.tree;
    if (selected == kNoItem) return {};
    // Whole lines, so that nothing kept after the last item runs into the line after it.
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
    const std::string& kept = document.sources.Keep(std::move(text));
    MemoryTree scratch;
    const ItemHandle file = scratch.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("paste"));
    ParseConfigText(scratch, kept, file);
    if (scratch.FirstChild(file) == kNoItem) return {};

    const bool intoFile = tree.Parent(selected) == kNoItem;
    const ItemHandle parent = intoFile ? selected : tree.Parent(selected);
    PastedItems pasted;
    ItemHandle last = kNoItem;
    for (ItemHandle item = scratch.FirstChild(file); item != kNoItem; item = scratch.NextSibling(item)) {
        const InsertPosition where = last != kNoItem ? InsertPosition::After(last)
                                     : intoFile      ? InsertPosition::Last()
                                                     : InsertPosition::After(selected);
        const ItemHandle made = CopySubtree(scratch, item, tree, parent, where);
        if (made == kNoItem) break;
        if (pasted.first == kNoItem) pasted.first = made;
        last = made;
        ++pasted.count;
    }
    // The comment lines after the last item stay after it.
    if (const ItemView read = scratch.GetItem(file); last != kNoItem && read.source && read.source->file) {
        const std::string_view after = read.source->CloseLead();
        if (after.find_first_not_of(" \t\r\n") != std::string_view::npos) KeepLinesAfter(tree, document.sources, last, after);
    }
    if (pasted.first != kNoItem) {
        tree.SelectItem(pasted.first);
        document.currentItem = pasted.first;
    }
    return pasted;
}

}  // namespace tarnwick
