#include "own_comments.h"

#include "config_lines.h"

#include <string>

namespace tarnwick {

namespace {

bool IsCommentLine(std::string_view line) {
    const std::string_view cleaned = CleanLine(line);
    return !cleaned.empty() && cleaned.front() == '#';
}

// Where the item's own comment lines start within its lead.
std::size_t OwnCommentsStart(std::string_view lead) {
    LineCursor lines(lead);
    std::string_view line;
    std::size_t start = 0;
    while (lines.Next(line))
        if (!IsCommentLine(line)) start = lines.Position();
    return start;
}

enum class Place { BeforeLead, BeforeClose };

// The same source, kept in a buffer of its own with `lines` put before its lead or before the
// lines that lead up to its closing line. Every offset moves with the text it points at.
ItemSource WithLinesBefore(SourceFiles& sources, const ItemSource& source, std::string_view lines, Place place) {
    const std::string_view file(*source.file);
    std::string bytes;
    if (place == Place::BeforeLead) bytes += lines;
    const auto ownShift = static_cast<std::int64_t>(bytes.size()) - source.leadBegin;
    bytes += file.substr(source.leadBegin, source.ownEnd - source.leadBegin);
    const auto closeLeadBegin = static_cast<std::uint32_t>(bytes.size());
    if (place == Place::BeforeClose) bytes += lines;
    const auto closeShift = static_cast<std::int64_t>(bytes.size()) - source.closeLeadBegin;
    bytes += file.substr(source.closeLeadBegin, source.closeEnd - source.closeLeadBegin);

    const auto at = [](std::uint32_t offset, std::int64_t shift) { return static_cast<std::uint32_t>(offset + shift); };
    ItemSource moved = source;
    moved.file = &sources.Keep(std::move(bytes));
    moved.leadBegin = 0;
    moved.ownBegin = at(source.ownBegin, ownShift);
    moved.ownEnd = at(source.ownEnd, ownShift);
    moved.textBegin = at(source.textBegin, ownShift);
    moved.textEnd = at(source.textEnd, ownShift);
    moved.valueBegin = at(source.valueBegin, ownShift);
    moved.valueEnd = at(source.valueEnd, ownShift);
    moved.closeLeadBegin = closeLeadBegin;
    moved.closeBegin = at(source.closeBegin, closeShift);
    moved.closeEnd = at(source.closeEnd, closeShift);
    return moved;
}

}  // namespace

std::string_view OwnCommentLines(const ItemSource& source) {
    const std::string_view lead = source.Lead();
    return lead.substr(OwnCommentsStart(lead));
}

void LeaveOtherLinesBehind(ConfigTree& tree, SourceFiles& sources, ItemHandle item) {
    const ItemHandle parent = tree.Parent(item);
    const ItemView view = tree.GetItem(item);
    if (parent == kNoItem || !view.source || !view.source->file) return;
    ItemSource source = *view.source;
    const std::string_view lead = source.Lead();
    const std::size_t start = OwnCommentsStart(lead);
    if (start == 0) return;
    const std::string others(lead.substr(0, start));
    KeepLinesAfter(tree, sources, item, others);
    source.leadBegin += static_cast<std::uint32_t>(start);
    tree.SetItemSource(item, source);
}

void KeepLinesAfter(ConfigTree& tree, SourceFiles& sources, ItemHandle item, std::string_view lines) {
    const ItemHandle parent = tree.Parent(item);
    if (parent == kNoItem || lines.empty()) return;
    // The lines go to what stands after the item at its level, else before its parent's end.
    const ItemHandle next = tree.NextSibling(item);
    const ItemHandle heir = next != kNoItem ? next : parent;
    const Place place = next != kNoItem ? Place::BeforeLead : Place::BeforeClose;
    const ItemView heirView = tree.GetItem(heir);
    if (heirView.source && heirView.source->file) {
        tree.SetItemSource(heir, WithLinesBefore(sources, *heirView.source, lines, place));
        return;
    }
    // An item never read gets a source that holds nothing but these lines.
    ItemSource kept;
    kept.linesOnly = true;
    kept.file = &sources.Keep(std::string(lines));
    const auto size = static_cast<std::uint32_t>(lines.size());
    kept.ownBegin = kept.ownEnd = kept.closeLeadBegin = place == Place::BeforeLead ? size : 0;
    kept.closeBegin = kept.closeEnd = size;
    std::uint32_t depth = 0;
    for (ItemHandle up = heir; up != kNoItem; up = tree.Parent(up)) ++depth;
    kept.depth = depth - 1;
    tree.SetItemSource(heir, kept);
}

}  // namespace tarnwick
