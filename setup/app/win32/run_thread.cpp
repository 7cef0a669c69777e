#include "run_thread.h"

#include <objbase.h>

#include <utility>

namespace kelsetup {

bool RunThread::Start(HWND owner, Progress& window, Work work) {
    if (Running()) return false;
    owner_ = owner;
    work_ = std::move(work);
    relay_ = std::make_unique<ProgressRelay>(window, [owner](const std::function<void()>& step) {
        SendMessageA(owner, kHandOver, 0, reinterpret_cast<LPARAM>(&step));
    });
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (thread_) {
        SetTimer(owner, kShowTimer, kShowEveryMs, nullptr);
        return true;
    }
    relay_.reset();
    inline_ = true;
    work_(window);
    inline_ = false;
    PostMessageA(owner, kRunEnded, 0, 0);
    return true;
}

DWORD WINAPI RunThread::ThreadMain(void* self) {
    auto& run = *static_cast<RunThread*>(self);
    // Shortcuts and the shell need the component library on this thread too.
    CoInitialize(nullptr);
    run.work_(*run.relay_);
    CoUninitialize();
    PostMessageA(run.owner_, kRunEnded, 0, 0);
    return 0;
}

bool RunThread::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kHandOver) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return true;
    }
    if (message == WM_TIMER && wParam == kShowTimer) {
        if (relay_) relay_->ShowPending();
        return true;
    }
    return false;
}

void RunThread::Join() {
    if (!thread_) return;
    while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG sent;
        PeekMessageA(&sent, nullptr, 0, 0, PM_NOREMOVE);  // serves messages sent by the run
    }
    CloseHandle(thread_);
    thread_ = nullptr;
    KillTimer(owner_, kShowTimer);
    relay_.reset();
}

}  // namespace kelsetup
