#include "config_document.h"

#include "config_reader.h"
#include "memory_tree.h"
#include "own_comments.h"
#include "tree_walk.h"


namespace tarnwick {

namespace {

char PathChar(char c) { return c == '/' ? '\\' : LowerAscii(c); }

}  // namespace

namespace {

ItemsPrint ItemsFingerprint(const ConfigTree& tree, ItemHandle fileItem) {
    ItemsPrint print;
    WalkInFileOrder(
        tree, fileItem,
        [&](ItemHandle item, bool hasChildren) {
            const ItemView view = tree.GetItem(item);
            const bool section = view.sectionMark || hasChildren;
            print.Enter(section, view.text, view.hasValue, view.value);
            return section;
        },
        [&](ItemHandle) { print.Leave(); });
    return print;
}

}  // namespace

bool InAnsiCodePage(const ConfigDocument& document, ItemHandle fileItem) {
    const ItemView file = document.tree.GetItemContent(fileItem);
    return file.source && document.sources.FromAnsi(file.source->file);
}

std::optional<std::string> FileBytesOf(const ConfigDocument& document, ItemHandle fileItem, std::string text) {
    return EncodeFileText(document.ansiCodePage, InAnsiCodePage(document, fileItem), std::move(text));
}

std::string ValueNotInCodePage(const ConfigDocument& document, ItemHandle item, std::string_view value) {
    ItemHandle fileItem = item;
    while (document.tree.Parent(fileItem) != kNoItem) fileItem = document.tree.Parent(fileItem);
    if (!document.ansiCodePage || !InAnsiCodePage(document, fileItem)) return {};
    const std::string missing = FirstCharacterNotIn(*document.ansiCodePage, value);
    if (missing.empty()) return {};
    return std::string(document.tree.GetItemContent(fileItem).text) + " is not a UTF-8 file: it is kept in code page " +
           std::to_string(document.ansiCodePage->Number()) + ", which has no \"" + missing +
           "\". The value was not stored; write the character another way, or save the file as UTF-8 first.";
}

const FileBaseline* BaselineOf(const ConfigDocument& document, ItemHandle fileItem) {
    const auto found = document.baselines.find(BaselineKey(document, FileItemTarget(document, fileItem)));
    return found == document.baselines.end() ? nullptr : &found->second;
}

LineEnds LineEndsOf(std::string_view bytes) {
    LineEnds ends;
    // One search per line end found, not one per byte: this runs over every file read.
    const auto next = [&bytes](char c, std::size_t from) {
        const void* found = from < bytes.size() ? std::memchr(bytes.data() + from, c, bytes.size() - from) : nullptr;
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data()) : std::string_view::npos;
    };
    for (std::size_t lf = next('\n', 0); lf != std::string_view::npos && !ends.withoutCr; lf = next('\n', lf + 1))
        if (lf == 0 || bytes[lf - 1] != '\r') ends.withoutCr = true;
    for (std::size_t cr = next('\r', 0); cr != std::string_view::npos; cr = next('\r', cr + 1)) {
        ends.withCr = true;
        if (cr + 1 == bytes.size() || bytes[cr + 1] != '\n') {
            ends.withoutCr = true;  // a lone CR
            break;
        }
        if (ends.withoutCr) break;
    }
    return ends;
}

void NoteFileBaseline(ConfigDocument& document, ItemHandle fileItem, LineEnds lineEnds) {
    const std::string target = FileItemTarget(document, fileItem);
    FileBaseline baseline;
    baseline.lineEnds = lineEnds;
    baseline.stamp = document.files.StampOf(target);
    baseline.identity = document.files.IdentityOf(target);
    baseline.crLfMode = document.crLfMode;
    baseline.writtenPath = target;
    baseline.asOfRevision = document.tree.Revision();
    baseline.inAnsiCodePage = InAnsiCodePage(document, fileItem);
    document.baselines[BaselineKey(document, target)] = std::move(baseline);
}

std::string BaselineKey(const ConfigDocument& document, const std::string& target) {
    return PathKey(document.files.FullPath(target));
}

bool ChangedOnDisk(const FileStore& files, const FileBaseline& baseline, const std::string& path) {
    return !baseline.stamp || files.StampOf(path) != baseline.stamp || files.IdentityOf(path) != baseline.identity;
}

namespace {

ItemsPrint PrintOfBytes(const std::string& bytes) {
    MemoryTree scratch;
    const ItemHandle file = scratch.InsertItem(kNoItem, InsertPosition::Last(), FileItemView("scratch"));
    ParseConfigText(scratch, bytes, file);
    return ItemsFingerprint(scratch, file);
}

// The fingerprint of what the file held, taken now; none when nothing tells it any more (the
// file written was changed by another program since).
const std::optional<ItemsPrint>& TakeFingerprint(const ConfigDocument& document, FileBaseline& baseline) {
    const FileStore& files = document.files;
    if (baseline.items) return baseline.items;
    if (baseline.readBytes) {
        baseline.items = PrintOfBytes(*baseline.readBytes);
    } else if (!ChangedOnDisk(files, baseline, baseline.writtenPath)) {
        if (auto bytes = files.ReadFileBytes(baseline.writtenPath)) {
            if (baseline.inAnsiCodePage && document.ansiCodePage) bytes = document.ansiCodePage->ToUtf8(*bytes);
            if (bytes) baseline.items = PrintOfBytes(*bytes);
        }
    }
    return baseline.items;
}

}  // namespace

void NoteReadBaseline(ConfigDocument& document, ItemHandle fileItem, const std::string& bytes, std::uint64_t revisionBefore) {
    // Files read or written just before, with nothing but this read since, still hold what
    // the tree holds for them.
    const std::uint64_t revisionAfter = document.tree.Revision();
    for (auto& [key, other] : document.baselines)
        if (other.asOfRevision == revisionBefore) other.asOfRevision = revisionAfter;
    const std::string target = FileItemTarget(document, fileItem);
    FileBaseline baseline;
    // Its line ends are looked for only once the mode is switched (FileItemChanged).
    baseline.stamp = document.files.StampOf(target);
    baseline.identity = document.files.IdentityOf(target);
    baseline.crLfMode = document.crLfMode;
    baseline.readBytes = &bytes;
    baseline.asOfRevision = revisionAfter;
    document.baselines[BaselineKey(document, target)] = std::move(baseline);
}

bool FileItemChanged(const ConfigDocument& document, ItemHandle fileItem) {
    const auto found = document.baselines.find(BaselineKey(document, FileItemTarget(document, fileItem)));
    if (found == document.baselines.end()) return true;
    FileBaseline& baseline = found->second;
    // Line ends count only once the user switched the mode since: saving then converts them.
    const bool switched = document.crLfMode != baseline.crLfMode;
    if (switched && baseline.readBytes) baseline.lineEnds = LineEndsOf(*baseline.readBytes);
    const bool lineEndsChange = switched && (document.crLfMode ? baseline.lineEnds.withoutCr : baseline.lineEnds.withCr);
    if (document.tree.Revision() == baseline.asOfRevision) return lineEndsChange;
    const std::optional<ItemsPrint>& then = TakeFingerprint(document, baseline);
    if (!then || !(ItemsFingerprint(document.tree, fileItem) == *then)) return true;
    return lineEndsChange;
}

bool HasUnsavedChanges(const ConfigDocument& document) {
    if (document.tree.Revision() == document.savedRevision && document.crLfMode == document.savedCrLfMode) return false;
    for (ItemHandle file = document.tree.FirstFileItem(); file != kNoItem; file = document.tree.NextSibling(file))
        if (FileItemChanged(document, file)) return true;
    return false;
}

void MarkSaved(ConfigDocument& document) {
    document.savedRevision = document.tree.Revision();
    document.savedCrLfMode = document.crLfMode;
}

void DeleteConfigItem(ConfigDocument& document, ItemHandle item) {
    if (item == kNoItem) return;
    LeaveOtherLinesBehind(document.tree, document.sources, item);
    // The tree releases the value strings with the items: releasing them one by one first
    // would cost a redraw of the row each, seconds for a file of many thousand items.
    document.tree.DeleteItem(item);
    document.currentItem = document.tree.SelectedItem();
}

void AppendBackslash(std::string& directory) {
    if (directory.empty() || directory.back() != '\\') directory += '\\';
}

std::string FileItemTarget(const ConfigDocument& document, ItemHandle fileItem) {
    const ItemView item = document.tree.GetItem(fileItem);
    std::string target = (item.hasValue && !item.value.empty()) ? std::string(item.value) : document.configDirectory;
    AppendBackslash(target);
    target += item.text;
    return target;
}

std::string PathKey(std::string_view path) {
    std::string key;
    key.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = PathChar(path[i]);
        // "C:\conf\\httpd.conf" names the same file; a leading "\\" (a network path) stays.
        if (c == '\\' && i > 1 && key.back() == '\\') continue;
        key += c;
    }
    return key;
}

bool SamePath(std::string_view a, std::string_view b) { return PathKey(a) == PathKey(b); }

}  // namespace tarnwick
