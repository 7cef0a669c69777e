#pragma once
// Editing as a user does, driven by bytes: the editing fuzzer and its native test share it.
// Edits go through the document's own operations (Update, New Item, Delete, drag moves,
// Move Up and Down, Cut, Copy and Paste);
// the check saves with the layout kept and reads the output back.

#include "config_document.h"

#include <string>
#include <string_view>

namespace tarnwick::testing {

// Applies the edits `script` calls for to the items below `file`, until the bytes run out.
void ApplyRandomEdits(ConfigDocument& document, ItemHandle file, std::string_view script);

// Writes the file item with its layout kept (LF line ends) and checks what Apache and the
// reader make of it. Returns what is wrong, or "" when the output reads back into the tree as
// edited (names, values, nesting) and, where `apacheAgrees`, Apache's joining of lines finds
// the same directives and sections in the same order as the reader does.
std::string CheckWrittenFile(ConfigDocument& document, ItemHandle file, bool apacheAgrees);

// Whether Apache, joining every line that ends in a backslash (comment lines included), finds
// the directives and sections of `text` that the reader finds, in the same order.
bool ApacheReadsAsTheReaderDoes(const std::string& text);

}  // namespace tarnwick::testing
