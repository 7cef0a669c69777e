// Setup's entry point: everything else lives in the setup library.

#include "command_line.h"
#include "setup_app.h"
#include "win32_platform.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Not the runtime's own idea of the arguments: it cuts an unquoted program path at its
    // first blank, which the uninstall entries of earlier installs hold.
    char module[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    const std::string arguments = kelsetup::ArgumentsAfterProgram(GetCommandLineA(), module);
    InitCommonControls();  // the progress window's bar
    // Held for the whole program (a run's own thread holds one as well), so that each shortcut's
    // own initialise and uninitialise pair is only counted and the component library is not
    // loaded anew for every shortcut.
    CoInitialize(nullptr);
    kelsetup::Win32Platform platform;
    const int code = kelsetup::RunSetup(instance, platform, arguments);
    CoUninitialize();
    return code;
}
