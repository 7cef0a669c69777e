#pragma once
// The uninstall run: three walks over the installed script, each undoing one kind of section,
// the deferred UninstallExecute program, then the uninstall entry, the script and, at the
// next restart, the setup program and the install directory.

#include "progress.h"
#include "removal_actions.h"

#include <string>

namespace kelsetup {

struct UninstallRequest {
    std::string installDir;
    bool removeRegistry = false;
    std::string scriptPath = "setup.txt";  // the installed copy, in the current directory
};

// Returns false, having removed nothing, when the script cannot be read. What was removed and
// what was not goes into `report`; what could not be removed is shown before the finish
// dialog (what is only left for the next restart is not).
bool RunUninstall(SetupPlatform& platform, Progress& progress, const SetupInfo& info, const UninstallRequest& request,
                  RunReport& report);

}  // namespace kelsetup
