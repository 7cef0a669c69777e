#include "config_reader.h"

#include "tree_walk.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Where a name ends: at the first blank, or at a NUL, which no name can hold (the tree
// control keeps names as C strings). A NUL stays with the value, so no byte is lost.
std::size_t NameEnd(std::string_view line) {
    std::size_t end = 0;
    while (end < line.size() && !IsBlank(line[end]) && line[end] != '\0') ++end;
    return end;
}

// What follows the name: everything after its blank, or everything from its NUL.
std::string_view AfterName(std::string_view line, std::size_t nameEnd) {
    if (nameEnd == line.size()) return {};
    return line.substr(line[nameEnd] == '\0' ? nameEnd : nameEnd + 1);
}

// Hands out the lines of a buffer without their line ends (LF, CR LF or a lone CR). The next
// CR is looked up once and remembered, so files without lone CRs cost one search per line.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes) : bytes_(bytes) { FindCr(0); }

    bool Next(std::string_view& line) {
        if (at_ >= bytes_.size()) return false;
        const char* begin = bytes_.data() + at_;
        const std::size_t left = bytes_.size() - at_;
        const void* lf = std::memchr(begin, '\n', left);
        std::size_t end = lf ? at_ + static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : bytes_.size();
        std::size_t next = lf ? end + 1 : end;
        if (cr_ < end) {
            next = (cr_ + 1 == end && lf) ? end + 1 : cr_ + 1;  // CR LF, or a lone CR
            end = cr_;
            FindCr(cr_ + 1);
        }
        line = bytes_.substr(at_, end - at_);
        at_ = next;
        return true;
    }

private:
    void FindCr(std::size_t from) {
        const void* cr = from < bytes_.size() ? std::memchr(bytes_.data() + from, '\r', bytes_.size() - from) : nullptr;
        cr_ = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - bytes_.data()) : bytes_.size();
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::size_t cr_ = 0;  // position of the next CR at or after at_, or the end
};

// "<Name args>": the name runs to the first blank; the arguments end before the last '>'.
ItemView SectionFromOpeningLine(std::string_view line) {
    std::string_view body = line.substr(1);
    ItemView section;
    section.hasValue = true;
    section.image = kSectionImage;
    section.selectedImage = kSectionSelectedImage;
    section.sectionMark = true;
    const std::size_t nameEnd = NameEnd(body);
    if (nameEnd == body.size()) {
        if (!body.empty() && body.back() == '>') body.remove_suffix(1);
        section.text = body;
        return section;
    }
    section.text = body.substr(0, nameEnd);
    const std::string_view arguments = AfterName(body, nameEnd);
    const auto closing = arguments.rfind('>');
    section.value = closing == std::string_view::npos ? arguments : arguments.substr(0, closing);
    return section;
}

ItemView DirectiveFromLine(std::string_view line) {
    ItemView directive;
    directive.hasValue = true;
    directive.image = kDirectiveImage;
    directive.selectedImage = kDirectiveImage;
    const std::size_t nameEnd = NameEnd(line);
    directive.text = line.substr(0, nameEnd);
    directive.value = AfterName(line, nameEnd);
    return directive;
}

// The top-level file item that would be saved to `path`, if any.
ItemHandle FindFileSavedTo(const ConfigDocument& document, std::string_view path) {
    const ConfigTree& tree = document.tree;
    for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file))
        if (SamePath(FileItemTarget(document, file), path)) return file;
    return kNoItem;
}

// New File's items have no directory of their own; the others were read from theirs.
bool IsNewFile(const ConfigTree& tree, ItemHandle file) {
    const ItemView item = tree.GetItem(file);
    return !item.hasValue || item.value.empty();
}

ItemHandle InsertFileItem(ConfigTree& tree, std::string_view directory, std::string_view itemText) {
    ItemView file;
    file.text = itemText;
    file.value = directory;
    file.hasValue = true;
    file.image = kFileImage;
    file.selectedImage = kFileSelectedImage;
    file.sectionMark = true;
    return tree.InsertItem(kNoItem, InsertPosition::Last(), file);
}

}  // namespace

std::string_view CleanLine(std::string_view line) {
    if (line.size() <= 1) return line;
    for (int i = 0; i < 2 && !line.empty() && IsLineEnd(line.back()); ++i) line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    return line;
}

void CleanLine(std::string& line) {
    const std::string_view cleaned = CleanLine(std::string_view(line));
    line = std::string(cleaned);
}

void ParseConfigText(ConfigTree& tree, std::string_view bytes, ItemHandle fileItem) {
    ItemHandle parent = fileItem;
    LineCursor lines(bytes);
    std::string joined;  // a value continued over several lines
    std::string_view raw;
    while (lines.Next(raw)) {
        const std::string_view line = CleanLine(raw);
        if (line.empty() || line[0] == '#' || IsBlank(line[0]) || IsLineEnd(line[0])) continue;
        if (line[0] == '<') {
            if (line.size() > 1 && line[1] == '/') {
                if (parent != fileItem) parent = tree.Parent(parent);
                continue;
            }
            const ItemHandle section = tree.InsertItem(parent, InsertPosition::Last(), SectionFromOpeningLine(line));
            if (section != kNoItem) parent = section;
            continue;
        }
        ItemView directive = DirectiveFromLine(line);
        if (!directive.value.empty() && directive.value.back() == '\\') {
            joined.assign(directive.value.substr(0, directive.value.size() - 1));
            // Blanks at the end of the joined line mean nothing, as at the end of any line.
            auto dropTrailingBlanks = [&joined] {
                while (!joined.empty() && IsBlank(joined.back())) joined.pop_back();
            };
            while (lines.Next(raw)) {
                joined += CleanLine(raw);
                dropTrailingBlanks();
                if (joined.empty() || joined.back() != '\\') break;
                joined.pop_back();
            }
            dropTrailingBlanks();
            directive.value = joined;
        }
        tree.InsertItem(parent, InsertPosition::Last(), directive);
    }
}

bool ParseConfigLines(ConfigTree& tree, const FileStore& files, const std::string& path, ItemHandle fileItem) {
    const std::optional<std::string> bytes = files.ReadFileBytes(path);
    if (!bytes) return false;
    ParseConfigText(tree, *bytes, fileItem);
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
        return {fileItem, ParseConfigLines(tree, document.files, path, fileItem)};
    }

    ItemHandle open = FindFileSavedTo(document, path);
    if (open != kNoItem && !IsNewFile(tree, open)) {
        tree.SelectItem(open);
        return {open, true};
    }
    if (open != kNoItem && tree.FirstChild(open) != kNoItem) open = kNoItem;  // a New File with content
    // Read first: a file that cannot be read gets no item, so nothing can write over it.
    const std::optional<std::string> bytes = document.files.ReadFileBytes(path);
    if (!bytes) return {kNoItem, false};
    ItemHandle fileItem = open;
    if (fileItem != kNoItem) {
        tree.SetItemValue(fileItem, directory);  // the new file is now the file read into it
        tree.SelectItem(fileItem);
    } else {
        fileItem = InsertFileItem(tree, directory, itemText);
        if (fileItem == kNoItem) return {};
    }
    ParseConfigText(tree, *bytes, fileItem);
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
