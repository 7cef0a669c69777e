// Times two installers doing the same work under Wine, one after the other: our Setup.exe,
// driven through its install dialog, and an NSIS installer run silently. Both install 1,000
// files of 1 KiB, 200 registry values and 5 shortcuts.
//   setup_bench.exe SETUP_EXE OUR_START_DIR NSIS_INSTALLER
// Prints one "name: value" per line.

#include "window_driving.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using window_driving::Press;

// Polls often: the time until a window shows is part of what is measured.
HWND WaitForWindow(const char* caption) { return window_driving::WaitForWindow(caption, 120000, 5); }

HANDLE Launch(const std::string& program, const std::string& arguments, const std::string& directory) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

double Seconds(Clock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: setup_bench SETUP_EXE OUR_START_DIR NSIS_INSTALLER\n");
        return 2;
    }
    // Ours: the install dialog's Next (the directory and options come from the script), then Finish.
    auto start = Clock::now();
    HANDLE ours = Launch(argv[1], "", argv[2]);
    if (!ours) {
        std::fprintf(stderr, "cannot start %s in %s: error %lu\n", argv[1], argv[2], GetLastError());
        return 1;
    }
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
    if (!nsis) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", argv[3], GetLastError());
        return 1;
    }
    WaitForSingleObject(nsis, 600000);
    const double nsisSeconds = Seconds(Clock::now() - start);
    CloseHandle(nsis);

    std::printf("setup_seconds: %.3f\n", oursSeconds);
    std::printf("setup_start_seconds: %.3f\n", startSeconds);
    std::printf("nsis_seconds: %.3f\n", nsisSeconds);
    std::printf("setup_vs_nsis: %.2f\n", oursSeconds / nsisSeconds);
    return 0;
}
