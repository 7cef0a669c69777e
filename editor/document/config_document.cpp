#include "config_document.h"

#include "own_comments.h"
#include "tree_walk.h"

namespace tarnwick {

namespace {

char PathChar(char c) { return c == '/' ? '\\' : LowerAscii(c); }

}  // namespace

namespace {

// Two 64-bit hashes of everything a file item's items say, in file order.
struct Fingerprint {
    std::uint64_t fnv = 0xcbf29ce484222325u;
    std::uint64_t mix = 0x9e3779b97f4a7c15u;
    void Add(std::string_view bytes) {
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            fnv = (fnv ^ byte) * 0x100000001b3u;
            mix = (mix + byte + 1) * 0xff51afd7ed558ccdu;
            mix ^= mix >> 29;
        }
    }
};

Fingerprint ItemsFingerprint(const ConfigTree& tree, ItemHandle fileItem) {
    Fingerprint print;
    WalkInFileOrder(
        tree, fileItem,
        [&](ItemHandle item, bool hasChildren) {
            const ItemView view = tree.GetItem(item);
            const bool section = view.sectionMark || hasChildren;
            print.Add(section ? std::string_view("<", 1) : std::string_view("=", 1));
            print.Add(view.text);
            print.Add(std::string_view("\0", 1));
            print.Add(view.hasValue ? view.value : std::string_view("\1", 1));
            print.Add(std::string_view("\n", 1));
            return section;
        },
        [&](ItemHandle) { print.Add(">"); });
    return print;
}

}  // namespace

const FileBaseline* BaselineOf(const ConfigDocument& document, ItemHandle fileItem) {
    const auto found = document.baselines.find(SameFileKey(document.files, FileItemTarget(document, fileItem)));
    return found == document.baselines.end() ? nullptr : &found->second;
}

LineEnds LineEndsOf(std::string_view bytes) {
    LineEnds ends;
    for (std::size_t at = bytes.find_first_of("\r\n"); at != std::string_view::npos; at = bytes.find_first_of("\r\n", at + 1)) {
        if (bytes[at] == '\r') {
            ends.withCr = true;
            if (at + 1 < bytes.size() && bytes[at + 1] == '\n') ++at;
            else ends.withoutCr = true;
        } else {
            ends.withoutCr = true;
        }
        if (ends.withCr && ends.withoutCr) break;
    }
    return ends;
}

void NoteFileBaseline(ConfigDocument& document, ItemHandle fileItem, LineEnds lineEnds) {
    const std::string target = FileItemTarget(document, fileItem);
    FileBaseline baseline;
    const Fingerprint print = ItemsFingerprint(document.tree, fileItem);
    baseline.items[0] = print.fnv;
    baseline.items[1] = print.mix;
    baseline.lineEnds = lineEnds;
    baseline.stamp = document.files.StampOf(target);
    document.baselines[SameFileKey(document.files, target)] = baseline;
}

bool FileItemChanged(const ConfigDocument& document, ItemHandle fileItem) {
    const FileBaseline* baseline = BaselineOf(document, fileItem);
    if (!baseline) return true;
    const Fingerprint print = ItemsFingerprint(document.tree, fileItem);
    if (print.fnv != baseline->items[0] || print.mix != baseline->items[1]) return true;
    return document.crLfMode ? baseline->lineEnds.withoutCr : baseline->lineEnds.withCr;
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
    ReleaseItemValues(document.tree, item);
    document.tree.ReleaseItemValue(item);
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
