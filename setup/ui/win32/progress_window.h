#pragma once
// The progress window (dialog 112), the finish dialog (109) and the version conflict dialog
// (115): how the runs report to the user on Windows.

#include "progress.h"

#include <string>

#include <windows.h>

namespace kelsetup {

class ProgressWindow final : public Progress {
public:
    // Creates dialog 112 hidden, owned by `owner`, with `caption`; `mainDialog` is hidden while
    // a run shows the window.
    ProgressWindow(HINSTANCE instance, HWND owner, const char* caption);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void SetMainDialog(HWND dialog) { mainDialog_ = dialog; }
    HWND Window() const { return window_; }

    void ShowStatus(const std::string& action, const std::string& detail1, const std::string& detail2,
                    const std::string& detail3) override;
    void ShowAction(const std::string& action) override;
    void SetProgressPercent(int percent) override;
    void BeginRun() override;
    void EndRun() override;
    bool AskInstallConflict(const VersionConflictInfo& conflict) override;
    void ShowProblems(const std::string& message) override;
    void ShowFinish(const std::string& text, bool install) override;

private:
    HINSTANCE instance_;
    HWND owner_;
    HWND window_ = nullptr;
    HWND mainDialog_ = nullptr;
    // What the window shows now: a line or bar already showing its value is not set again.
    std::string shown_[4] = {"\x01", "\x01", "\x01", "\x01"};  // nothing shown yet
    int percent_ = -1;

    void SetLine(int index, int control, const std::string& text);
};

}  // namespace kelsetup
