// Plays the user for the run script on a virtual display: finds top-level windows by caption
// and sends them what a click or a typed text would.
//   win_driver wait CAPTION | press CAPTION ID | command CAPTION ID | settext CAPTION ID TEXT
// Exits 0 when done, 1 when the window never came.

#include "window_driving.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: win_driver wait|press|command|settext CAPTION [ID [TEXT]]\n");
        return 2;
    }
    HWND window = window_driving::WaitForWindow(argv[2], 60000);
    if (!window) {
        std::fprintf(stderr, "no window \"%s\"\n", argv[2]);
        return 1;
    }
    const int id = argc > 3 ? std::atoi(argv[3]) : 0;
    if (!std::strcmp(argv[1], "press")) PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    else if (!std::strcmp(argv[1], "command")) PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    else if (!std::strcmp(argv[1], "settext") && argc > 4) SetDlgItemTextA(window, id, argv[4]);
    return 0;
}
