#include "run_report.h"

namespace kelsetup {

void RunReport::Record(ReportedAction action) {
    if (action.outcome == Outcome::Failed) ++failures_;
    actions_.push_back(std::move(action));
    if (listener_) listener_(actions_.back());
}

void RunReport::Done(const std::string& action, const std::string& subject) { Record({action, subject, Outcome::Done, ""}); }

void RunReport::Skipped(const std::string& action, const std::string& subject, const std::string& why) {
    Record({action, subject, Outcome::Skipped, why});
}

void RunReport::Failed(const std::string& action, const std::string& subject, const std::string& error) {
    Record({action, subject, Outcome::Failed, error.empty() ? "it failed." : error});
}

void RunReport::LeftForRestart(const std::string& action, const std::string& subject, bool needsRestart) {
    if (needsRestart) needsRestart_ = true;
    Record({action, subject, Outcome::LeftForRestart, ""});
}

bool RunReport::Check(SetupPlatform& platform, const std::string& action, const std::string& subject, bool succeeded) {
    if (succeeded) Done(action, subject);
    else Failed(action, subject, platform.LastError().text);
    return succeeded;
}

std::string DescribeAction(const ReportedAction& action) {
    std::string line = action.action;
    if (!action.subject.empty()) line += " " + action.subject;
    if (!action.detail.empty()) line += ": " + action.detail;
    return line;
}

std::string FailureMessage(const RunReport& report) {
    std::string message = "Setup could not complete these steps:\n";
    std::size_t listed = 0;
    for (const ReportedAction& action : report.Actions()) {
        if (action.outcome != Outcome::Failed) continue;
        if (listed++ == kMaxListedFailures) break;
        message += "\n" + DescribeAction(action);
    }
    if (report.FailureCount() > kMaxListedFailures)
        message += "\n... and " + std::to_string(report.FailureCount() - kMaxListedFailures) + " more";
    return message;
}

}  // namespace kelsetup
