#pragma once
// Where the writers put what they write. Lines are collected in `text`; with a file to write
// to, they are handed on whenever they pass kFlushBytes, so a save never holds a second copy
// of the whole configuration.

#include "file_store.h"

#include <cstddef>
#include <string>

namespace tarnwick {

inline constexpr std::size_t kFlushBytes = 256 * 1024;

struct WriterOutput {
    std::string& text;
    FileReplacement* file = nullptr;
    bool written = true;

    void HandOnIfFull() {
        if (!file || text.size() < kFlushBytes) return;
        written = file->Write(text) && written;
        text.clear();
    }
};

}  // namespace tarnwick
