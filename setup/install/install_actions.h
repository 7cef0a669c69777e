#pragma once
// The section handlers of the install run. Each is called with the stream just after its
// marker line and leaves it after what it used.

#include "install_context.h"
#include "script_stream.h"

namespace kelsetup {

inline constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void InstallAddDirectory(InstallContext& context, ScriptStream& stream);
void InstallCopyFile(InstallContext& context, ScriptStream& stream);
void InstallRenameFile(InstallContext& context, ScriptStream& stream);

void InstallRegistryKey(InstallContext& context, ScriptStream& stream);
void InstallRegistryValue(InstallContext& context, ScriptStream& stream);
void InstallRegistryString(InstallContext& context, ScriptStream& stream);

// The user's "Startup" or "Programs" folder, ending in a backslash; nothing when the shell
// folder cannot be read (the shortcut is then skipped).
std::optional<std::string> ReadShellFolder(SetupPlatform& platform, const std::string& valueName);
// The shortcut as the shell-link object is told to write it.
ShortcutSpec MakeShortcut(const std::string& directoryText, const std::string& program, const std::string& arguments,
                          const std::string& linkPath, const std::string& name);
// Writes one shortcut and reports how that went.
void CreateShortcutReported(InstallContext& context, const ShortcutSpec& shortcut);
void InstallStartMenu(InstallContext& context, ScriptStream& stream);
void InstallAddProgram(InstallContext& context, ScriptStream& stream);

void InstallSystemFile(InstallContext& context, ScriptStream& stream);

// Runs the program record at the stream's position: line 1 the program, line 2 its arguments.
void RunScriptProgram(SetupPlatform& platform, RunReport& report, const std::string& installDir, ScriptStream& stream);

// The registry type a RegistryValue type name stands for, and the bytes its data line gives.
ValueType ValueTypeNamed(std::string_view name);
std::string ValueData(ValueType type, const std::string& data);

// "%i.%i.%i.%i", major first.
std::string VersionText(const FileVersion& version);

}  // namespace kelsetup
