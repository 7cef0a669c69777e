#pragma once
// What setup is asked to do, read from its command line as Windows hands it over.

#include <optional>
#include <string>
#include <string_view>

namespace kelsetup {

// The text after the program name. Windows starts a registered command as it stands, so the
// program path may be quoted or not, and an unquoted one may hold blanks: a quoted path ends
// at its closing quote; an unquoted one that is this program's own path (compared without
// regard to case) ends after it; otherwise the name ends after this program's file name
// followed by a blank, or, failing that, at the first blank. Blanks before the text go.
std::string ArgumentsAfterProgram(std::string_view commandLine, std::string_view modulePath);

// The directory an uninstall is started with: blanks around it and one pair of surrounding
// double quotes go.
std::string DirectoryArgument(std::string_view arguments);

// Whether `path` can be an install directory given on the command line: a full path (a drive
// letter, a colon and a backslash, or "\\server\share"), with no character Windows forbids in
// a path (control characters, "<>|?* and a colon after the drive's).
bool IsUsableDirectory(std::string_view path);

// What the command line asks for. Switches are words that begin with "/" and are one of those
// below (in any case); one pair of double quotes around a whole word goes before switches are
// recognised. An unquoted `/D=` takes the rest of the line (a switch within it makes the line
// unusable); "/D=dir" and /D="dir" end at their closing quote. Whatever else stands there is
// the directory to uninstall from, as a command line without switches always was; none means
// installing, and one that is empty or blank makes the line unusable.
//   /S           nothing shown: install with the defaults, or uninstall with registry removal
//   /D=dir       install there (with /S only; a full path; unquoted, the last argument)
//   /FOLDER=name the program folder          /NOSHORTCUTS  neither Startup nor folder shortcuts
//   /NOUNINSTALL no uninstall routine        /START        start the program after installing
//   /LOG=file    write a log of the run      /?            show these forms
struct SetupCommand {
    bool silent = false;
    bool help = false;
    bool start = false;
    bool noShortcuts = false;
    bool noUninstall = false;
    std::optional<std::string> installDir;
    std::optional<std::string> folder;
    std::optional<std::string> logPath;
    std::string uninstallDir;  // empty: install
    std::string problem;       // why the command line cannot be used; empty when it can

    bool Installs() const { return uninstallDir.empty(); }
};

SetupCommand ParseSetupCommand(std::string_view arguments);

// The message that lists the command line forms (for /?).
std::string UsageText();

}  // namespace kelsetup
