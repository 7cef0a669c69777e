#pragma once
// The progress window in memory: every status line, progress value and question in order.

#include "progress.h"

#include <string>
#include <vector>

namespace kelsetup {

class RecordingProgress final : public Progress {
public:
    void ShowStatus(const std::string& action, const std::string& detail1, const std::string& detail2,
                    const std::string& detail3) override {
        statuses.push_back({action, detail1, detail2, detail3});
        events.push_back("status " + action);
    }
    void ShowAction(const std::string& action) override {
        if (statuses.empty()) statuses.emplace_back(4);  // four empty lines
        std::vector<std::string> last = statuses.back();
        last[0] = action;
        statuses.push_back(last);
        events.push_back("action " + action);
    }
    void SetProgressPercent(int percent) override {
        percents.push_back(percent);
        events.push_back("percent " + std::to_string(percent));
    }
    void BeginRun() override { events.push_back("begin"); }
    void EndRun() override { events.push_back("end"); }
    bool AskInstallConflict(const VersionConflictInfo& conflict) override {
        conflicts.push_back(conflict);
        events.push_back("conflict " + conflict.fileName);
        return installOnConflict;
    }
    void ShowProblems(const std::string& message) override {
        problems.push_back(message);
        events.push_back("problems");
    }
    void ShowFinish(const std::string& text, bool install) override {
        events.push_back(std::string(install ? "finish install " : "finish uninstall ") + text);
    }

    std::vector<std::vector<std::string>> statuses;  // action and three details
    std::vector<int> percents;
    std::vector<VersionConflictInfo> conflicts;
    std::vector<std::string> events;
    std::vector<std::string> problems;
    bool installOnConflict = true;
};

}  // namespace kelsetup
