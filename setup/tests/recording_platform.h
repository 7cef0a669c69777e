#pragma once
// The platform of `setup` in memory: a file system of drives, directories and files, a
// registry with its roots, environment variables, file versions and shortcuts. Every call is
// logged in order ("CreateDirectory C:\Apps"), so tests check both the end state and the
// order of calls. Paths compare as Windows compares them: without regard to case (in all of
// Unicode), without trailing dots and blanks, with "." components and repeated backslashes
// resolved.

#include "setup_platform.h"

#include <map>
#include <set>

namespace kelsetup {

class RecordingPlatform final : public SetupPlatform {
public:
    RecordingPlatform();

    PlatformError LastError() override { return lastError_; }

    bool CreateKey(RootKey root, const std::string& path) override;
    bool SetValue(RootKey root, const std::string& path, const std::string& name, ValueType type,
                  const std::string& data) override;
    std::optional<std::string> QueryValue(RootKey root, const std::string& path, const std::string& name,
                                          std::size_t capacity) override;
    std::vector<std::string> EnumerateKeys(RootKey root, const std::string& path) override;
    bool DeleteKey(RootKey root, const std::string& path) override;
    bool DeleteValue(RootKey root, const std::string& path, const std::string& name) override;
    bool KeyHoldsNothing(RootKey root, const std::string& path) override;

    bool MakeDirectory(const std::string& path) override;
    bool CopyFileOver(const std::string& from, const std::string& to) override;
    // Logs "CopyFiles <count>", then copies one after the other; a copy that reads or writes a
    // file another copy of the batch writes fails as held by another process, as copies that
    // run at once may.
    std::vector<PlatformError> CopyFilesOver(const std::vector<FileCopy>& copies) override;
    bool MoveFileTo(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveEmptyDirectory(const std::string& path) override;
    bool IsDirectory(const std::string& path) override { return DirectoryExists(path); }
    std::vector<FoundFile> FindFiles(const std::string& pattern) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    // Its ANSI code page is ISO 8859-1, each byte the character of its number. Not logged:
    // it changes nothing.
    std::string AnsiToUtf8(std::string_view bytes) override;
    bool AppendText(const std::string& path, const std::string& text) override;
    // Names compare as FileNameKey makes them: case-blind in all of Unicode, trailing dots
    // and blanks dropped.
    bool SameFile(const std::string& a, const std::string& b) override;
    // The log is a file of this platform; its lines are not logged as calls.
    LineWriter CreateLog(const std::string& path) override;

    std::optional<std::uint64_t> FreeKilobytes(const std::string& root) override;
    std::string ExpandEnvironment(const std::string& text) override;
    std::optional<FileVersion> VersionOf(const std::string& path) override;
    long CreateShortcut(const ShortcutSpec& shortcut) override;
    bool StartProgram(const std::string& application, const std::string& commandLine) override;
    bool OpenWithShell(const std::string& path) override;
    void DeleteAtRestart(const std::string& path) override;
    bool IsNtFamily() override { return ntFamily; }

    // Setting the scene.
    void AddFile(const std::string& path, std::string bytes, std::optional<FileVersion> version = std::nullopt);
    void AddDirectories(const std::string& path);  // with every directory above it
    bool FileExists(const std::string& path) const;
    bool DirectoryExists(const std::string& path) const;
    std::optional<std::string> Value(RootKey root, const std::string& path, const std::string& name) const;
    std::optional<ValueType> TypeOf(RootKey root, const std::string& path, const std::string& name) const;
    bool KeyExists(RootKey root, const std::string& path) const;
    // A file another program holds open: it can be neither replaced nor deleted.
    void HoldOpen(const std::string& path);
    // A key the user may not delete.
    void Protect(RootKey root, const std::string& path);

    std::map<std::string, std::string> environment;  // variable name (upper case) to value
    std::optional<std::uint64_t> freeKilobytes = 1u << 30;
    bool ntFamily = true;
    bool failEverything = false;  // every call fails, as on a machine that refuses all
    std::set<std::string> missingPrograms;  // programs that cannot be started or opened (as given)
    std::vector<std::string> calls;
    std::vector<ShortcutSpec> shortcuts;

private:
    struct Key {
        std::map<std::string, std::pair<ValueType, std::string>> values;  // by folded value name
    };
    static std::string Normal(const std::string& path);
    static std::string Fold(const std::string& text);  // registry names: ASCII case
    static std::string FileKey(const std::string& normal);
    std::string KeyName(RootKey root, const std::string& path) const;
    std::string ParentOf(const std::string& normal) const;
    void Log(std::string call) { calls.push_back(std::move(call)); }
    // Records why the call fails, as Windows words it; returns false for the caller to return.
    bool Fail(ErrorKind kind, const char* text);
    bool FailNotFound() { return Fail(ErrorKind::NotFound, "The system cannot find the file specified."); }
    bool FailDenied() { return Fail(ErrorKind::Other, "Access is denied."); }
    bool FailInUse() {
        return Fail(ErrorKind::InUse, "The process cannot access the file because it is being used by another process.");
    }

    PlatformError lastError_;
    std::set<std::string> heldOpen_;              // file keys (FileNameKey)
    std::set<std::string> protectedKeys_;         // key names

    std::set<std::string> directories_;           // file keys
    std::map<std::string, std::string> directoryNames_;  // file key to the path as made
    std::map<std::string, std::string> files_;    // file key to bytes
    std::map<std::string, std::string> names_;    // file key to the path as made
    std::map<std::string, FileVersion> versions_;
    std::map<std::string, Key> keys_;             // "root|folded path"
};

}  // namespace kelsetup
