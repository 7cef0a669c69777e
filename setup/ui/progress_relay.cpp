#include "progress_relay.h"

#include <utility>

namespace kelsetup {

ProgressRelay::ProgressRelay(Progress& window, OnWindowThread onWindowThread)
    : window_(window), onWindowThread_(std::move(onWindowThread)) {}

void ProgressRelay::ShowStatus(const std::string& action, const std::string& detail1, const std::string& detail2,
                               const std::string& detail3) {
    std::lock_guard lock(mutex_);
    pending_.lines[0] = action;
    pending_.lines[1] = detail1;
    pending_.lines[2] = detail2;
    pending_.lines[3] = detail3;
    pending_.actionSet = pending_.detailsSet = true;
}

void ProgressRelay::ShowAction(const std::string& action) {
    std::lock_guard lock(mutex_);
    pending_.lines[0] = action;
    pending_.actionSet = true;
}

void ProgressRelay::SetProgressPercent(int percent) {
    std::lock_guard lock(mutex_);
    pending_.percent = percent;
}

void ProgressRelay::ShowPending() {
    Pending shown;
    {
        std::lock_guard lock(mutex_);
        shown = std::exchange(pending_, Pending{});
    }
    if (shown.detailsSet) window_.ShowStatus(shown.lines[0], shown.lines[1], shown.lines[2], shown.lines[3]);
    else if (shown.actionSet) window_.ShowAction(shown.lines[0]);
    if (shown.percent >= 0) window_.SetProgressPercent(shown.percent);
}

void ProgressRelay::Handover(const std::function<void()>& step) {
    onWindowThread_([&] {
        ShowPending();
        step();
    });
}

void ProgressRelay::BeginRun() {
    Handover([&] { window_.BeginRun(); });
}

void ProgressRelay::EndRun() {
    Handover([&] { window_.EndRun(); });
}

bool ProgressRelay::AskInstallConflict(const VersionConflictInfo& conflict) {
    bool install = false;
    Handover([&] { install = window_.AskInstallConflict(conflict); });
    return install;
}

void ProgressRelay::ShowProblems(const std::string& message) {
    Handover([&] { window_.ShowProblems(message); });
}

void ProgressRelay::ShowFinish(const std::string& text, bool install) {
    Handover([&] { window_.ShowFinish(text, install); });
}

}  // namespace kelsetup
