#pragma once
// What a run did, action by action: done, skipped (and why), failed (and the system's words
// for it), or left for the next restart. The runs go on past a failure as they always have;
// the report lets them tell the user afterwards, instead of a failure passing for success,
// and lets a log follow the run as it goes.

#include "setup_platform.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kelsetup {

enum class Outcome { Done, Skipped, Failed, LeftForRestart };

struct ReportedAction {
    std::string action;   // what was done, "Copying file" for instance
    std::string subject;  // the path, key or program it was done to
    Outcome outcome = Outcome::Done;
    std::string detail;   // why it was skipped, or the system's text for the failure
};

class RunReport {
public:
    // Every action as it is recorded, for a log that follows the run.
    using Listener = std::function<void(const ReportedAction&)>;
    void SetListener(Listener listener) { listener_ = std::move(listener); }

    void Record(ReportedAction action);
    void Done(const std::string& action, const std::string& subject);
    void Skipped(const std::string& action, const std::string& subject, const std::string& why);
    void Failed(const std::string& action, const std::string& subject, const std::string& error);
    // `needsRestart` false: something that is always left for the restart (the uninstaller's own
    // program and folder), logged as such but no reason to ask for one.
    void LeftForRestart(const std::string& action, const std::string& subject, bool needsRestart = true);
    // Done when `succeeded`, otherwise failed with the platform's text for its last failure.
    // Returns `succeeded`.
    bool Check(SetupPlatform& platform, const std::string& action, const std::string& subject, bool succeeded);

    const std::vector<ReportedAction>& Actions() const { return actions_; }
    std::size_t FailureCount() const { return failures_; }
    bool NeedsRestart() const { return needsRestart_; }

private:
    std::vector<ReportedAction> actions_;
    std::size_t failures_ = 0;
    bool needsRestart_ = false;
    Listener listener_;
};

// One line for an action: "Copying file C:\Apps\a.exe: Access is denied."
std::string DescribeAction(const ReportedAction& action);

// The message that names what failed: "Setup could not complete these steps:", at most
// kMaxListedFailures lines, then "... and N more".
inline constexpr std::size_t kMaxListedFailures = 20;
std::string FailureMessage(const RunReport& report);

}  // namespace kelsetup
