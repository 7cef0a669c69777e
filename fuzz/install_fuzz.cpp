// Runs the whole install walk on arbitrary script bytes against the recording platform, with
// every option on, then reads the settings section of the same bytes.

#include "install_actions.h"
#include "install_run.h"
#include "recording_platform.h"
#include "recording_progress.h"

#include <cstdint>
#include <string>

using namespace kelsetup;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    RecordingPlatform platform;
    platform.AddFile("setup.txt", script);
    platform.AddFile("a.txt", "a", FileVersion{1, 2, 3, 4});
    platform.AddFile("C:\\Windows\\System\\a.txt", "old", FileVersion{1, 2, 3, 5});
    platform.environment["WINDIR"] = "C:\\Windows";
    platform.CreateKey(RootKey::CurrentUser, kShellFoldersKey);
    RecordingProgress progress;
    SetupInfo info;
    ReadSetupInfo(script, info);
    InstallContext context{.platform = platform, .progress = progress, .info = info,
                           .installDir = "C:\\Apps", .options = {true, true, true, true}, .folderName = "Group"};
    RunInstall(context);
    if (progress.events.empty() || progress.events.back().rfind("finish install", 0) != 0) __builtin_trap();
    return 0;
}
