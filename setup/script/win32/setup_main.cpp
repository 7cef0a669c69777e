// Setup's entry point: everything else lives in the setup library.

#include "setup_app.h"
#include "win32_platform.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    InitCommonControls();  // the progress window's bar
    kelsetup::Win32Platform platform;
    return kelsetup::RunSetup(instance, platform, commandLine ? commandLine : "");
}
