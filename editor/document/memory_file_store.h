#pragma once
// The in-memory binding of the file store, with the failures a real disk can show. Paths
// compare without regard to case and separator, as on Windows.

#include "file_store.h"

#include <map>
#include <set>

namespace tarnwick {

class MemoryFileStore final : public FileStore {
public:
    std::optional<std::string> ReadFileBytes(const std::string& path) const override;
    std::unique_ptr<FileReplacement> BeginReplacement(const std::string& path) override;
    PathKind KindOf(const std::string& path) const override;
    std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory) const override;

    // A directory must exist before files can be written into it. Adding one adds every
    // directory above it.
    void AddDirectory(const std::string& directory);
    void AddFile(const std::string& path, std::string bytes);
    void MakeUnreadable(const std::string& path);
    void MakeReadOnly(const std::string& path);
    // What made the file unreadable or read-only has gone.
    void ClearFailures(const std::string& path);
    bool Exists(const std::string& path) const;
    std::size_t FileCount() const { return files_.size(); }
    int WriteCount() const { return writes_; }

private:
    class Replacement;
    static std::string Key(std::string_view path);

    std::map<std::string, std::string> files_;
    std::set<std::string> directories_;
    std::map<std::string, std::string> names_;  // key to the last part of the path as given
    std::set<std::string> unreadable_;
    std::set<std::string> readOnly_;
    int writes_ = 0;
};

}  // namespace tarnwick
