#pragma once
// Installing and uninstalling with nothing shown (/S): what a user would get by pressing Next
// at once, with the few questions answered the safe way.

#include "command_line.h"
#include "install_context.h"
#include "run_log.h"

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

// Uninstalls with the script in `scriptDirectory`, registry entries included. Returns the exit code.
int RunSilentUninstall(SetupPlatform& platform, const SetupInfo& info, const std::string& scriptDirectory, RunLog& log);

}  // namespace kelsetup
