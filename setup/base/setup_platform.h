#pragma once
// Everything the install and uninstall actions ask of Windows, as one small interface. The
// recording binding keeps files and registry in memory and logs every call in order; the
// Win32 binding carries the calls out.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelsetup {

enum class RootKey { LocalMachine, ClassesRoot, Users, CurrentUser };
// "HKEY_LOCAL_MACHINE" and so on.
const char* RootName(RootKey root);

// Registry value types by their registry numbers.
enum class ValueType : std::uint32_t {
    None = 0, String = 1, ExpandString = 2, Binary = 3, Number = 4, NumberBigEndian = 5, Link = 6, MultiString = 7,
    ResourceList = 8,
};

struct FileVersion {
    std::uint32_t major = 0, minor = 0, third = 0, fourth = 0;
    bool operator==(const FileVersion&) const = default;
};

// One entry of a directory search.
struct FoundFile {
    std::string name;
    bool isDirectory = false;
};

// A shortcut file as the shell-link object is told to write it.
struct ShortcutSpec {
    std::string target;            // SetPath
    std::string iconPath;          // SetIconLocation, icon index 0
    std::string description;       // SetDescription
    std::string workingDirectory;  // SetWorkingDirectory
    std::string arguments;         // SetArguments
    std::string linkPath;          // IPersistFile::Save
    bool operator==(const ShortcutSpec&) const = default;
};

// Why the last platform call failed: the kinds the runs tell apart, and the system's own text.
// InUse: another program holds the file open, or runs it.
enum class ErrorKind { None, NotFound, AlreadyExists, NotEmpty, InUse, Other };
struct PlatformError {
    ErrorKind kind = ErrorKind::None;
    std::string text;  // as the system words it, "Access is denied." for instance
};

// One file to copy over its destination.
struct FileCopy {
    std::string from, to;
};

// Takes one line of a log at a time, without its line end.
using LineWriter = std::function<void(std::string_view line)>;

class SetupPlatform {
public:
    virtual ~SetupPlatform() = default;

    // The failure of the last call that failed on this platform object.
    virtual PlatformError LastError() = 0;

    // Registry. Keys are created with everything above them; values are written into keys
    // that exist, and a failure writes nothing.
    virtual bool CreateKey(RootKey root, const std::string& path) = 0;
    virtual bool SetValue(RootKey root, const std::string& path, const std::string& name, ValueType type,
                          const std::string& data) = 0;
    // A value's bytes; nothing when missing or larger than `capacity` bytes.
    virtual std::optional<std::string> QueryValue(RootKey root, const std::string& path, const std::string& name,
                                                  std::size_t capacity) = 0;
    virtual std::vector<std::string> EnumerateKeys(RootKey root, const std::string& path) = 0;
    virtual bool DeleteKey(RootKey root, const std::string& path) = 0;
    virtual bool DeleteValue(RootKey root, const std::string& path, const std::string& name) = 0;
    // Whether a key exists and holds neither values nor keys.
    virtual bool KeyHoldsNothing(RootKey root, const std::string& path) = 0;

    // Files and directories.
    virtual bool MakeDirectory(const std::string& path) = 0;
    virtual bool CopyFileOver(const std::string& from, const std::string& to) = 0;  // replaces
    // Copies each file as CopyFileOver does, perhaps several at once, and returns each copy's
    // failure (kind None: copied) in the order given. No copy may read or write a file that
    // another copy of the batch writes. One after the other unless a binding does better.
    virtual std::vector<PlatformError> CopyFilesOver(const std::vector<FileCopy>& copies);
    virtual bool MoveFileTo(const std::string& from, const std::string& to) = 0;  // fails when `to` exists
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
    virtual bool IsDirectory(const std::string& path) = 0;
    // The entries matching a pattern such as "C:\Menu\*", in the order the search yields them.
    virtual std::vector<FoundFile> FindFiles(const std::string& pattern) = 0;
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // Text in the system's ANSI code page (not the process's, which is UTF-8) as UTF-8; the
    // bytes as they are when the system has no other code page.
    virtual std::string AnsiToUtf8(std::string_view bytes) = 0;
    // Appends text in text mode: every LF is stored as CR LF. False when the file cannot be opened.
    virtual bool AppendText(const std::string& path, const std::string& text) = 0;
    // Whether two paths name one file, as the file system decides it: both made full, then
    // compared without regard to case as the file system compares names. Spelling is no guide:
    // "Conf\\Ä.bin" and "conf\\ä.BIN." name one file.
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
    // Creates (or empties) a log file in a folder that exists and returns what writes its lines,
    // each ended with CR LF and handed to the file at once; nothing when it cannot be created.
    virtual LineWriter CreateLog(const std::string& path) = 0;

    // Free space of a drive root ("C:\") in units of 1024 bytes; nothing when unknown.
    virtual std::optional<std::uint64_t> FreeKilobytes(const std::string& root) = 0;
    // Replaces %NAME% references by the variables' values; unknown ones stay as written.
    virtual std::string ExpandEnvironment(const std::string& text) = 0;
    // The version of a file's version resource; nothing when it has none or is missing.
    virtual std::optional<FileVersion> VersionOf(const std::string& path) = 0;
    // Writes one shortcut file; returns the status of the save (0 on success).
    virtual long CreateShortcut(const ShortcutSpec& shortcut) = 0;
    // Starts a program without waiting for it; false when it could not be started.
    virtual bool StartProgram(const std::string& application, const std::string& commandLine) = 0;
    // Opens a file with the shell's "open" verb; false when the shell could not.
    virtual bool OpenWithShell(const std::string& path) = 0;
    // Deletes a file or empty directory at the next restart.
    virtual void DeleteAtRestart(const std::string& path) = 0;
    virtual bool IsNtFamily() = 0;
};

}  // namespace kelsetup
