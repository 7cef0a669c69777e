#include "run_log.h"

namespace kelsetup {

int ExitCodeAfterRun(const RunReport& report) {
    if (report.FailureCount() > 0) return kExitSomeFailed;
    if (report.NeedsRestart()) return kExitRestartNeeded;
    return kExitDone;
}

std::string LogLine(const ReportedAction& action) {
    switch (action.outcome) {
        case Outcome::Done: return "done: " + DescribeAction(action);
        case Outcome::Skipped: return "skipped: " + DescribeAction(action);
        case Outcome::Failed: return "failed: " + DescribeAction(action);
        case Outcome::LeftForRestart: return "at the next restart: " + DescribeAction(action);
    }
    return DescribeAction(action);
}

void RunLog::Note(const std::string& line) {
    if (write_) write_(line);
}

void RunLog::Follow(RunReport& report) {
    if (write_) report.SetListener([this](const ReportedAction& action) { Action(action); });
}

}  // namespace kelsetup
