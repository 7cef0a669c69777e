#pragma once
// What every install action is given: the platform, the progress window, the settings and
// the user's choices from the install dialog.

#include "progress.h"
#include "setup_info.h"
#include "setup_platform.h"

#include <string>

namespace kelsetup {

// The check boxes of the install dialog.
struct InstallOptions {
    bool startGroup = false;        // 1002 "&Add to Start Group"
    bool uninstallRoutine = false;  // 1003 "&Install Uninstall Routine"
    bool startAfter = false;        // 1004 "&Start after Installation"
    bool addToFolder = false;       // 1005 "Add to &Folder"
};

struct InstallContext {
    SetupPlatform& platform;
    Progress& progress;
    const SetupInfo& info;
    std::string installDir;
    InstallOptions options;
    std::string folderName;                   // the program folder typed in the install dialog
    std::string scriptPath = "setup.txt";     // relative to the start directory
    std::string scriptName = "setup.txt";     // the name the installed copy gets
};

}  // namespace kelsetup
