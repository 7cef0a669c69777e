#pragma once
// Playing the user of another program's windows: finding them by caption and pressing their
// buttons. Used by the end-to-end tests, the setup benchmark and win_driver; header-only so
// that each of those programs takes it without a library.

#include <windows.h>

#include <algorithm>
#include <string>

namespace window_driving {

// A POSIX path as Wine sees it (drive Z: is the POSIX root); Windows paths stay as they are.
inline std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The visible top-level window of that caption, or nothing once `timeoutMs` has passed.
inline HWND WaitForWindow(const char* caption, DWORD timeoutMs = 20000, DWORD pollMs = 50) {
    const DWORD start = GetTickCount();
    do {
        HWND window = FindWindowA(nullptr, caption);
        if (window && IsWindowVisible(window)) return window;
        Sleep(pollMs);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

// The text of a message box, as the user reads it.
inline std::string MessageText(HWND box) {
    char text[8192] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message box's text control
    return text;
}

// Waits for the window of `caption`; a window of `interim` caption (a message box) that shows
// on the way is answered with OK and its text appended to `seen`. Nothing once `timeoutMs`
// has passed.
inline HWND WaitForWindowPast(const char* caption, const char* interim, std::string& seen, DWORD timeoutMs = 20000) {
    const DWORD start = GetTickCount();
    do {
        if (HWND box = FindWindowA(nullptr, interim); box && IsWindowVisible(box)) {
            seen += MessageText(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            while (IsWindow(box) && GetTickCount() - start < timeoutMs) Sleep(20);
        }
        HWND window = FindWindowA(nullptr, caption);
        if (window && IsWindowVisible(window)) return window;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

// What a click on the button does: its command, as the button would send it.
inline void Press(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// Starts a program as Windows starts a registered command (its path as the application, the
// command line as given) and waits for it to end. `shown` gets the most windows it had visible
// at once; a program that shows one is ended (exit code 99), since it was to show none.
// Returns the exit code, or (DWORD)-1 when the program could not be started.
inline DWORD RunWatchingWindows(const std::string& program, std::string commandLine, const std::string& directory,
                                int& shown) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    shown = 0;
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                        &startup, &process))
        return static_cast<DWORD>(-1);
    struct Seen {
        DWORD process;
        int count;
    } seen{process.dwProcessId, 0};
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        seen.count = 0;
        EnumWindows([](HWND window, LPARAM data) {
            auto& counted = *reinterpret_cast<Seen*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == counted.process && IsWindowVisible(window)) ++counted.count;
            return TRUE;
        }, reinterpret_cast<LPARAM>(&seen));
        shown = std::max(shown, seen.count);
        if (shown > 0) TerminateProcess(process.hProcess, 99);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace window_driving
