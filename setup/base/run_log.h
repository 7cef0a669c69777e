#pragma once
// What setup tells the world when it ends: its exit code, and the plain-text log of a run
// (asked for with /LOG=): what it was given, every action with its outcome in the order taken,
// and the exit code last.

#include "run_report.h"

#include <functional>
#include <string>
#include <string_view>

namespace kelsetup {

enum ExitCode : int {
    kExitDone = 0,
    kExitSomeFailed = 1,     // done, but some actions failed; or an uninstall that found nothing to remove
    kExitCancelled = 2,      // by the user; a command line that cannot be used, a log that cannot be
                             // made, a silent uninstall of a folder that is not the installation
    kExitNoScript = 3,       // no usable setup.txt
    kExitNoSpace = 4,        // not enough free space for a silent install
    kExitRestartNeeded = 3010,  // done; a file that was in use is removed at the next restart
};

// The code a finished run ends with: failures first, then what waits for the restart.
int ExitCodeAfterRun(const RunReport& report);

// One line of the log for an action: "done: Copying file C:\Apps\a.exe".
std::string LogLine(const ReportedAction& action);

// Writes the log as the run goes. Lines go to `write` at once, so a log is complete up to
// wherever a run stopped. Without a writer nothing is written.
class RunLog {
public:
    using Writer = std::function<void(std::string_view line)>;
    explicit RunLog(Writer write = nullptr) : write_(std::move(write)) {}

    void Note(const std::string& line);
    void Action(const ReportedAction& action) { Note(LogLine(action)); }
    void End(int exitCode) { Note("exit code: " + std::to_string(exitCode)); }
    // Lets `report` write every action it records into this log.
    void Follow(RunReport& report);

private:
    Writer write_;
};

}  // namespace kelsetup
