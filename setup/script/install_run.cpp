#include "install_run.h"

#include "install_actions.h"
#include "primitives.h"

namespace kelsetup {

namespace {

using Handler = void (*)(InstallContext&, ScriptStream&);

struct MarkerHandler {
    const char* marker;
    Handler handler;
    bool InstallOptions::*gate;  // none: always
};

// The markers the install walk handles, in the order a line is compared with them.
const MarkerHandler kInstallMarkers[] = {
    {"KelSetup:StartMenu", InstallStartMenu, &InstallOptions::startGroup},
    {"KelSetup:RegistryValue", InstallRegistryValue, nullptr},
    {"KelSetup:RegistryStringStart", InstallRegistryString, nullptr},
    {"KelSetup:AddDirectory", InstallAddDirectory, nullptr},
    {"KelSetup:RegistryKey", InstallRegistryKey, nullptr},
    {"KelSetup:AddProgram", InstallAddProgram, &InstallOptions::addToFolder},
    {"KelSetup:CopyFile", InstallCopyFile, nullptr},
    {"KelSetup:RenameFile", InstallRenameFile, nullptr},
    {"KelSetup:SystemFile", InstallSystemFile, nullptr},
};

constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

void RememberInstallDirectory(InstallContext& context) {
    const SetupInfo& info = context.info;
    if (!context.platform.CreateKey(info.dirKeyRoot, info.dirKeyPath)) return;
    // The remembered directory is stored without a terminating zero.
    context.platform.SetValue(info.dirKeyRoot, info.dirKeyPath, info.dirValueName, ValueType::String, context.installDir);
}

// Walks the script; returns where the last InstallExecute record starts, if any.
std::size_t WalkScript(InstallContext& context, ScriptStream& stream) {
    std::size_t deferred = kNoPosition;
    WalkScriptLines(
        stream,
        [&](const std::string& line) {
            for (const MarkerHandler& entry : kInstallMarkers)
                if (IsMarker(line, entry.marker) && (!entry.gate || context.options.*entry.gate))
                    entry.handler(context, stream);
            if (IsMarker(line, "KelSetup:InstallExecute")) deferred = stream.Position();
        },
        [&](std::size_t position) { context.progress.SetProgressPercent(PercentOf(position, stream.Size())); });
    return deferred;
}

// The two sections appended to the installed copy of the script, in the order they are written.
std::string AppendedGroupName(const std::string& folderName) { return "\n\nKelSetup:GroupName\n" + folderName; }
std::string AppendedCopyFile(const std::string& scriptName) { return "\n\nKelSetup:CopyFile\n.\\\n" + scriptName + "\n"; }

void RegisterUninstall(InstallContext& context) {
    Progress& progress = context.progress;
    SetupPlatform& platform = context.platform;
    progress.ShowStatus("Adding Uninstall routine to Windows...", "", "", "");
    progress.SetProgressPercent(0);
    std::string key = std::string(kUninstallKey) + "\\" + context.info.productName;
    CutToLimit(key);
    if (platform.CreateKey(RootKey::LocalMachine, key)) {
        platform.SetValue(RootKey::LocalMachine, key, "DisplayName", ValueType::String, context.info.productName + '\0');
        platform.SetValue(RootKey::LocalMachine, key, "UninstallString", ValueType::String,
                          UninstallCommand(context.installDir) + '\0');
    }
    progress.SetProgressPercent(20);
    const std::string copy = JoinPath(context.installDir, context.scriptName);
    platform.CopyFileOver(context.scriptPath, copy);
    if (platform.AppendText(copy, AppendedGroupName(context.folderName))) {
        progress.SetProgressPercent(40);
        platform.AppendText(copy, AppendedCopyFile(context.scriptName));
        progress.SetProgressPercent(60);
    }
    progress.SetProgressPercent(100);
}

void LaunchProgram(InstallContext& context) {
    context.progress.ShowStatus("Launching program now...", "", "", "");
    context.progress.SetProgressPercent(0);
    context.platform.OpenWithShell(JoinPath(context.installDir, context.info.launchProgram));
    context.progress.SetProgressPercent(100);
}

}  // namespace

std::string UninstallCommand(const std::string& installDir) {
    std::string command = JoinPath(installDir, "Setup.exe ") + installDir;
    CutToLimit(command);
    return command;
}

std::string AppendedScriptText(const std::string& folderName, const std::string& scriptName) {
    return AppendedGroupName(folderName) + AppendedCopyFile(scriptName);
}

void RunInstall(InstallContext& context) {
    RememberInstallDirectory(context);
    // The script was readable at start-up; if it no longer is, the walk is skipped.
    const auto script = context.platform.ReadFile(context.scriptPath);
    context.progress.BeginRun();
    context.progress.ShowStatus("Searching through configuration file...", "", "", "");
    if (script) {
        ScriptStream stream(*script);
        const std::size_t deferred = WalkScript(context, stream);
        if (deferred != kNoPosition) {
            stream.Seek(deferred);
            RunScriptProgram(context.platform, context.installDir, stream);
        }
    }
    if (context.options.uninstallRoutine) RegisterUninstall(context);
    if (context.options.startAfter) LaunchProgram(context);
    context.progress.EndRun();
    context.progress.ShowFinish(context.info.installFinishText, true);
}

}  // namespace kelsetup
