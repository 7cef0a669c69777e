#pragma once
// The file store for native tools: Windows paths are mapped to POSIX ones by turning every
// backslash into a slash (a drive prefix is not mapped: tools pass rooted POSIX paths).

#include "../file_store.h"

namespace tarnwick {

class PosixFileStore final : public FileStore {
public:
    std::optional<std::string> ReadFileBytes(const std::string& path) const override;
    // Durability across power loss is not sought here (no fsync): this binding serves tools.
    bool ReplaceFileBytes(const std::string& path, std::string_view bytes) override;

    static std::string ToPosixPath(std::string_view windowsPath);
    static std::string ToWindowsPath(std::string_view posixPath);
};

}  // namespace tarnwick
