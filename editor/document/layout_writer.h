#pragma once
// Writing a file item back with its comments and layout. An item that still says what it
// said when it was read (the same name, value and kind as its kept text gives) is written as
// it stood, with the comment and blank lines above it; anything else is written as a plain
// line, with the indentation its own line had, or (for a new item) the indentation of the
// sibling before it, or its parent's and four blanks more. An item moved to another depth is
// indented anew. Every line end written follows the CR/LF mode.

#include "config_tree.h"
#include "writer_output.h"

namespace tarnwick {

void WriteKeptLayout(WriterOutput& output, const ConfigTree& tree, ItemHandle fileItem, bool crLf);

}  // namespace tarnwick
