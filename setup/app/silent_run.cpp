#include "silent_run.h"

#include "install_run.h"
#include "primitives.h"
#include "uninstall_run.h"

namespace kelsetup {

std::string RememberedInstallDirectory(SetupPlatform& platform, const SetupInfo& info) {
    const auto remembered = platform.QueryValue(info.dirKeyRoot, info.dirKeyPath, info.dirValueName, kMaxTextLength + 1);
    const std::string directory = remembered ? remembered->substr(0, remembered->find('\0')) : std::string();
    return directory.empty() ? info.defaultInstallDir : directory;
}

InstallOptions SilentInstallOptions(const SetupInfo& info, const SetupCommand& command) {
    InstallOptions options{info.initialChecks[0] == 1, info.initialChecks[1] == 1, command.start,
                           info.initialChecks[3] == 1};
    if (command.noShortcuts) options.startGroup = options.addToFolder = false;
    if (command.noUninstall) options.uninstallRoutine = false;
    return options;
}

bool SilentProgress::AskInstallConflict(const VersionConflictInfo& conflict) {
    const auto parts = [](const FileVersion& v) { return std::tuple(v.major, v.minor, v.third, v.fourth); };
    return parts(conflict.installing) > parts(conflict.existing);
}

namespace {

std::string OnOff(bool on) { return on ? "on" : "off"; }

}  // namespace

int RunSilentInstall(SetupPlatform& platform, const SetupInfo& info, const SetupCommand& command,
                     const std::string& startDirectory, RunLog& log) {
    const std::string directory = command.installDir.value_or(RememberedInstallDirectory(platform, info));
    const std::string folder = command.folder.value_or(info.productName);
    const InstallOptions options = SilentInstallOptions(info, command);
    log.Note("install directory: " + directory);
    log.Note("program folder: " + folder);
    log.Note("options: start group " + OnOff(options.startGroup) + ", uninstall routine " + OnOff(options.uninstallRoutine) +
             ", start after installation " + OnOff(options.startAfter) + ", add to folder " + OnOff(options.addToFolder));
    const std::string root = DriveRootOf(directory);
    const auto free = platform.FreeKilobytes(root);
    if (CheckFreeSpace(free, info.requiredKilobytes) == SpaceVerdict::AskUser) {
        log.Note("stopped before changing anything: " + std::to_string(info.requiredKilobytes) + " KB are needed on " + root +
                 ", " + (free ? std::to_string(*free) + " KB are free" : std::string("its free space is not known")));
        return kExitNoSpace;
    }
    SilentProgress progress;
    InstallContext context{.platform = platform, .progress = progress, .info = info,
                           .installDir = directory, .options = options,
                           .folderName = folder, .startDirectory = startDirectory};
    log.Follow(context.report);
    RunInstall(context);
    return ExitCodeAfterRun(context.report);
}

int RunSilentUninstall(SetupPlatform& platform, const SetupInfo& info, const std::string& folder, RunLog& log) {
    const UninstallRequest request{RememberedInstallDirectory(platform, info), true, JoinPath(folder, "setup.txt")};
    log.Note("install directory: " + request.installDir);
    if (!platform.SameFile(folder, request.installDir)) {
        log.Note("stopped: " + folder + " is not the install directory " + request.installDir +
                 "; nothing was removed.");
        return kExitCancelled;
    }
    log.Note("options: remove registry entries on");
    SilentProgress progress;
    RunReport report;
    log.Follow(report);
    if (!RunUninstall(platform, progress, info, request, report)) return kExitNoScript;
    return ExitCodeAfterRun(report);
}

int RunSilentSetup(SetupPlatform& platform, const SetupCommand& command, const std::string& arguments,
                   const StartPlaces& places) {
    LineWriter writer;
    if (OpenRunLog(platform, command, writer)) return kExitCancelled;  // nowhere to say more
    RunLog log(std::move(writer));
    log.Note("setup, with nothing shown; command line: " + arguments);
    const auto stop = [&log](const StartProblem& problem) {
        log.Note("stopped: " + problem.message);
        return problem.exitCode;
    };
    int exitCode = kExitCancelled;  // /? shows nothing without windows
    SetupInfo info;
    std::string directory;
    if (!command.problem.empty()) exitCode = stop({.exitCode = kExitCancelled, .message = command.problem});
    else if (command.help) exitCode = kExitCancelled;
    else if (const auto problem = ChooseStart(platform, command, places, info, log, directory)) exitCode = stop(*problem);
    else if (command.Installs()) exitCode = RunSilentInstall(platform, info, command, directory, log);
    else exitCode = RunSilentUninstall(platform, info, directory, log);
    log.End(exitCode);
    return exitCode;
}

}  // namespace kelsetup
