#pragma once
// The section handlers of the uninstall run. Each undoes what its install handler did, takes
// every field literally, and leaves the stream at the first line it did not use. None of them
// writes to the progress window.

#include "run_report.h"
#include "script_stream.h"
#include "setup_info.h"
#include "setup_platform.h"

#include <string>

namespace kelsetup {

struct UninstallContext {
    SetupPlatform& platform;
    const SetupInfo& info;
    RunReport& report;       // what was removed, what was not there, what resisted
    std::string installDir;  // as shown in the uninstall dialog
    bool removeRegistry = false;
    std::string folderName;  // the program folder, from the script's GroupName section
};

// After a removal was asked for: done; or skipped when there was nothing to remove, or when a
// folder still holds what the installation did not put there (it stays, as it should);
// otherwise failed, with the system's reason.
void ReportRemoval(UninstallContext& context, const std::string& action, const std::string& subject, bool removed);

void UninstallRenameFile(UninstallContext& context, ScriptStream& stream);
void UninstallStartMenu(UninstallContext& context, ScriptStream& stream);
void UninstallRegistryValue(UninstallContext& context, ScriptStream& stream);
void UninstallRegistryString(UninstallContext& context, ScriptStream& stream);
void UninstallCopyFile(UninstallContext& context, ScriptStream& stream);
void UninstallAddDirectory(UninstallContext& context, ScriptStream& stream);
void UninstallRegistryKey(UninstallContext& context, ScriptStream& stream);
void UninstallAddProgram(UninstallContext& context, ScriptStream& stream);

// Deletes every key below `path`, deepest first; stops at the first key that resists, so a
// protected key cannot hold the loop. The key itself is left to the caller. An empty path
// (a root key itself) is never emptied.
void DeleteKeyTree(SetupPlatform& platform, RootKey root, const std::string& path);

// The installed setup program, which runs the uninstall and so is removed only at restart.
std::string SetupProgramPath(const std::string& installDir);

// Asks the platform to delete the setup program and then the install directory at restart.
void ScheduleSelfRemoval(SetupPlatform& platform, RunReport& report, const std::string& installDir);

}  // namespace kelsetup
