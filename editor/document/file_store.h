#pragma once
// How the document reaches files. Paths are Windows paths ("C:\conf\httpd.conf"); a binding
// for another platform maps them. Bytes pass unchanged in both directions: line ends are the
// core's business, so reading behaves the same on every platform.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What a path names.
enum class PathKind { Missing, File, Directory };

// One name in a directory.
struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
    bool operator==(const DirectoryEntry&) const = default;
};

// A file being written beside its target. Nothing reaches the target until Commit, which
// replaces it whole; a replacement dropped without Commit leaves the target as it was.
class FileReplacement {
public:
    virtual ~FileReplacement() = default;
    virtual bool Write(std::string_view bytes) = 0;
    virtual bool Commit() = 0;
};

class FileStore {
public:
    virtual ~FileStore() = default;
    // The whole file, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> ReadFileBytes(const std::string& path) const = 0;
    // Starts replacing the file at `path`; nothing when it cannot be written there (a missing
    // or unwritable directory, a read-only target, a directory of that name).
    virtual std::unique_ptr<FileReplacement> BeginReplacement(const std::string& path) = 0;
    // What `path` names now; a trailing backslash is allowed.
    virtual PathKind KindOf(const std::string& path) const = 0;
    // The names in a directory, "." and ".." left out, in no particular order; nothing when
    // it cannot be listed (it is missing, or no directory).
    virtual std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory) const = 0;

    // Replaces the file with `bytes` as a whole: the target is either its old self or the new
    // bytes, never a torn mixture. False, with the target unchanged, on any failure.
    bool ReplaceFileBytes(const std::string& path, std::string_view bytes);
};

// The directory part of a Windows path: everything up to and including its last backslash
// (or slash), or "" when there is none.
std::string DirectoryOf(std::string_view path);

}  // namespace tarnwick
