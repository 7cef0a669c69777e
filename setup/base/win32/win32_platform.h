#pragma once
// The platform of `setup` on Windows, through the ANSI functions.

#include "setup_platform.h"

namespace kelsetup {

class Win32Platform final : public SetupPlatform {
public:
    Win32Platform() = default;
    // Tests take one platform family or the other; the program asks the system.
    explicit Win32Platform(bool ntFamily) : forcedFamily_(ntFamily ? 1 : 0) {}

    PlatformError LastError() override;

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
    std::vector<PlatformError> CopyFilesOver(const std::vector<FileCopy>& copies) override;
    bool MoveFileTo(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveEmptyDirectory(const std::string& path) override;
    bool IsDirectory(const std::string& path) override;
    std::vector<FoundFile> FindFiles(const std::string& pattern) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    std::string AnsiToUtf8(std::string_view bytes) override;
    bool AppendText(const std::string& path, const std::string& text) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    LineWriter CreateLog(const std::string& path) override;

    std::optional<std::uint64_t> FreeKilobytes(const std::string& root) override;
    std::string ExpandEnvironment(const std::string& text) override;
    std::optional<FileVersion> VersionOf(const std::string& path) override;
    long CreateShortcut(const ShortcutSpec& shortcut) override;
    bool StartProgram(const std::string& application, const std::string& commandLine) override;
    bool OpenWithShell(const std::string& path) override;
    void DeleteAtRestart(const std::string& path) override;
    bool IsNtFamily() override;

private:
    // Keeps the system's error code of a failed call for LastError; passes `succeeded` on.
    bool Note(bool succeeded);
    bool NoteStatus(long status);  // a registry call's own result code

    int forcedFamily_ = -1;  // -1: ask the system
    unsigned long lastError_ = 0;
};

// Text in the system's ANSI code page as UTF-8: GetACP answers 65001 under the UTF-8 process
// code page, so the code page is the system locale's. The bytes as they are when it has none.
std::string SystemAnsiToUtf8(std::string_view bytes);

}  // namespace kelsetup
