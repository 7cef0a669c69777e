#include "setup_start.h"

#include "primitives.h"
#include "script_text.h"

namespace kelsetup {

namespace {

// Whether the directory's setup.txt is a script: a notes file of that name is not.
bool HoldsScript(SetupPlatform& platform, const std::string& directory) {
    SetupInfo ignored;
    return !directory.empty() && ReadSetupInfo(ReadScript(platform, JoinPath(directory, "setup.txt")), ignored) ==
                                     SetupInfoResult::Read;
}

}  // namespace

std::optional<StartProblem> OpenRunLog(SetupPlatform& platform, const SetupCommand& command, LineWriter& writer) {
    if (!command.logPath) return std::nullopt;
    writer = platform.CreateLog(*command.logPath);
    if (writer) return std::nullopt;
    return StartProblem{kExitCancelled,
                        "Setup could not create the log file " + *command.logPath + ": " + platform.LastError().text +
                            " Nothing was changed.",
                        true};
}

std::optional<StartProblem> ChooseStart(SetupPlatform& platform, const SetupCommand& command, const StartPlaces& places,
                                        SetupInfo& info, RunLog& log, std::string& directory) {
    if (!command.Installs() && !platform.IsDirectory(command.uninstallDir))
        return StartProblem{kExitCancelled,
                            "Setup could not find the folder " + command.uninstallDir + ". Nothing was removed.", true};
    directory = command.Installs() ? places.currentDirectory : command.uninstallDir;
    // Started from elsewhere (by a deployment tool, say), an install finds its script beside
    // the program, where the package puts it, when the current directory holds none.
    if (command.Installs() && !HoldsScript(platform, directory) && HoldsScript(platform, places.programDirectory))
        directory = places.programDirectory;
    const std::string script = JoinPath(directory, "setup.txt");
    log.Note("script: " + script);
    const SetupInfoResult read = ReadSetupInfo(ReadScript(platform, script), info);
    if (read != SetupInfoResult::Read)
        return StartProblem{kExitNoScript, read == SetupInfoResult::NoScript ? kMissingScript : kBrokenScript, false};
    if (places.enter) places.enter(directory);
    return std::nullopt;
}

}  // namespace kelsetup
