#pragma once
// What every install action is given: the platform, the progress window, the settings and
// the user's choices from the install dialog; and the report of what the run did.

#include "progress.h"
#include "run_report.h"
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
    // Where the script and the files to copy are: the directory setup started in, kept from
    // start-up, since the browse dialog may move the current directory. Empty: the current one.
    std::string startDirectory{};
    std::string scriptName = "setup.txt";     // the script's name, and the name the installed copy gets
    RunReport report{};                       // what the run did, action by action
};

// A name from the script, relative to the start directory; a full path stays as it is.
std::string FromStartDirectory(const InstallContext& context, const std::string& name);

}  // namespace kelsetup
