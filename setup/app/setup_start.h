#pragma once
// How a run begins, with windows or without: the log asked for with /LOG=, the directory setup
// works in and the script read from it. Nothing here changes anything on the machine.

#include "command_line.h"
#include "run_log.h"
#include "setup_info.h"
#include "setup_platform.h"

#include <functional>
#include <optional>
#include <string>

namespace kelsetup {

inline constexpr const char* kMissingScript = "Setup could not find it's initalization file, please try again.";
inline constexpr const char* kBrokenScript = "Setup found an error in the setup file, please try again.";

// Where setup was started, as the system tells it.
struct StartPlaces {
    std::string currentDirectory;  // the current directory at start-up
    std::string programDirectory;  // the folder that holds the setup program itself
    // Makes the chosen directory the current one, as programs the script starts expect.
    std::function<void(const std::string& directory)> enter;
};

// Why a run cannot begin: the exit code and what to tell the user (the log, and a message
// box when windows are shown).
struct StartProblem {
    int exitCode = kExitDone;
    std::string message;
    bool warning = false;  // a warning's icon on the message box
};

// Makes the log file asked for with /LOG= (none asked: no writer, no problem). A log that
// cannot be made is a problem: the run would change the machine without the record asked for.
std::optional<StartProblem> OpenRunLog(SetupPlatform& platform, const SetupCommand& command, LineWriter& writer);

// The directory setup works in, with its script's settings in `info`: the directory given
// when uninstalling (and only that one); when installing, the current directory if its
// setup.txt has a SetupInfo section, else the folder of the setup program, where the package
// puts the script. Enters the directory. A problem when the run cannot go on.
std::optional<StartProblem> ChooseStart(SetupPlatform& platform, const SetupCommand& command, const StartPlaces& places,
                                        SetupInfo& info, RunLog& log, std::string& directory);

}  // namespace kelsetup
