#pragma once
// The in-memory binding of the file store, with the failures a real disk can show. Paths
// compare without regard to case and separator, and resolve as on Windows (trailing dots and
// blanks of the last part dropped); links lead from one path to another, files or folders.

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
    std::string FullPath(const std::string& path) const override;
    std::optional<FileIdentity> IdentityOf(const std::string& path) const override;
    std::optional<FileStamp> StampOf(const std::string& path) const override;

    // A directory must exist before files can be written into it. Adding one adds every
    // directory above it.
    void AddDirectory(const std::string& directory);
    // Writes the file as another program would (its stamp changes).
    void AddFile(const std::string& path, std::string bytes);
    // Makes `link` lead to `target` (a file or a folder, there or not), as a symbolic link does.
    void AddLink(const std::string& link, const std::string& target);
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
    // The key of what the path reaches through links; nothing for a loop of links.
    std::optional<std::string> Resolve(std::string_view path) const;
    std::string Reached(std::string_view path) const { return Resolve(path).value_or(std::string()); }
    void Stamp(const std::string& key) { stamps_[key] = ++clock_; }

    std::map<std::string, std::string> files_;
    std::set<std::string> directories_;
    std::map<std::string, std::string> names_;  // key to the last part of the path as given
    std::map<std::string, std::string> links_;  // key of a link to the path it leads to
    std::map<std::string, std::uint64_t> stamps_;
    std::uint64_t clock_ = 0;
    std::set<std::string> unreadable_;
    std::set<std::string> readOnly_;
    int writes_ = 0;
};

}  // namespace tarnwick
