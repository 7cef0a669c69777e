#pragma once
// Lets a run work on a thread of its own while the progress window stays with the window
// thread. Status lines and the bar are only stored by the run; the window thread shows the
// latest of them whenever it calls ShowPending (on a short timer), so a run of many small
// files does not wait for a repaint per file, and the window keeps repainting during a long
// copy. Everything the user must see at once or answer (showing and hiding the window, the
// conflict question, the finish dialog) is handed to the window thread and waited for, after
// what is pending has been shown.

#include "progress.h"

#include <functional>
#include <mutex>
#include <string>

namespace kelsetup {

class ProgressRelay final : public Progress {
public:
    // Runs its argument on the window thread and returns when it has run.
    using OnWindowThread = std::function<void(const std::function<void()>&)>;

    ProgressRelay(Progress& window, OnWindowThread onWindowThread);

    // The run's side.
    void ShowStatus(const std::string& action, const std::string& detail1, const std::string& detail2,
                    const std::string& detail3) override;
    void ShowAction(const std::string& action) override;
    void SetProgressPercent(int percent) override;
    void BeginRun() override;
    void EndRun() override;
    bool AskInstallConflict(const VersionConflictInfo& conflict) override;
    void ShowProblems(const std::string& message) override;
    void ShowFinish(const std::string& text, bool install) override;

    // The window thread's side: shows what was stored since the last call.
    void ShowPending();

private:
    struct Pending {
        std::string lines[4];  // the action line and three details
        bool actionSet = false;
        bool detailsSet = false;  // set together with the action line
        int percent = -1;         // none
    };

    Progress& window_;
    OnWindowThread onWindowThread_;
    std::mutex mutex_;
    Pending pending_;

    // Shows what is pending, then does `step` with the window, both on the window thread.
    void Handover(const std::function<void()>& step);
};

}  // namespace kelsetup
