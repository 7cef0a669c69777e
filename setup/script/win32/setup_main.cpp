// Setup's entry point: everything else lives in the setup library.

#include "setup_app.h"
#include "win32_platform.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    InitCommonControls();  // the progress window's bar
    // Held for the whole program (a run's own thread holds one as well), so that each shortcut's
    // own initialise and uninitialise pair is only counted and the component library is not
    // loaded anew for every shortcut.
    CoInitialize(nullptr);
    kelsetup::Win32Platform platform;
    const int code = kelsetup::RunSetup(instance, platform, commandLine ? commandLine : "");
    CoUninitialize();
    return code;
}
