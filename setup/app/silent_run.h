#pragma once
// Installing and uninstalling with nothing shown (/S): what a user would get by pressing Next
// at once, with the few questions answered the safe way.

#include "command_line.h"
#include "install_context.h"
#include "run_log.h"
#include "setup_start.h"

#include <string>

namespace kelsetup {

// The directory the install dialog offers: the remembered one, else the script's default.
std::string RememberedInstallDirectory(SetupPlatform& platform, const SetupInfo& info);

// The options as the install dialog starts them (a box is checked for 1), with the switches
// applied: /NOSHORTCUTS, /NOUNINSTALL, and /START, without which nothing is started.
InstallOptions SilentInstallOptions(const SetupInfo& info, const SetupCommand& command);

// A progress window that shows nothing. Of two versions of a system file it keeps the newer:
// the file is installed only when its version is above the one there.
class SilentProgress final : public Progress {
public:
    void ShowStatus(const std::string&, const std::string&, const std::string&, const std::string&) override {}
    void ShowAction(const std::string&) override {}
    void SetProgressPercent(int) override {}
    void BeginRun() override {}
    void EndRun() override {}
    bool AskInstallConflict(const VersionConflictInfo& conflict) override;
    void ShowProblems(const std::string&) override {}
    void ShowFinish(const std::string&, bool) override {}
};

// Installs from the script in `startDirectory`; stops before changing anything when the
// install dialog would have asked about free space. Returns the exit code.
int RunSilentInstall(SetupPlatform& platform, const SetupInfo& info, const SetupCommand& command,
                     const std::string& startDirectory, RunLog& log);

// Uninstalls with the script in `folder`, the directory the command line gave, registry
// entries included; only when that is the install directory the uninstall dialog would show
// (the remembered one, else the script's), compared as Windows compares paths: a silent run
// asks nobody, so a command line that names another folder removes nothing. Returns the exit
// code.
int RunSilentUninstall(SetupPlatform& platform, const SetupInfo& info, const std::string& folder, RunLog& log);

// A whole run with nothing shown, from the command line to the exit code: the log made first
// (one that cannot be made stops the run), the command line checked, the start directory
// chosen, then the install or the uninstall; the log ends with the exit code.
int RunSilentSetup(SetupPlatform& platform, const SetupCommand& command, const std::string& arguments,
                   const StartPlaces& places);

}  // namespace kelsetup
