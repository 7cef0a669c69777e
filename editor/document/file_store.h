#pragma once
// How the document reaches files. Paths are Windows paths ("C:\conf\httpd.conf"); a binding
// for another platform maps them. Bytes pass unchanged in both directions: line ends are the
// core's business, so reading behaves the same on every platform.

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

class FileStore {
public:
    virtual ~FileStore() = default;
    // The whole file, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> ReadFileBytes(const std::string& path) const = 0;
    // Writes `bytes` completely beside the target and then replaces the target with it, so
    // the target is either its old self or the new bytes, never a torn mixture.
    // Returns false, leaving the target and its directory as they were, on any failure.
    virtual bool ReplaceFileBytes(const std::string& path, std::string_view bytes) = 0;
};

// The directory part of a Windows path: everything up to and including its last backslash
// (or slash), or "" when there is none.
std::string DirectoryOf(std::string_view path);

}  // namespace tarnwick
