#pragma once
// The file store for native tools: Windows paths are mapped to POSIX ones by turning every
// backslash into a slash (a drive prefix is not mapped: tools pass rooted POSIX paths).

#include "../file_store.h"

namespace tarnwick {

class PosixFileStore final : public FileStore {
public:
    std::optional<std::string> ReadFileBytes(const std::string& path) const override;
    // A temporary file beside the target, renamed over it on Commit. Durability across power
    // loss is not sought here (no fsync): this binding serves tools.
    std::unique_ptr<FileReplacement> BeginReplacement(const std::string& path) override;
    PathKind KindOf(const std::string& path) const override;
    std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory) const override;
    std::string FullPath(const std::string& path) const override;
    std::optional<FileIdentity> IdentityOf(const std::string& path) const override;
    std::optional<FileStamp> StampOf(const std::string& path) const override;

    static std::string ToPosixPath(std::string_view windowsPath);
    static std::string ToWindowsPath(std::string_view posixPath);
};

}  // namespace tarnwick
