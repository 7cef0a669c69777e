#pragma once
// The editor's document state that belongs with the tree: the tree itself, where files are
// read from and written to, the configuration directory and the line-end mode of saves.

#include "code_page.h"
#include "config_tree.h"
#include "file_store.h"
#include "items_print.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick {

// The bytes of every file read, kept whole for the items that point into them (ItemSource):
// an item read once can be written back as it stood, wherever it has been moved since.
class SourceFiles {
public:
    // `fromAnsi`: the text was decoded from the ANSI code page, and its file is written in it.
    const std::string& Keep(std::string bytes, bool fromAnsi = false) {
        files_.push_back(std::make_unique<const std::string>(std::move(bytes)));
        if (fromAnsi) fromAnsi_.insert(files_.back().get());
        return *files_.back();
    }
    bool FromAnsi(const std::string* kept) const { return kept && fromAnsi_.count(kept) != 0; }

private:
    std::vector<std::unique_ptr<const std::string>> files_;
    std::set<const std::string*> fromAnsi_;
};

// What Tarnwick last read from or wrote to one file: a fingerprint of the items the file item
// held then (names, values, kinds, nesting), the line ends the file's bytes had, and the
// file's stamp, which tells whether another program wrote it since.
struct LineEnds {
    bool withCr = false;     // some line end holds a CR
    bool withoutCr = false;  // some line end is an LF alone or a lone CR
};
LineEnds LineEndsOf(std::string_view bytes);

// The fingerprint is taken only when first needed, so that neither opening nor saving walks
// the tree a second time: until the tree changes it is not needed, and after that it comes
// from what the file holds (the bytes kept from reading it, or the file written, while its
// stamp says nobody else wrote it since).
struct FileBaseline {
    std::optional<ItemsPrint> items;  // none: not taken yet
    LineEnds lineEnds;
    std::optional<FileStamp> stamp;
    // An editor that saves by replacing a file gives it another identity, whatever its stamp.
    std::optional<FileIdentity> identity;
    // Whether the file was switched to other line ends since: the CR/LF mode then.
    bool crLfMode = true;
    const std::string* readBytes = nullptr;  // the bytes read, kept for the document's life
    std::string writtenPath;                 // else the file written
    std::uint64_t asOfRevision = 0;          // the tree's revision when it held what the file holds
    bool inAnsiCodePage = false;             // the written file is in the ANSI code page, not UTF-8
};

struct ConfigDocument {
    ConfigDocument(ConfigTree& tree, FileStore& files, std::string configDirectory)
        : tree(tree), files(files), configDirectory(std::move(configDirectory)) {}

    ConfigTree& tree;
    FileStore& files;
    // Where files are opened and saved; after an Open or Save As it ends in a backslash.
    std::string configDirectory;
    // On: every saved line ends in CR LF; off: in LF. On at start-up, never stored.
    bool crLfMode = true;
    // The item last selected in the tree; Delete, New Item and the panes act on it.
    ItemHandle currentItem = kNoItem;
    // The tree's revision when it last held nothing the files on disk lack: after a save
    // that wrote every file, or an Open into such a tree.
    std::uint64_t savedRevision = tree.Revision();
    // On: an item that still says what it said when read is written as it stood, with its
    // comment lines and layout; off: every item as a plain line, nothing else kept.
    bool keepLayout = true;
    SourceFiles sources{};
    // The CR/LF mode when the tree last held nothing the files lack.
    bool savedCrLfMode = true;
    // By the file each is for (SameFileKey of its target). Mutable: a baseline gets its
    // fingerprint when first asked.
    mutable std::map<std::string, FileBaseline> baselines{};
    // The system's ANSI code page, which files that are not UTF-8 are read and written in;
    // none: such files are shown and kept as read.
    const AnsiCodePage* ansiCodePage = nullptr;
};

// Whether the file item's file was read from the ANSI code page and is written back in it.
bool InAnsiCodePage(const ConfigDocument& document, ItemHandle fileItem);
// The file item's file text as it is to be written: in the ANSI code page for a file read in
// it; none when a character has no form there.
std::optional<std::string> FileBytesOf(const ConfigDocument& document, ItemHandle fileItem, std::string text);
// Why `value` cannot be stored in `item`: the file it belongs to is written in the ANSI code
// page, which has no form for one of its characters. Empty when it can be stored.
std::string ValueNotInCodePage(const ConfigDocument& document, ItemHandle item, std::string_view value);

// Notes what the file item now holds as what its file holds, after writing it.
void NoteFileBaseline(ConfigDocument& document, ItemHandle fileItem, LineEnds lineEnds);
// The same after reading `bytes` (kept for the document's life) into it and nothing else.
void NoteReadBaseline(ConfigDocument& document, ItemHandle fileItem, const std::string& bytes, std::uint64_t revisionBefore);
// Baselines are kept by the path a file item is saved to, as Windows resolves it: a file that
// another program replaces is the same file to the user, though its identity is another.
std::string BaselineKey(const ConfigDocument& document, const std::string& target);
// Whether the file at `path` was written by someone else since the baseline was noted.
bool ChangedOnDisk(const FileStore& files, const FileBaseline& baseline, const std::string& path);

// What Tarnwick last read from or wrote to the file the item is saved to; none when nothing.
const FileBaseline* BaselineOf(const ConfigDocument& document, ItemHandle fileItem);

// Whether saving would change the file item's file: its items differ from what Tarnwick last
// read from or wrote to that file, or the CR/LF mode would change the file's line ends, or
// Tarnwick never read or wrote that file at all.
bool FileItemChanged(const ConfigDocument& document, ItemHandle fileItem);

// Whether some file item holds what its file lacks: what closing would throw away.
bool HasUnsavedChanges(const ConfigDocument& document);
// Records that the tree now holds nothing the files on disk lack.
void MarkSaved(ConfigDocument& document);

// Deletes the item and everything below it, with their value strings; the current item
// becomes whatever the tree selects afterwards.
void DeleteConfigItem(ConfigDocument& document, ItemHandle item);

// Appends a backslash unless `directory` already ends in one.
void AppendBackslash(std::string& directory);

// Where a file item is saved: its own directory, or the configuration directory when it has
// none; then a backslash unless that directory ends in one; then the item's text.
std::string FileItemTarget(const ConfigDocument& document, ItemHandle fileItem);

// A path in the form in which Windows compares paths: letters in small case, "/" as "\", and
// a run of separators as one. Two paths name one file when their keys are equal.
std::string PathKey(std::string_view path);
bool SamePath(std::string_view a, std::string_view b);

}  // namespace tarnwick
