#pragma once
// An install or uninstall run on a thread of its own. The window thread keeps its message
// loop: it repaints the progress window during a long copy and shows the run's status lines
// at its own pace, instead of the run waiting for a repaint for every file. The owner window
// passes its messages to HandleMessage and is told by kRunEnded when the run is over.

#include "progress_relay.h"

#include <functional>
#include <memory>

#include <windows.h>

namespace kelsetup {

class RunThread {
public:
    using Work = std::function<void(Progress&)>;
    static constexpr UINT kRunEnded = WM_APP + 2;  // posted to the owner when the work is done

    RunThread() = default;
    RunThread(const RunThread&) = delete;
    RunThread& operator=(const RunThread&) = delete;
    ~RunThread() { Join(); }

    // Starts `work`, which reports through `window` by way of the owner's messages. When no
    // thread can be had, the work runs here and now with `window` itself. Refuses, returning
    // false, while an earlier run has not been joined: its thread still uses this state.
    bool Start(HWND owner, Progress& window, Work work);
    // A run was started and has not been joined yet.
    bool Running() const { return thread_ != nullptr || inline_; }
    // The run's own messages to the owner; true when `message` was one of them.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Waits until the thread has ended; meanwhile the run's hand-overs are still served.
    void Join();

private:
    static constexpr UINT kHandOver = WM_APP + 1;
    static constexpr UINT_PTR kShowTimer = 1;
    static constexpr UINT kShowEveryMs = 25;  // a person cannot read faster

    static DWORD WINAPI ThreadMain(void* self);

    HWND owner_ = nullptr;
    Work work_;
    std::unique_ptr<ProgressRelay> relay_;
    HANDLE thread_ = nullptr;
    bool inline_ = false;  // the work runs on the window thread, since no thread could be had
};

}  // namespace kelsetup
