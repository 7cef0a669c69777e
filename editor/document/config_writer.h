#pragma once
// Writing the tree back as configuration files: one file per file item, every line ended as
// the document's CR/LF mode says. With the document's layout kept, items are written as they
// stood in their files (layout_writer.h); without, sections are blocks of an opening line,
// their children and a closing line, and nothing is indented.

#include "config_document.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Appends the lines of the section block of `section` (opening line, children, closing line).
void WriteSection(std::string& out, const ConfigTree& tree, ItemHandle section, bool crLf);

// Appends what the file of `fileItem` holds: with `keepLayout`, its items as they stood in the
// file wherever they still say the same (see layout_writer.h); without, every child as a plain
// line.
void WriteFileItemText(std::string& out, const ConfigTree& tree, ItemHandle fileItem, bool crLf, bool keepLayout = false);

// Writes one file item to `path` as a whole; false when the file could not be written, in
// which case the file on disk is left as it was.
bool WriteConfigFile(ConfigDocument& document, ItemHandle fileItem, const std::string& path);

// Why a file item was not saved.
enum class SaveProblem {
    CouldNotWrite,   // the file could not be written; it is unchanged on disk
    SharedTarget,    // another file item would be saved to the same file; neither was written
    KeptOtherVersion,  // another program changed the file, and the user kept its version
    NotInCodePage,   // the file is kept in the ANSI code page, which lacks a character of it
};

struct UnsavedFile {
    std::string path;      // where the item would have been saved
    std::string itemText;  // the file item's name in the tree
    SaveProblem problem = SaveProblem::CouldNotWrite;
    std::string sameFile{};  // equal for items that reach one file (SameFileKey)
};

// Asked before a file that another program changed since Tarnwick read or wrote it is
// written over: true replaces it with Tarnwick's version. Without one, it is kept.
using ReplaceQuestion = std::function<bool(const std::string& path)>;

// The question's text for `path`.
std::string ReplaceChangedFileQuestion(const std::string& path);

// Writes every file item that holds what its file lacks (FileItemChanged) to its target, in
// tree order; an unchanged one is not written, whatever its file holds now, and neither is
// one whose new bytes are what its file holds. Items that would be saved to one file
// (as the file system tells files apart: through links, "..", trailing dots and blanks) are
// not written at all, as either would destroy the
// other's content; a file that cannot be written does not stop the others. Returns the items
// not saved, in tree order; when every item was saved the tree counts as saved.
std::vector<UnsavedFile> SaveAllFiles(ConfigDocument& document, const ReplaceQuestion& askReplace = {});

// Save As: the chosen path's directory (up to and including its last backslash) becomes the
// configuration directory, then every file item is saved, changed or not. The chosen file name
// is not used.
std::vector<UnsavedFile> SaveFilesAs(ConfigDocument& document, std::string_view chosenPath,
                                     const ReplaceQuestion& askReplace = {});

// The message that tells the user which files were not saved and why.
std::string UnsavedFilesMessage(const std::vector<UnsavedFile>& unsaved);

}  // namespace tarnwick
