#pragma once
// The file store of the Windows program, on the ANSI file functions.

#include "../file_store.h"

namespace tarnwick {

class Win32FileStore final : public FileStore {
public:
    std::optional<std::string> ReadFileBytes(const std::string& path) const override;
    // A temporary file in the target's directory, flushed and moved over the target with
    // MoveFileExA on Commit; a read-only target is refused, not overwritten. Through a symbolic
    // link or junction the file it leads to is the target, and the link stays.
    std::unique_ptr<FileReplacement> BeginReplacement(const std::string& path) override;
    PathKind KindOf(const std::string& path) const override;
    std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory) const override;
    // GetFullPathNameA.
    std::string FullPath(const std::string& path) const override;
    // The volume serial number and file index from GetFileInformationByHandle.
    std::optional<FileIdentity> IdentityOf(const std::string& path) const override;
    std::optional<FileStamp> StampOf(const std::string& path) const override;
};

}  // namespace tarnwick
