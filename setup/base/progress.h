#pragma once
// How the runs tell the user what they do, and the one question they ask while running. The
// progress window carries it out; tests record it.

#include "setup_platform.h"

#include <string>

namespace kelsetup {

struct VersionConflictInfo {
    FileVersion existing;
    FileVersion installing;
    std::string fileName;
};

class Progress {
public:
    virtual ~Progress() = default;
    // Sets the action line and the three detail lines; an empty detail clears its line.
    virtual void ShowStatus(const std::string& action, const std::string& detail1, const std::string& detail2,
                            const std::string& detail3) = 0;
    // Changes the action line only.
    virtual void ShowAction(const std::string& action) = 0;
    virtual void SetProgressPercent(int percent) = 0;
    // Shows the progress window with its group captions and hides the main dialog; hides it again.
    virtual void BeginRun() = 0;
    virtual void EndRun() = 0;
    // The version conflict dialog: true to install the file, false to skip it.
    virtual bool AskInstallConflict(const VersionConflictInfo& conflict) = 0;
    // Tells the user, in one message, what the run could not do; shown before the finish dialog.
    virtual void ShowProblems(const std::string& message) = 0;
    // The finish dialog, modal; `install` chooses its caption.
    virtual void ShowFinish(const std::string& text, bool install) = 0;
};

}  // namespace kelsetup
