#include "install_run.h"

#include "install_actions.h"
#include "primitives.h"
#include "script_text.h"

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
    SetupPlatform& platform = context.platform;
    // The remembered directory is stored without a terminating zero.
    const bool remembered = platform.CreateKey(info.dirKeyRoot, info.dirKeyPath) &&
                            platform.SetValue(info.dirKeyRoot, info.dirKeyPath, info.dirValueName, ValueType::String,
                                              context.installDir);
    context.report.Check(platform, "Remembering the install directory in",
                         std::string(RootName(info.dirKeyRoot)) + "\\" + info.dirKeyPath, remembered);
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

// The entry in the list of installed programs: the two values of old, and what that list and
// the tools that install without asking expect besides.
bool WriteUninstallEntry(InstallContext& context, const std::string& key, const ProductInfo& product) {
    SetupPlatform& platform = context.platform;
    const std::string& directory = context.installDir;
    const std::string& launch = context.info.launchProgram;
    const auto text = [&](const char* name, const std::string& value) {
        return platform.SetValue(RootKey::LocalMachine, key, name, ValueType::String, value + '\0');
    };
    const auto flag = [&](const char* name) {
        return platform.SetValue(RootKey::LocalMachine, key, name, ValueType::Number, std::string("\x01\0\0\0", 4));
    };
    bool written = platform.CreateKey(RootKey::LocalMachine, key) && text("DisplayName", context.info.productName) &&
                   text("UninstallString", UninstallCommand(directory));
    written = written && text("QuietUninstallString", QuietUninstallCommand(directory)) &&
              text("DisplayIcon", JoinPath(directory, launch.empty() ? "Setup.exe" : launch)) &&
              text("InstallLocation", directory) && flag("NoModify") && flag("NoRepair");
    if (written && !product.publisher.empty()) written = text("Publisher", product.publisher);
    if (written && !product.displayVersion.empty()) written = text("DisplayVersion", product.displayVersion);
    return written;
}

void RegisterUninstall(InstallContext& context, const ProductInfo& product) {
    Progress& progress = context.progress;
    SetupPlatform& platform = context.platform;
    progress.ShowStatus("Adding Uninstall routine to Windows...", "", "", "");
    progress.SetProgressPercent(0);
    std::string key = std::string(kUninstallKey) + "\\" + context.info.productName;
    CutToLimit(key);
    const bool registered = WriteUninstallEntry(context, key, product);
    context.report.Check(platform, "Registering the uninstall entry", "HKEY_LOCAL_MACHINE\\" + key, registered);
    progress.SetProgressPercent(20);
    const std::string copy = JoinPath(context.installDir, context.scriptName);
    const std::string script = FromStartDirectory(context, context.scriptName);
    // Installing into the start directory: the script is there already, and gets the sections.
    if (SamePath(script, copy)) context.report.Skipped("Copying the script", copy, "it is already there.");
    else context.report.Check(platform, "Copying the script", copy, platform.CopyFileOver(script, copy));
    const bool appended = platform.AppendText(copy, AppendedGroupName(context.folderName));
    if (appended) {
        progress.SetProgressPercent(40);
        context.report.Check(platform, "Adding the uninstall sections to", copy,
                             platform.AppendText(copy, AppendedCopyFile(context.scriptName)));
        progress.SetProgressPercent(60);
    } else {
        context.report.Failed("Adding the uninstall sections to", copy, platform.LastError().text);
    }
    progress.SetProgressPercent(100);
}

void LaunchProgram(InstallContext& context) {
    context.progress.ShowStatus("Launching program now...", "", "", "");
    context.progress.SetProgressPercent(0);
    const std::string program = JoinPath(context.installDir, context.info.launchProgram);
    context.report.Check(context.platform, "Starting program", program, context.platform.OpenWithShell(program));
    context.progress.SetProgressPercent(100);
}

}  // namespace

std::string UninstallCommand(const std::string& installDir) {
    // The program in quotes: Windows starts the string as it stands, and an unquoted program
    // path with a blank in it would be cut at the blank.
    std::string command = "\"" + JoinPath(installDir, "Setup.exe") + "\" " + installDir;
    CutToLimit(command);
    return command;
}

std::string QuietUninstallCommand(const std::string& installDir) {
    std::string command = "\"" + JoinPath(installDir, "Setup.exe") + "\" /S " + installDir;
    CutToLimit(command);
    return command;
}

std::string AppendedScriptText(const std::string& folderName, const std::string& scriptName) {
    return AppendedGroupName(folderName) + AppendedCopyFile(scriptName);
}

void RunInstall(InstallContext& context) {
    RememberInstallDirectory(context);
    // The script was readable at start-up; if it no longer is, the walk is skipped.
    const std::string scriptPath = FromStartDirectory(context, context.scriptName);
    const auto script = ReadScript(context.platform, scriptPath);
    if (!script) context.report.Failed("Reading the script", scriptPath, context.platform.LastError().text);
    context.progress.BeginRun();
    context.progress.ShowStatus("Searching through configuration file...", "", "", "");
    if (script) {
        ScriptStream stream(*script);
        const std::size_t deferred = WalkScript(context, stream);
        if (deferred != kNoPosition) {
            stream.Seek(deferred);
            RunScriptProgram(context.platform, context.report, context.installDir, stream);
        }
    }
    // No uninstall entry for a program that is not there: it would point at nothing.
    const bool installed = script && context.platform.IsDirectory(context.installDir);
    if (context.options.uninstallRoutine && installed) RegisterUninstall(context, ReadProductInfo(*script));
    else if (context.options.uninstallRoutine)
        context.report.Skipped("Registering the uninstall entry", context.info.productName,
                               script ? "the install directory " + context.installDir + " is not there."
                                      : "the script could not be read again.");
    if (context.options.startAfter) LaunchProgram(context);
    context.progress.EndRun();
    if (context.report.FailureCount() > 0) context.progress.ShowProblems(FailureMessage(context.report));
    context.progress.ShowFinish(context.info.installFinishText, true);
}

}  // namespace kelsetup
