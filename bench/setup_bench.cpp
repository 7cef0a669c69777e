// Times installers doing the same work under Wine, one after the other: our Setup.exe, driven
// through its install dialog; an NSIS installer run silently; our Setup.exe run silently (/S,
// into a directory of its own); and an NSIS installer driven through the pages a user of ours
// sees too (directory, progress, close). Each installs 1,000 files of 1 KiB, 200 registry
// values and 5 shortcuts.
//   setup_bench.exe SETUP_EXE OUR_START_DIR NSIS_SILENT NSIS_WITH_PAGES
// Prints one "name: value" per line.

#include "window_driving.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using window_driving::Press;

// Polls often: the time until a window shows or a page completes is part of what is measured.
constexpr DWORD kPollMs = 5;
constexpr DWORD kPatienceMs = 120000;

HWND WaitForWindow(const char* caption) { return window_driving::WaitForWindow(caption, kPatienceMs, kPollMs); }

// True once `done` says so; false when it has not within the patience.
template <typename Condition>
bool PollUntil(Condition done) {
    for (DWORD waited = 0; waited < kPatienceMs; waited += kPollMs) {
        if (done()) return true;
        Sleep(kPollMs);
    }
    return false;
}

// The started process, or nothing after saying why on the error stream.
HANDLE Launch(const std::string& program, const std::string& arguments, const std::string& directory) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s in %s: error %lu\n", program.c_str(),
                     directory.empty() ? "this directory" : directory.c_str(), GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

double Seconds(Clock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

std::string Caption(HWND window) {
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    return caption;
}

// NSIS's window: its caption names the page after the product's ("BenchNsisPages Setup: ...").
HWND WaitForWindowStartingWith(const std::string& prefix) {
    struct Search {
        const std::string& prefix;
        HWND found = nullptr;
    } search{prefix};
    PollUntil([&] {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                if (!IsWindowVisible(window) || Caption(window).rfind(s.prefix, 0) != 0) return TRUE;
                s.found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

// NSIS's progress page is done when its caption says so and its button is enabled.
bool WaitForCompleted(HWND installer) {
    const std::string done = ": Completed";
    return PollUntil([&] {
        const std::string caption = Caption(installer);
        return caption.size() >= done.size() && caption.compare(caption.size() - done.size(), done.size(), done) == 0 &&
               IsWindowEnabled(GetDlgItem(installer, IDOK));
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: setup_bench SETUP_EXE OUR_START_DIR NSIS_SILENT NSIS_WITH_PAGES\n");
        return 2;
    }
    // Ours: the install dialog's Next (the directory and options come from the script), then Finish.
    auto start = Clock::now();
    HANDLE ours = Launch(argv[1], "", argv[2]);
    if (!ours) return 1;
    HWND dialog = WaitForWindow("Bench Setup");
    const double startSeconds = Seconds(Clock::now() - start);  // until the install dialog shows
    if (!dialog) {
        std::fprintf(stderr, "the install dialog did not come\n");
        return 1;
    }
    Press(dialog, IDOK);
    HWND finish = WaitForWindow("Install...");
    const double oursSeconds = Seconds(Clock::now() - start);  // the work is done when Finish shows
    if (finish) Press(finish, IDOK);
    WaitForSingleObject(ours, 60000);
    CloseHandle(ours);

    start = Clock::now();
    HANDLE nsis = Launch(argv[3], "/S", "");
    if (!nsis) return 1;
    WaitForSingleObject(nsis, 600000);
    const double nsisSeconds = Seconds(Clock::now() - start);
    CloseHandle(nsis);

    // Ours with nothing shown, as deployment tools run it: until the process has ended.
    start = Clock::now();
    HANDLE silent = Launch(argv[1], "/S /D=C:\\BenchOursSilent", argv[2]);
    if (!silent) return 1;
    WaitForSingleObject(silent, 600000);
    const double silentSeconds = Seconds(Clock::now() - start);
    DWORD silentCode = 0;
    GetExitCodeProcess(silent, &silentCode);
    CloseHandle(silent);
    if (silentCode != 0) std::fprintf(stderr, "the silent install ended with %lu\n", silentCode);

    // NSIS with pages: Install on the directory page, then until its progress page is done.
    start = Clock::now();
    HANDLE paged = Launch(argv[4], "", "");
    if (!paged) return 1;
    HWND installer = WaitForWindowStartingWith("BenchNsisPages Setup");
    if (!installer) {
        std::fprintf(stderr, "the NSIS installer's window did not come\n");
        return 1;
    }
    Press(installer, IDOK);
    const bool closed = WaitForCompleted(installer);
    const double pagedSeconds = Seconds(Clock::now() - start);
    if (closed) Press(installer, IDOK);
    WaitForSingleObject(paged, 60000);
    CloseHandle(paged);

    std::printf("setup_seconds: %.3f\n", oursSeconds);
    std::printf("setup_start_seconds: %.3f\n", startSeconds);
    std::printf("nsis_silent_seconds: %.3f\n", nsisSeconds);
    std::printf("nsis_with_pages_seconds: %.3f\n", pagedSeconds);
    std::printf("setup_vs_nsis_silent: %.2f\n", oursSeconds / nsisSeconds);
    std::printf("setup_vs_nsis_with_pages: %.2f\n", oursSeconds / pagedSeconds);
    std::printf("setup_silent_seconds: %.3f\n", silentSeconds);
    std::printf("silent_vs_nsis_silent: %.2f\n", silentSeconds / nsisSeconds);
    return 0;
}
