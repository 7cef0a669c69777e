#pragma once
// The install run: remembers the install directory, walks the script handing each section to
// its handler, runs the deferred InstallExecute program, registers the uninstall entry with
// the copied and extended script, launches the program and shows the finish dialog.

#include "install_context.h"

#include <string>

namespace kelsetup {

inline constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// "\"<dir>\Setup.exe\" <dir>", the command the platform runs to uninstall.
std::string UninstallCommand(const std::string& installDir);
// The same with /S: what tools that uninstall without asking run.
std::string QuietUninstallCommand(const std::string& installDir);

// What is appended to the installed copy of the script.
std::string AppendedScriptText(const std::string& folderName, const std::string& scriptName);

void RunInstall(InstallContext& context);

}  // namespace kelsetup
