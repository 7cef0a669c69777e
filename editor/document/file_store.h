#pragma once
// How the document reaches files. Paths are Windows paths ("C:\conf\httpd.conf"); a binding
// for another platform maps them. Bytes pass unchanged in both directions: line ends are the
// core's business, so reading behaves the same on every platform.

#include <compare>
#include <cstdint>
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

// Who a file or directory is, as the file system tells them apart whatever path reaches them
// (links, aliases, case, "." and ".."): its volume and its index on that volume.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// What tells that a file was written since it was last looked at.
struct FileStamp {
    std::uint64_t lastWrite = 0;
    std::uint64_t size = 0;
    bool operator==(const FileStamp&) const = default;
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
    // The path as Windows resolves it before it reaches a file system: "." and ".." taken,
    // "/" as "\", blanks and dots at the end of its last part dropped ("httpd.conf." and
    // "httpd.conf " are "httpd.conf"). Nothing on disk is asked.
    virtual std::string FullPath(const std::string& path) const = 0;
    // The identity of the file or directory the path reaches now, through any link; nothing
    // when there is none.
    virtual std::optional<FileIdentity> IdentityOf(const std::string& path) const = 0;
    // When the file the path reaches was last written, and its size; nothing when there is none.
    virtual std::optional<FileStamp> StampOf(const std::string& path) const = 0;

    // Replaces the file with `bytes` as a whole: the target is either its old self or the new
    // bytes, never a torn mixture. False, with the target unchanged, on any failure.
    bool ReplaceFileBytes(const std::string& path, std::string_view bytes);
};

// The part of a Windows path that names its drive or share: "C:", "\\\\server\\share", or nothing.
std::size_t WindowsRootLength(std::string_view path);

// "." and ".." resolved and separators made "\\", the root ("C:", "\\\\server\\share") kept as
// written; with `trimLastPart`, blanks and dots at the end of the last part dropped as well.
std::string CleanWindowsPath(std::string_view path, bool trimLastPart = false);

// A text that two paths share exactly when they reach the same file: the file's identity where
// it exists, else its full path in the form Windows compares paths.
std::string SameFileKey(const FileStore& files, const std::string& path);

// The directory part of a Windows path: everything up to and including its last backslash
// (or slash), or "" when there is none.
std::string DirectoryOf(std::string_view path);

}  // namespace tarnwick
