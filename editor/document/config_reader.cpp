#include "config_reader.h"

#include "config_lines.h"

#include "tree_walk.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace tarnwick {

namespace {

// The top-level file item that would be saved to the file `path` reaches (as the file system
// tells files apart: links and aliases of one file are that file), if any.
// An open file's identity is the one noted when it was read or written: asking the disk again
// for every open file on every Open made opening many included files cost their square.
ItemHandle FindFileSavedTo(const ConfigDocument& document, const std::string& path) {
    const ConfigTree& tree = document.tree;
    const std::string fullPath = PathKey(document.files.FullPath(path));
    const std::optional<FileIdentity> identity = document.files.IdentityOf(path);
    for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file)) {
        const std::string target = FileItemTarget(document, file);
        if (PathKey(document.files.FullPath(target)) == fullPath) return file;
        if (!identity) continue;
        const FileBaseline* baseline = BaselineOf(document, file);
        const std::optional<FileIdentity> its = baseline ? baseline->identity : document.files.IdentityOf(target);
        if (its == identity) return file;
    }
    return kNoItem;
}

// New File's items have no directory of their own; the others were read from theirs.
bool IsNewFile(const ConfigTree& tree, ItemHandle file) {
    const ItemView item = tree.GetItem(file);
    return !item.hasValue || item.value.empty();
}

// Notes where the item's name and value stand in `bytes`, when both stand there whole (not in
// the joined text of a continued line).
void PlaceFields(ItemSource& source, const ItemView& fields, const std::string& bytes) {
    const auto offset = [&bytes](std::string_view part) -> std::optional<std::uint32_t> {
        const char* begin = bytes.data();
        if (part.data() < begin || part.data() + part.size() > begin + bytes.size()) return std::nullopt;
        return static_cast<std::uint32_t>(part.data() - begin);
    };
    // An empty view may point anywhere: it stands for an empty field at the line's end.
    const auto text = fields.text.empty() ? std::optional(source.ownEnd) : offset(fields.text);
    const auto value = fields.value.empty() ? std::optional(source.ownEnd) : offset(fields.value);
    source.fieldsInPlace = text && value;
    if (!source.fieldsInPlace) return;
    source.textBegin = *text;
    source.textEnd = *text + static_cast<std::uint32_t>(fields.text.size());
    source.valueBegin = *value;
    source.valueEnd = *value + static_cast<std::uint32_t>(fields.value.size());
}

// Keeps the text of a file read into `fileItem` for as long as the document lives, decoded
// when the file is not UTF-8. Lines the item kept after its last item, from an earlier
// reading, come first: what is read now goes after them, as the new items do.
const std::string& KeepAfterTail(ConfigDocument& document, ItemHandle fileItem, std::string bytes) {
    FileText read = DecodeFileBytes(document.ansiCodePage, std::move(bytes));
    const ItemView file = document.tree.GetItem(fileItem);
    const std::string_view tail = file.source ? file.source->CloseLead() : std::string_view();
    if (tail.empty()) return document.sources.Keep(std::move(read.text), read.fromAnsi);
    std::string joined(tail);
    if (joined.back() != '\n' && joined.back() != '\r') joined += '\n';
    return document.sources.Keep(joined + read.text, read.fromAnsi);
}

ItemHandle InsertFileItem(ConfigTree& tree, std::string_view directory, std::string_view itemText) {
    return tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView(itemText, directory));
}

}  // namespace

void CleanLine(std::string& line) {
    const std::string_view cleaned = CleanLine(std::string_view(line));
    line = std::string(cleaned);
}

void ParseConfigText(ConfigTree& tree, const std::string& bytes, ItemHandle fileItem) {
    // Every byte read belongs to some item: blank and comment lines (and closing lines that
    // close nothing) to the item below them, or to the file item after its last item.
    ItemHandle parent = fileItem;
    std::uint32_t depth = 1;
    LineCursor lines(bytes);
    std::string joined;  // a line continued over several lines
    auto at = [](std::size_t offset) { return static_cast<std::uint32_t>(offset); };
    std::uint32_t leadBegin = 0;
    LogicalLine line;
    for (;;) {
        const std::uint32_t lineBegin = at(lines.Position());
        if (!NextLogicalLine(lines, joined, line)) break;
        const std::uint32_t lineEnd = at(lines.Position());
        switch (line.kind) {
            case LogicalLine::Kind::Skipped: break;
            case LogicalLine::Kind::Closing: {
                if (parent == fileItem) break;  // closes nothing: kept like a comment line
                const ItemView section = tree.GetItemContent(parent);  // only its source is read
                ItemSource source = section.source ? *section.source : ItemSource{};
                source.closeLeadBegin = leadBegin;
                source.closeBegin = lineBegin;
                source.closeEnd = lineEnd;
                tree.SetItemSource(parent, source);
                parent = tree.Parent(parent);
                --depth;
                leadBegin = lineEnd;
                break;
            }
            case LogicalLine::Kind::Opening:
            case LogicalLine::Kind::Directive: {
                // A section not closed in the file has no closing line: its close is empty.
                ItemSource source;
                source.file = &bytes;
                source.leadBegin = leadBegin;
                source.ownBegin = lineBegin;
                source.ownEnd = source.closeLeadBegin = source.closeBegin = source.closeEnd = lineEnd;
                source.depth = depth;
                source.opening = line.kind == LogicalLine::Kind::Opening;
                PlaceFields(source, line.fields, bytes);
                ItemView item = line.fields;
                item.source = &source;
                const ItemHandle inserted = tree.InsertItem(parent, InsertPosition::Last(), item);
                leadBegin = lineEnd;
                if (line.kind == LogicalLine::Kind::Opening && inserted != kNoItem) {
                    parent = inserted;
                    ++depth;
                }
                break;
            }
        }
    }
    ItemSource tail;
    tail.file = &bytes;
    tail.closeLeadBegin = leadBegin;
    tail.closeBegin = tail.closeEnd = at(bytes.size());
    tree.SetItemSource(fileItem, tail);
}

bool ParseConfigLines(ConfigDocument& document, const std::string& path, ItemHandle fileItem) {
    std::optional<std::string> bytes = document.files.ReadFileBytes(path);
    if (!bytes) return false;
    ParseConfigText(document.tree, KeepAfterTail(document, fileItem, std::move(*bytes)), fileItem);
    return true;
}

FileReadOutcome ReadConfigFile(ConfigDocument& document, std::string_view directory, std::string_view fileName,
                               std::string_view itemText, ExistingItem rule) {
    ConfigTree& tree = document.tree;
    std::string path(directory);
    AppendBackslash(path);
    path += fileName;

    if (rule == ExistingItem::ReadIntoNamedItem) {
        ItemHandle fileItem = FindItemByName(tree, kNoItem, itemText);
        if (fileItem == kNoItem) fileItem = InsertFileItem(tree, directory, itemText);
        if (fileItem == kNoItem) return {};
        return {fileItem, ParseConfigLines(document, path, fileItem)};
    }

    ItemHandle open = FindFileSavedTo(document, path);
    if (open != kNoItem && !IsNewFile(tree, open)) {
        tree.SelectItem(open);
        return {open, true};
    }
    if (open != kNoItem && tree.FirstChild(open) != kNoItem) open = kNoItem;  // a New File with content
    // Read first: a file that cannot be read gets no item, so nothing can write over it.
    std::optional<std::string> bytes = document.files.ReadFileBytes(path);
    if (!bytes) return {kNoItem, false};
    ItemHandle fileItem = open;
    if (fileItem != kNoItem) {
        tree.SetItemValue(fileItem, directory);  // the new file is now the file read into it
        tree.SelectItem(fileItem);
    } else {
        fileItem = InsertFileItem(tree, directory, itemText);
        if (fileItem == kNoItem) return {};
    }
    const std::uint64_t revisionBefore = tree.Revision();
    const std::string& kept = KeepAfterTail(document, fileItem, std::move(*bytes));
    ParseConfigText(tree, kept, fileItem);
    NoteReadBaseline(document, fileItem, kept, revisionBefore);
    return {fileItem, true};
}

std::optional<OpenSelection> DecodeOpenSelection(std::string_view buffer, std::size_t fileOffset) {
    if (fileOffset == 0 || fileOffset >= buffer.size()) return std::nullopt;
    const std::string_view first = buffer.substr(0, buffer.find('\0'));
    OpenSelection selection;
    if (buffer[fileOffset - 1] != '\0') {
        if (fileOffset >= first.size()) return std::nullopt;
        const auto lastBackslash = first.rfind('\\');
        if (lastBackslash == std::string_view::npos) return std::nullopt;
        selection.directory = std::string(first.substr(0, lastBackslash + 1));
        selection.names.emplace_back(first.substr(fileOffset));
        return selection;
    }
    selection.directory = std::string(first);
    AppendBackslash(selection.directory);
    std::string_view rest = buffer.substr(fileOffset);
    while (!rest.empty() && rest[0] != '\0') {
        const std::string_view name = rest.substr(0, rest.find('\0'));
        selection.names.emplace_back(name);
        rest.remove_prefix(std::min(rest.size(), name.size() + 1));
    }
    if (selection.names.empty()) return std::nullopt;
    return selection;
}

std::vector<std::string> OpenConfigFiles(ConfigDocument& document, const OpenSelection& selection) {
    const bool wasSaved = !HasUnsavedChanges(document);
    document.configDirectory = selection.directory;
    std::vector<std::string> unread;
    for (const std::string& name : selection.names)
        if (!ReadConfigFile(document, document.configDirectory, name, name).read)
            unread.push_back(document.configDirectory + name);
    // What was just read is what the files hold: it is nothing to save.
    if (wasSaved) MarkSaved(document);
    return unread;
}

std::string UnreadFilesMessage(const std::vector<std::string>& paths) {
    std::string text = "These files could not be read, so they were not opened:\n";
    for (const std::string& path : paths) text += "\n" + path;
    text += "\n\nAnother program may be using them, or they may not exist. Open them again to retry.";
    return text;
}

}  // namespace tarnwick
