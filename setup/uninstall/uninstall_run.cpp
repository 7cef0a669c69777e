#include "uninstall_run.h"

#include "install_actions.h"
#include "install_run.h"
#include "primitives.h"
#include "script_text.h"

namespace kelsetup {

namespace {

using Handler = void (*)(UninstallContext&, ScriptStream&);

struct MarkerHandler {
    const char* marker;
    Handler handler;
    bool needsRegistryOption;
};

const MarkerHandler kPassOne[] = {{"KelSetup:RenameFile", UninstallRenameFile, false}};
const MarkerHandler kPassTwo[] = {
    {"KelSetup:StartMenu", UninstallStartMenu, false},
    {"KelSetup:RegistryValue", UninstallRegistryValue, true},
    {"KelSetup:RegistryStringStart", UninstallRegistryString, true},
    {"KelSetup:CopyFile", UninstallCopyFile, false},
};
const MarkerHandler kPassThree[] = {
    {"KelSetup:AddDirectory", UninstallAddDirectory, false},
    {"KelSetup:RegistryKey", UninstallRegistryKey, true},
};

constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

// Whether the install directory holds none of the files the script's CopyFile sections name
// (nor the new names its RenameFile records give them), while naming at least one. The script
// and the setup program do not count: an uninstall runs with both in place, so they show
// nothing about the installation being there.
bool NothingInstalledIsThere(SetupPlatform& platform, const std::string& script, const UninstallRequest& request) {
    bool named = false, found = false;
    const auto look = [&](const std::string& path, const std::string& name) {
        if (found || name.find_first_of("*?") != std::string::npos || SamePath(path, request.scriptPath) ||
            SamePath(path, JoinPath(request.installDir, "setup.txt")) || SamePath(path, SetupProgramPath(request.installDir)))
            return;
        named = true;
        found = !platform.FindFiles(path).empty();
    };
    ScriptStream stream(script);
    WalkScriptLines(
        stream,
        [&](const std::string& line) {
            RecordSlots slots;
            if (IsMarker(line, "KelSetup:RenameFile") && ReadSingleRecord(stream, 2, slots)) {
                TrimScriptLine(slots[1]);
                look(JoinPath(request.installDir, slots[1]), slots[1]);
            }
            if (!IsMarker(line, "KelSetup:CopyFile")) return;
            const RecordSection copies{
                .lines = 2,
                .prepare =
                    [](RecordSlots& record) {
                        TrimScriptLine(record[0]);
                        TrimScriptLine(record[1]);
                    },
                .act = [&](RecordSlots& record) { look(JoinPath(JoinPath(request.installDir, record[0]), record[1]), record[1]); }};
            ForEachRecord(stream, copies);
        },
        [](std::size_t) {});
    return named && !found;
}

// The remembered install directory that the install run wrote, and its key once nothing else
// is left in it; whatever else is kept there (the user's own settings) stays.
void RemoveRememberedDirectory(UninstallContext& context) {
    const SetupInfo& info = context.info;
    SetupPlatform& platform = context.platform;
    const std::string key = std::string(RootName(info.dirKeyRoot)) + "\\" + info.dirKeyPath;
    ReportRemoval(context, "Removing registry value", info.dirValueName + " in " + key,
                  platform.DeleteValue(info.dirKeyRoot, info.dirKeyPath, info.dirValueName));
    if (platform.KeyHoldsNothing(info.dirKeyRoot, info.dirKeyPath))
        ReportRemoval(context, "Removing registry key", key, platform.DeleteKey(info.dirKeyRoot, info.dirKeyPath));
}

// One pass over the script: its marker table, then `extra` for every trimmed line; the bar
// runs through a third of its length from `offset`.
template <std::size_t N, typename Extra>
void Walk(const std::string& script, UninstallContext& context, Progress& progress, const MarkerHandler (&handlers)[N],
          int offset, Extra extra) {
    ScriptStream stream(script);
    WalkScriptLines(
        stream,
        [&](const std::string& line) {
            for (const MarkerHandler& entry : handlers)
                if (IsMarker(line, entry.marker) && (!entry.needsRegistryOption || context.removeRegistry))
                    entry.handler(context, stream);
            extra(line, stream);
        },
        [&](std::size_t position) { progress.SetProgressPercent(PercentOf(position, stream.Size()) / 3 + offset); });
}

}  // namespace

bool RunUninstall(SetupPlatform& platform, Progress& progress, const SetupInfo& info, const UninstallRequest& request,
                  RunReport& report) {
    // Read once: the script stays readable for every pass, even after pass 2 deletes its file.
    const auto script = ReadScript(platform, request.scriptPath);
    if (!script) {
        report.Failed("Reading the script", request.scriptPath, platform.LastError().text);
        return false;
    }
    if (NothingInstalledIsThere(platform, *script, request)) {
        // Removing the entry and the script now would leave nothing that could remove the
        // installation wherever it is; they stay, and the run is a failure.
        report.Failed("Uninstalling from", request.installDir,
                      "none of the installed files is there; nothing was removed.");
        progress.ShowProblems(FailureMessage(report));
        return true;
    }
    UninstallContext context{platform, info, report, request.installDir, request.removeRegistry, ""};
    progress.BeginRun();
    progress.ShowStatus("Removing files, registry items and program groups...", "", "", "");

    Walk(*script, context, progress, kPassOne, 0, [](const std::string&, ScriptStream&) {});
    std::string folder;
    Walk(*script, context, progress, kPassTwo, 33, [&folder](const std::string& line, ScriptStream& stream) {
        if (IsMarker(line, "KelSetup:GroupName")) {
            folder.clear();
            stream.ReadLine(folder);  // the last GroupName counts
        }
    });
    TrimScriptLine(folder);
    context.folderName = folder;

    progress.ShowAction("Removing directories and regisitry keys...");
    std::size_t deferred = kNoPosition;
    Walk(*script, context, progress, kPassThree, 67, [&](const std::string& line, ScriptStream& stream) {
        if ((IsMarker(line, "KelSetup:AddProgram") || IsMarker(line, "KelSetup:GroupName")) && !context.folderName.empty())
            UninstallAddProgram(context, stream);
        if (IsMarker(line, "KelSetup:UninstallExecute")) deferred = stream.Position();
    });
    if (deferred != kNoPosition) {
        ScriptStream stream(*script);
        stream.Seek(deferred);
        RunScriptProgram(platform, report, request.installDir, stream);
    }

    progress.ShowAction("Finishing uninstall...");
    progress.SetProgressPercent(0);
    if (request.removeRegistry) RemoveRememberedDirectory(context);
    std::string entry = std::string(kUninstallKey) + "\\" + info.productName;
    CutToLimit(entry);
    ReportRemoval(context, "Removing the uninstall entry", "HKEY_LOCAL_MACHINE\\" + entry,
                  platform.DeleteKey(RootKey::LocalMachine, entry));
    progress.SetProgressPercent(33);
    ReportRemoval(context, "Removing file", request.scriptPath, platform.RemoveFile(request.scriptPath));
    progress.SetProgressPercent(66);
    ScheduleSelfRemoval(platform, report, request.installDir);
    progress.SetProgressPercent(100);
    progress.EndRun();
    if (report.FailureCount() > 0) progress.ShowProblems(FailureMessage(report));
    progress.ShowFinish(info.uninstallFinishText, false);
    return true;
}

}  // namespace kelsetup
