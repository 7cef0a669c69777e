#pragma once
// The file store of the Windows program, on the ANSI file functions.

#include "../file_store.h"

namespace tarnwick {

class Win32FileStore final : public FileStore {
public:
    std::optional<std::string> ReadFileBytes(const std::string& path) const override;
    // Writes a temporary file in the target's directory, flushes it, and moves it over the
    // target with MoveFileExA; a read-only target is refused, not overwritten.
    bool ReplaceFileBytes(const std::string& path, std::string_view bytes) override;
};

}  // namespace tarnwick
