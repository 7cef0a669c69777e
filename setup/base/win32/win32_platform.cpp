#include "win32_platform.h"

#include "primitives.h"
#include "setup_info.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <climits>
#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace kelsetup {

namespace {

HKEY RootHandle(RootKey root) {
    switch (root) {
        case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RootKey::Users: return HKEY_USERS;
        default: return HKEY_CURRENT_USER;
    }
}

// An open registry key, closed when it goes out of scope.
class OpenKey {
public:
    OpenKey(RootKey root, const std::string& path, REGSAM access) {
        if (RegOpenKeyExA(RootHandle(root), path.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Releases a COM interface when it goes out of scope.
template <typename Interface>
struct ComPointer {
    Interface* pointer = nullptr;
    ~ComPointer() {
        if (pointer) pointer->Release();
    }
};

ErrorKind KindOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ErrorKind::NotFound;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return ErrorKind::AlreadyExists;
        case ERROR_DIR_NOT_EMPTY: return ErrorKind::NotEmpty;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return ErrorKind::InUse;
        default: return ErrorKind::Other;
    }
}

// The system's words for an error code, as one line.
PlatformError ErrorFor(DWORD code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length && text ? std::string(text, length) : "Error " + std::to_string(code) + ".";
    if (text) LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) words.pop_back();
    return {KindOf(code), words};
}

// Copies shared out among a few threads: each takes the next copy not yet taken. Copying a
// small file is mostly waiting for the file system, and on two cores two copies at a time
// take half as long as one after the other.
class CopyWork {
public:
    explicit CopyWork(const std::vector<FileCopy>& copies) : copies_(copies), codes_(copies.size(), 0) {}

    void Run() {
        std::vector<HANDLE> helpers;
        for (unsigned i = 1; i < ThreadCount(); ++i)
            if (HANDLE helper = CreateThread(nullptr, 0, &CopyWork::HelperMain, this, 0, nullptr))
                helpers.push_back(helper);  // without it, fewer threads share the copies
        CopyUntilDone();
        if (!helpers.empty())
            WaitForMultipleObjects(static_cast<DWORD>(helpers.size()), helpers.data(), TRUE, INFINITE);
        for (HANDLE helper : helpers) CloseHandle(helper);
    }
    const std::vector<DWORD>& Codes() const { return codes_; }

private:
    static constexpr unsigned kMostThreads = 4;

    unsigned ThreadCount() const {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const unsigned wanted = std::clamp<unsigned>(system.dwNumberOfProcessors, 2, kMostThreads);
        return static_cast<unsigned>(std::min<std::size_t>(wanted, copies_.size()));
    }
    static DWORD WINAPI HelperMain(void* work) {
        static_cast<CopyWork*>(work)->CopyUntilDone();
        return 0;
    }
    void CopyUntilDone() {
        for (std::size_t i; (i = next_.fetch_add(1)) < copies_.size();)
            if (!CopyFileA(copies_[i].from.c_str(), copies_[i].to.c_str(), FALSE)) codes_[i] = GetLastError();
    }

    const std::vector<FileCopy>& copies_;
    std::vector<DWORD> codes_;  // 0: copied
    std::atomic<std::size_t> next_{0};
};

// A path made full as the file system resolves it ("." and ".." parts, trailing dots and
// blanks of the last name), without a trailing backslash unless it is a root, in UTF-16.
// Empty when the path cannot be made full.
std::wstring FullWidePath(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::string full(needed, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    full.resize(length);
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
    const int wide = MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(full.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    if (wide > 0) MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(full.size()), result.data(), wide);
    return result;
}

// Whether a file that DeleteFile refused with "access denied" is a program that is running
// (or a file mapped into one): Windows refuses those the same way as files the user may not
// delete, but a running program can still be opened for deleting, and a read-only or
// forbidden file cannot be deleted at the restart either.
bool IsRunningImage(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    HANDLE file = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace

bool Win32Platform::Note(bool succeeded) {
    if (!succeeded) lastError_ = GetLastError();
    return succeeded;
}

bool Win32Platform::NoteStatus(long status) {
    if (status != ERROR_SUCCESS) lastError_ = static_cast<DWORD>(status);
    return status == ERROR_SUCCESS;
}

PlatformError Win32Platform::LastError() { return lastError_ == 0 ? PlatformError{} : ErrorFor(lastError_); }

bool Win32Platform::CreateKey(RootKey root, const std::string& path) {
    HKEY key = nullptr;
    if (!NoteStatus(RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)))
        return false;
    RegCloseKey(key);
    return true;
}

bool Win32Platform::SetValue(RootKey root, const std::string& path, const std::string& name, ValueType type,
                             const std::string& data) {
    HKEY key = nullptr;
    if (!NoteStatus(RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_WRITE, &key))) return false;
    const bool set = NoteStatus(RegSetValueExA(key, name.c_str(), 0, static_cast<DWORD>(type),
                                               reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
    RegCloseKey(key);
    return set;
}

std::optional<std::string> Win32Platform::QueryValue(RootKey root, const std::string& path, const std::string& name,
                                                     std::size_t capacity) {
    OpenKey key(root, path, KEY_READ);
    if (!key) return std::nullopt;
    std::string data(capacity, '\0');
    DWORD size = static_cast<DWORD>(capacity);
    if (!NoteStatus(RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size)))
        return std::nullopt;
    data.resize(size);
    return data;
}

std::vector<std::string> Win32Platform::EnumerateKeys(RootKey root, const std::string& path) {
    std::vector<std::string> names;
    OpenKey key(root, path, KEY_READ);
    if (!key) return names;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

bool Win32Platform::DeleteKey(RootKey root, const std::string& path) {
    return NoteStatus(RegDeleteKeyA(RootHandle(root), path.c_str()));
}

bool Win32Platform::DeleteValue(RootKey root, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (!NoteStatus(RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_WRITE, &key))) return false;
    const bool deleted = NoteStatus(RegDeleteValueA(key, name.c_str()));
    RegCloseKey(key);
    return deleted;
}

bool Win32Platform::KeyHoldsNothing(RootKey root, const std::string& path) {
    OpenKey key(root, path, KEY_READ);
    if (!key) return false;
    DWORD keys = 0, values = 0;
    return NoteStatus(RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                                       nullptr, nullptr, nullptr)) &&
           keys == 0 && values == 0;
}

bool Win32Platform::MakeDirectory(const std::string& path) { return Note(CreateDirectoryA(path.c_str(), nullptr) != FALSE); }

bool Win32Platform::CopyFileOver(const std::string& from, const std::string& to) {
    return Note(CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE);
}

std::vector<PlatformError> Win32Platform::CopyFilesOver(const std::vector<FileCopy>& copies) {
    CopyWork work(copies);
    work.Run();
    std::vector<PlatformError> errors;
    errors.reserve(copies.size());
    for (DWORD code : work.Codes()) {
        errors.push_back(code == 0 ? PlatformError{} : ErrorFor(code));
        if (code != 0) lastError_ = code;
    }
    return errors;
}

bool Win32Platform::MoveFileTo(const std::string& from, const std::string& to) {
    return Note(MoveFileA(from.c_str(), to.c_str()) != FALSE);
}

bool Win32Platform::RemoveFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    lastError_ = GetLastError();
    // Told apart as a sharing violation, which is what it is: the file is held, not forbidden.
    if (lastError_ == ERROR_ACCESS_DENIED && IsRunningImage(path)) lastError_ = ERROR_SHARING_VIOLATION;
    return false;
}

bool Win32Platform::RemoveEmptyDirectory(const std::string& path) { return Note(RemoveDirectoryA(path.c_str()) != FALSE); }

bool Win32Platform::IsDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FoundFile> Win32Platform::FindFiles(const std::string& pattern) {
    std::vector<FoundFile> found;
    WIN32_FIND_DATAA entry{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back({entry.cFileName, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

std::string Win32Platform::AnsiToUtf8(std::string_view bytes) { return SystemAnsiToUtf8(bytes); }

std::string SystemAnsiToUtf8(std::string_view bytes) {
    // GetACP answers 65001 under the UTF-8 process code page: the system's own is the locale's.
    // Where the manifest's UTF-8 is not honoured (before Windows 10 version 1903), the process
    // reads the system's code page itself, and nothing is converted.
    // The system locale by its name: Wine does not take LOCALE_NAME_SYSTEM_DEFAULT here, which
    // Windows does; the name serves both.
    DWORD codePage = 0;
    WCHAR locale[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetSystemDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH) == 0 ||
        GetLocaleInfoEx(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&codePage),
                        sizeof codePage / sizeof(WCHAR)) == 0 ||
        codePage == 0 || codePage == CP_UTF8 || GetACP() != CP_UTF8 || bytes.empty() || bytes.size() > INT_MAX / 2)
        return std::string(bytes);  // no other code page: the bytes as they stand
    const int size = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (wideLength <= 0) return std::string(bytes);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string(bytes);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, text.data(), length, nullptr, nullptr);
    return text;
}

std::optional<std::string> Win32Platform::ReadFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Note(file != INVALID_HANDLE_VALUE)) return std::nullopt;
    std::string bytes;
    char chunk[64 * 1024];
    DWORD got = 0;
    bool ok = true;
    while ((ok = Note(::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE)) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
}

bool Win32Platform::AppendText(const std::string& path, const std::string& text) {
    // Text mode: every LF is written as CR LF.
    std::FILE* file = std::fopen(path.c_str(), "at");
    if (!Note(file != nullptr)) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

bool Win32Platform::SameFile(const std::string& a, const std::string& b) {
    const std::wstring first = FullWidePath(a), second = FullWidePath(b);
    // As the file system compares names: ordinal, each character upper-cased by the system's
    // table, so that accented letters match their other case too.
    return !first.empty() && !second.empty() &&
           CompareStringOrdinal(first.data(), static_cast<int>(first.size()), second.data(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

LineWriter Win32Platform::CreateLog(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (!Note(file != INVALID_HANDLE_VALUE)) return nullptr;
    // The writer owns the handle; the file is closed when the last copy of it goes.
    const std::shared_ptr<void> owned(file, CloseHandle);
    return [owned](std::string_view line) {
        const std::string text = std::string(line) + "\r\n";
        DWORD written = 0;
        WriteFile(owned.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    };
}

std::optional<std::uint64_t> Win32Platform::FreeKilobytes(const std::string& root) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return std::nullopt;
    return FreeKilobytesOf(sectorsPerCluster, bytesPerSector, freeClusters);
}

std::string Win32Platform::ExpandEnvironment(const std::string& text) {
    char expanded[kMaxTextLength + 1] = {};
    const DWORD length = ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded) return text.substr(0, kMaxTextLength);  // too long: left as written
    return expanded;
}

std::optional<FileVersion> Win32Platform::VersionOf(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    char root[] = "\\";
    if (!VerQueryValueA(block.data(), root, reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed) return std::nullopt;
    return FileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                       LOWORD(fixed->dwFileVersionLS)};
}

long Win32Platform::CreateShortcut(const ShortcutSpec& shortcut) {
    CoInitialize(nullptr);
    HRESULT status = S_OK;
    {
        ComPointer<IShellLinkA> link;
        status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link.pointer));
        if (SUCCEEDED(status)) {
            // The set calls are not checked: only the save says whether a shortcut came about.
            link.pointer->SetPath(shortcut.target.c_str());
            link.pointer->SetIconLocation(shortcut.iconPath.c_str(), 0);
            link.pointer->SetDescription(shortcut.description.c_str());
            link.pointer->SetWorkingDirectory(shortcut.workingDirectory.c_str());
            link.pointer->SetArguments(shortcut.arguments.c_str());
            ComPointer<IPersistFile> file;
            status = link.pointer->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.pointer));
            if (SUCCEEDED(status)) {
                // The saved name holds at most MAX_PATH wide characters with its zero; a link
                // path that does not convert into that fails this shortcut, and only it.
                wchar_t wide[MAX_PATH] = {};
                status = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, shortcut.linkPath.c_str(), -1, wide, MAX_PATH) > 0
                             ? file.pointer->Save(wide, TRUE)
                             : HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
            }
        }
    }
    CoUninitialize();
    if (FAILED(status)) lastError_ = HRESULT_FACILITY(status) == FACILITY_WIN32 ? HRESULT_CODE(status) : static_cast<DWORD>(status);
    return status;
}

bool Win32Platform::StartProgram(const std::string& application, const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = commandLine;
    // Not waited for.
    if (!Note(CreateProcessA(application.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process) != FALSE))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool Win32Platform::OpenWithShell(const std::string& path) {
    // Above 32 is success; the small numbers below it are the old error codes.
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT));
    if (result > 32) return true;
    switch (result) {
        case 0: lastError_ = ERROR_OUTOFMEMORY; break;
        case SE_ERR_NOASSOC: lastError_ = ERROR_NO_ASSOCIATION; break;
        case SE_ERR_SHARE: lastError_ = ERROR_SHARING_VIOLATION; break;
        default: lastError_ = static_cast<DWORD>(result); break;  // the others are the system's own codes
    }
    return false;
}

void Win32Platform::DeleteAtRestart(const std::string& path) {
    if (IsNtFamily()) {
        MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    // The other family reads its renames from WININIT.INI: "NUL=path" deletes at restart.
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string ini = JoinPath(windows, "WININIT.INI");
    WritePrivateProfileStringA("Rename", "NUL", path.c_str(), ini.c_str());
}

bool Win32Platform::IsNtFamily() {
    if (forcedFamily_ >= 0) return forcedFamily_ == 1;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return true;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace kelsetup
