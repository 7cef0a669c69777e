#pragma once
// The setup program on Windows: start-up, the install dialog, the message loop and the end of
// the run. The install run itself is the portable core's.

#include "command_line.h"
#include "install_context.h"
#include "run_log.h"
#include "run_report.h"
#include "progress_window.h"
#include "run_thread.h"
#include "setup_info.h"

#include <memory>
#include <string>

#include <windows.h>

namespace kelsetup {

inline constexpr const char* kOwnerClass = "KelSetup:MAIN";

struct SetupApp {
    SetupApp(HINSTANCE instance, SetupPlatform& platform) : instance(instance), platform(platform) {}

    HINSTANCE instance;
    SetupPlatform& platform;
    SetupInfo info;
    HWND owner = nullptr;
    HWND mainDialog = nullptr;
    std::unique_ptr<ProgressWindow> progress;
    // Where the script, the files to install and the text pages are: the current directory at
    // start-up (in uninstall mode, the install directory). Kept, since the browse dialog may
    // move the current directory.
    std::string startDirectory;
    // Next was pressed: from the free-space question to the end of the run, nothing starts
    // another run and nothing tears the windows down.
    bool busy = false;
    RunReport report;  // what the run did; filled by the run, read once it has ended
    RunLog* log = nullptr;  // where the run's actions go as they happen (/LOG=)
    int exitCode = kExitCancelled;  // until a run has ended
    RunThread run;  // declared last: it ends before the windows and settings it reports to
};

// The whole program; `arguments` is the text after the program name. Returns the exit code
// (run_log.h), the same whether anything was shown or not.
int RunSetup(HINSTANCE instance, SetupPlatform& platform, const std::string& arguments);

// The install dialog's "&Next >": reads its fields, checks the free space and starts the
// install, whose end ends the program; or leaves the dialog as it is when the user chose to stay.
void StartInstall(SetupApp& app, HWND dialog);


}  // namespace kelsetup
