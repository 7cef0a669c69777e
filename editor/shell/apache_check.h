#pragma once
// Check with Apache: Apache's own program checks the configuration (-t -f) and what it prints
// is shown; where it names a file and a line, the item standing there is selected. This is
// the portable part: finding the program, the command, reading Apache's answer and finding
// the item. Running the program is the platform's (ProgramRunner).

#include "config_document.h"
#include "registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The setting that names Apache's program (REG_SZ under the settings key).
inline constexpr const char* kApacheProgramSetting = "ApacheProgram";
// Installed services; an Apache service's ImagePath names its program.
inline constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
inline constexpr std::string_view kApacheServicePrefix = "Apache";
// Apache is given this long to check; a program still running then is ended.
inline constexpr std::uint32_t kApacheCheckTimeLimitMs = 30000;

inline constexpr const char* kApacheAcceptsMessage = "Apache accepts the configuration.";
inline constexpr const char* kApacheNotFoundMessage = "Tarnwick could not find Apache's program. Set it in Options.";
inline constexpr const char* kSaveBeforeCheckQuestion = "Save the configuration files before checking?";
inline constexpr const char* kApacheCheckCaption = "Check with Apache";

// What running a program gave.
struct ProgramRun {
    enum class Outcome { Finished, NotStarted, TimedOut };
    Outcome outcome = Outcome::NotStarted;
    std::uint32_t exitCode = 0;
    std::string output;  // standard output and standard error as the program wrote them
};

// Runs a program without a window of its own, collecting both of its outputs, and ends it when
// it has not finished within the limit.
class ProgramRunner {
public:
    virtual ~ProgramRunner() = default;
    virtual ProgramRun Run(const std::string& program, const std::string& commandLine, std::uint32_t timeLimitMs) = 0;
};

// The program a service's ImagePath names: without the quotes around it and the arguments
// after it. An unquoted path ends at the first blank after ".exe", else at the first blank.
std::string ProgramOfImagePath(std::string_view imagePath);

// The ServerRoot the open files give first, with ${NAME} expanded from their Define lines;
// empty when none gives one.
std::string OpenFilesServerRoot(const ConfigDocument& document);

// Where Apache's program is, in this order: the ApacheProgram setting when it is set;
// <ServerRoot>\bin\httpd.exe for the first ServerRoot of the open files, when that file is
// there; the program of the first installed service whose name begins with "Apache". Empty
// when none of them gives one.
std::string FindApacheProgram(const ConfigDocument& document, const Registry& registry, const std::string& setting);

// The file Apache is to read: the first open file item that no other open file includes,
// else the first file item; kNoItem when no file is open.
ItemHandle MainFileItem(const ConfigDocument& document);

// "<program>" -t -f "<main file>"
std::string ApacheCheckCommandLine(const std::string& program, const std::string& mainFile);

// A file and a line Apache names.
struct ApacheLocation {
    std::string file;
    std::uint32_t line = 0;
};

// Where Apache's output points: the last "line N of FILE" in it (for an error inside an
// included file Apache may name the whole chain of files on one line; the last is where the
// error is), else the last "FILE:N" that ends a line, as its warnings end.
std::optional<ApacheLocation> LocationInApacheOutput(std::string_view output);

// The item that stands on `line` of the file at `path` as it is on disk: a directive whose
// line or continued lines hold it, or a section whose opening or closing line does. The file
// is opened as Open opens it when no file item holds it. kNoItem when the file cannot be read
// or nothing stands on that line.
ItemHandle ItemAtFileLine(ConfigDocument& document, const std::string& path, std::uint32_t line);

// What the user is told: acceptance (with the warnings Apache printed), or what Apache printed.
std::string ApacheCheckMessage(const ProgramRun& run, const std::string& program,
                               std::uint32_t timeLimitMs = kApacheCheckTimeLimitMs);

// The whole check, once the files are as the user wants them on disk: finds the program, runs
// it on the main file, and selects the item Apache names. Returns the message to show.
struct ApacheCheckOutcome {
    std::string message;
    bool accepted = false;
    ItemHandle named = kNoItem;  // the item selected, or kNoItem
};
ApacheCheckOutcome CheckWithApache(ConfigDocument& document, const Registry& registry, const std::string& setting,
                                   ProgramRunner& runner, std::uint32_t timeLimitMs = kApacheCheckTimeLimitMs);

}  // namespace tarnwick
