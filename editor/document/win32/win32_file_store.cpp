#include "win32_file_store.h"

#include <windows.h>

namespace tarnwick {

namespace {

// Closes the handle when it goes out of scope.
struct FileHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~FileHandle() { Close(); }
    bool Close() {
        const bool closed = handle == INVALID_HANDLE_VALUE || CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return closed;
    }
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Opens what the path reaches, file or directory, for asking about it only.
HANDLE OpenToAsk(const std::string& path) {
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The path of the file a path reaches through links (GetFinalPathNameByHandleA, without its
// "\\?\" prefix); the path itself where it reaches nothing yet.
std::string FinalPath(const std::string& path) {
    FileHandle file{OpenToAsk(path)};
    if (file.handle == INVALID_HANDLE_VALUE) return path;
    std::string final(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleA(file.handle, final.data(), static_cast<DWORD>(final.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return path;
        if (length < final.size()) {
            final.resize(length);
            break;
        }
        final.resize(length + 1);
    }
    if (final.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + final.substr(8);
    if (final.rfind("\\\\?\\", 0) == 0) return final.substr(4);
    return final;
}

}  // namespace

std::string Win32FileStore::FullPath(const std::string& path) const {
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length + 1);
    }
}

std::optional<FileIdentity> Win32FileStore::IdentityOf(const std::string& path) const {
    FileHandle file{OpenToAsk(path)};
    BY_HANDLE_FILE_INFORMATION info{};
    if (file.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file.handle, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FileStamp> Win32FileStore::StampOf(const std::string& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(FinalPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileStamp{(static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime,
                     (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

std::optional<std::string> Win32FileStore::ReadFileBytes(const std::string& path) const {
    FileHandle file{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.handle, &size) || size.QuadPart < 0) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const std::size_t room = bytes.size() - used;
        DWORD got = 0;
        if (!::ReadFile(file.handle, bytes.data() + used, room > (1u << 30) ? (1u << 30) : static_cast<DWORD>(room),
                        &got, nullptr))
            return std::nullopt;
        if (got == 0) break;
        used += got;
    }
    bytes.resize(used);
    return bytes;
}

namespace {

class Win32Replacement final : public FileReplacement {
public:
    Win32Replacement(std::string target, std::string temp, HANDLE file)
        : target_(std::move(target)), temp_(std::move(temp)), file_{file} {}
    ~Win32Replacement() override {
        file_.Close();
        if (!committed_ && !keepTemp_) DeleteFileA(temp_.c_str());
    }
    bool Write(std::string_view bytes) override { return ok_ = ok_ && WriteAll(file_.handle, bytes); }
    bool Commit() override {
        const bool flushed = ok_ && FlushFileBuffers(file_.handle);
        if (!file_.Close() || !flushed) return false;
        const bool targetExisted = Exists(target_);
        committed_ = (targetExisted && ReplaceTarget()) || MoveOverTarget();
        // Should a failed replacement have taken the target with it, the temporary file is the
        // only copy left of the content: it stays.
        keepTemp_ = !committed_ && targetExisted && !Exists(target_);
        return committed_;
    }

private:
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // An existing target is updated in place of being replaced, so that it keeps its own
    // attributes, permissions and identity; the temporary file goes away with it.
    bool ReplaceTarget() const {
        // A target another program holds without letting it be renamed cannot be replaced.
        // Asking first keeps ReplaceFileA from being tried where it can only fail: Wine's then
        // leaves a temporary file of its own behind, which Windows does not.
        const HANDLE probe = CreateFileA(target_.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE) return false;
        CloseHandle(probe);
        return ReplaceFileA(target_.c_str(), temp_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                            nullptr) != FALSE;
    }

    // A new target, or one where replacing was refused (a file system without it, for one).
    // Whenever ReplaceFileA fails, the temporary file is still there under its own name (the
    // target may be gone or renamed by then), so the move completes the save.
    bool MoveOverTarget() const {
        return MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    std::string target_;
    std::string temp_;
    FileHandle file_;
    bool ok_ = true;
    bool committed_ = false;
    bool keepTemp_ = false;
};

}  // namespace

std::unique_ptr<FileReplacement> Win32FileStore::BeginReplacement(const std::string& linkOrPath) {
    // Replacing a link would put a file in its place; the file it leads to is what is saved.
    const std::string path = FinalPath(linkOrPath);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return nullptr;
    // Made in one go rather than assigned ".": GCC 12's string assignment trips its own
    // overlap check (-Wrestrict) when inlined here.
    const std::string parent = DirectoryOf(path);
    const std::string directory = parent.empty() ? std::string(".") : parent;
    char temp[MAX_PATH + 1] = {};
    if (GetTempFileNameA(directory.c_str(), "twk", 0, temp) == 0) return nullptr;
    const HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temp);
        return nullptr;
    }
    return std::make_unique<Win32Replacement>(path, temp, file);
}

PathKind Win32FileStore::KindOf(const std::string& path) const {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::File;
}

std::optional<std::vector<DirectoryEntry>> Win32FileStore::ListDirectory(const std::string& directory) const {
    if (KindOf(directory) != PathKind::Directory) return std::nullopt;
    std::string pattern = directory;
    if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/')) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    std::vector<DirectoryEntry> entries;
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(entries) : std::nullopt;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

}  // namespace tarnwick
