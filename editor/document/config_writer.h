#pragma once
// Writing the tree back as configuration files: one file per file item, sections as blocks of
// an opening line, their children and a closing line, nothing indented, every line ended as
// the document's CR/LF mode says.

#include "config_document.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Where a file item is saved: its own directory, or the configuration directory when it has
// none; then a backslash unless that directory ends in one; then the item's text.
std::string FileItemTarget(const ConfigDocument& document, ItemHandle fileItem);

// Appends the lines of the section block of `section` (opening line, children, closing line).
void WriteSection(std::string& out, const ConfigTree& tree, ItemHandle section, bool crLf);

// Appends the lines of every child of `fileItem`: what the file holds.
void WriteFileItemText(std::string& out, const ConfigTree& tree, ItemHandle fileItem, bool crLf);

// Writes one file item to `path` as a whole; false when the file could not be written, in
// which case the file on disk is left as it was.
bool WriteConfigFile(ConfigDocument& document, ItemHandle fileItem, const std::string& path);

// Writes every file item to its target, in tree order. A file that cannot be written does not
// stop the others; the targets that failed are returned, in order.
std::vector<std::string> SaveAllFiles(ConfigDocument& document);

// Save As: the chosen path's directory (up to and including its last backslash) becomes the
// configuration directory, then everything is saved. The chosen file name is not used.
std::vector<std::string> SaveFilesAs(ConfigDocument& document, std::string_view chosenPath);

}  // namespace tarnwick
