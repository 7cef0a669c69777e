#include "posix_file_store.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick {

namespace {

// Closes the descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() { if (fd >= 0) ::close(fd); }
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string PosixFileStore::ToPosixPath(std::string_view windowsPath) {
    std::string path(windowsPath);
    for (char& c : path) if (c == '\\') c = '/';
    return path;
}

std::string PosixFileStore::ToWindowsPath(std::string_view posixPath) {
    std::string path(posixPath);
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

std::optional<std::string> PosixFileStore::ReadFileBytes(const std::string& path) const {
    Descriptor file{::open(ToPosixPath(path).c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
    // Read straight into the string; the size is only a hint, the file may grow or shrink.
    std::string bytes(S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : 64 * 1024, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(file.fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    return bytes;
}

namespace {

class PosixReplacement final : public FileReplacement {
public:
    PosixReplacement(std::string target, std::string temp, int fd)
        : target_(std::move(target)), temp_(std::move(temp)), file_{fd} {}
    ~PosixReplacement() override {
        if (!committed_) ::unlink(temp_.c_str());
    }
    bool Write(std::string_view bytes) override { return ok_ = ok_ && WriteAll(file_.fd, bytes); }
    bool Commit() override {
        const bool closed = ::close(file_.fd) == 0;
        file_.fd = -1;
        committed_ = ok_ && closed && ::rename(temp_.c_str(), target_.c_str()) == 0;
        return committed_;
    }

private:
    std::string target_;
    std::string temp_;
    Descriptor file_;
    bool ok_ = true;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<FileReplacement> PosixFileStore::BeginReplacement(const std::string& path) {
    std::string target = ToPosixPath(path);
    // Through a link, the file it leads to is replaced; the link stays a link.
    if (char resolved[PATH_MAX]; ::realpath(target.c_str(), resolved)) target = resolved;
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && (S_ISDIR(info.st_mode) || ::access(target.c_str(), W_OK) != 0)) return nullptr;
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return nullptr;
    auto replacement = std::make_unique<PosixReplacement>(std::move(target), temp, fd);
    // The replacement keeps the target's permissions; a new file gets the usual ones.
    mode_t mode = 0666;
    if (exists) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(fd, mode) != 0) return nullptr;
    return replacement;
}

PathKind PosixFileStore::KindOf(const std::string& path) const {
    struct stat info {};
    if (::stat(ToPosixPath(path).c_str(), &info) != 0) return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::File;
}

std::string PosixFileStore::FullPath(const std::string& path) const {
    // Rooted POSIX paths have no drive: the cleaned path starts at the separator.
    return CleanWindowsPath(path, true);
}

// Asked about, a path is taken as Windows takes it: "a.conf." is "a.conf".
std::optional<FileIdentity> PosixFileStore::IdentityOf(const std::string& path) const {
    struct stat info {};
    if (::stat(ToPosixPath(FullPath(path)).c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<FileStamp> PosixFileStore::StampOf(const std::string& path) const {
    struct stat info {};
    if (::stat(ToPosixPath(FullPath(path)).c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
    const auto nanoseconds = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                             static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
    return FileStamp{nanoseconds, static_cast<std::uint64_t>(info.st_size)};
}

std::optional<std::vector<DirectoryEntry>> PosixFileStore::ListDirectory(const std::string& directory) const {
    std::string path = ToPosixPath(directory);
    DIR* listing = ::opendir(path.c_str());
    if (!listing) return std::nullopt;
    if (path.empty() || path.back() != '/') path += '/';
    std::vector<DirectoryEntry> entries;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        entries.push_back({name, KindOf(path + name) == PathKind::Directory});
    }
    ::closedir(listing);
    return entries;
}

}  // namespace tarnwick
