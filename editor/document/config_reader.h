#pragma once
// Reading Apache configuration files into the tree.
//
// A line ends at LF, CR LF or a lone CR and may be of any length. After cleaning, a line is
// skipped when it is empty or starts with '#'; "</..." closes the current section; "<..."
// opens a section; anything else is a directive: its name runs to the first space or tab,
// its value is everything after that one character. A value ending in a backslash continues
// on the next line, joined without the backslash.

#include "config_document.h"
#include "config_lines.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Cleans a line in place: see the view form in config_lines.h.
void CleanLine(std::string& line);

// Reads the lines of `bytes` under `fileItem`, nesting sections as the file nests them. Each
// item remembers where it stood in `bytes` (ItemSource), so `bytes` must outlive the items.
void ParseConfigText(ConfigTree& tree, const std::string& bytes, ItemHandle fileItem);
void ParseConfigText(ConfigTree& tree, std::string&& bytes, ItemHandle fileItem) = delete;

// Reads the file at `path` under `fileItem`, keeping its bytes in the document. Returns
// false, adding nothing and saying nothing, when the file cannot be read.
bool ParseConfigLines(ConfigDocument& document, const std::string& path, ItemHandle fileItem);

// What to do when the file to read seems to be in the tree already.
enum class ExistingItem {
    // Open: a top-level file item that would be saved to the same path (as Windows compares
    // paths) is that file: one read from there is selected and not read again; an empty one
    // made by New File gets the file read into it. A New File item with content of its own is
    // not mixed with the file, which gets an item of its own (a save then refuses to write
    // either over the other). A file that cannot be read gets no item.
    SelectSameFile,
    // Quick Config: the lines go under the first item of the tree named like the item text;
    // a file that cannot be read leaves a new file item empty, without a message.
    ReadIntoNamedItem,
};

// What reading one file gave: its file item (kNoItem when none was made) and whether the
// file could be read.
struct FileReadOutcome {
    ItemHandle item = kNoItem;
    bool read = false;
};

// Reads `fileName` from `directory` into the file item named `itemText` (a new one at the end
// of the top level, holding a copy of the directory, unless `rule` finds one).
FileReadOutcome ReadConfigFile(ConfigDocument& document, std::string_view directory, std::string_view fileName,
                               std::string_view itemText, ExistingItem rule = ExistingItem::SelectSameFile);

// What the common open dialog chose: one directory and the names in the dialog's order.
struct OpenSelection {
    std::string directory;  // ends in one backslash
    std::vector<std::string> names;
};

// Decodes the open dialog's file-name buffer: either one full path (the character before
// `fileOffset` is not NUL), or a directory, NUL, and NUL-separated names ended by an empty
// name. Returns nothing when the buffer does not hold a usable selection.
std::optional<OpenSelection> DecodeOpenSelection(std::string_view buffer, std::size_t fileOffset);

// Makes the selection's directory the configuration directory and reads each chosen file.
// Returns the paths of the files that could not be read, in order; none of them gets an item,
// so a file that was never read is never written over. Reading files into a tree without
// unsaved changes leaves it without any.
std::vector<std::string> OpenConfigFiles(ConfigDocument& document, const OpenSelection& selection);

// The message that tells the user which files could not be read.
std::string UnreadFilesMessage(const std::vector<std::string>& paths);

}  // namespace tarnwick
