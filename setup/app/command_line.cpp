#include "command_line.h"

#include "primitives.h"

namespace kelsetup {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    return !start.empty() && text.size() >= start.size() && EqualsIgnoringCase(text.substr(0, start.size()), start);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Where the program name ends in an unquoted command line.
std::size_t EndOfUnquotedProgram(std::string_view commandLine, std::string_view modulePath) {
    if (StartsWithIgnoringCase(commandLine, modulePath) &&
        (commandLine.size() == modulePath.size() || IsBlank(commandLine[modulePath.size()])))
        return modulePath.size();
    const std::size_t slash = modulePath.find_last_of("\\/");
    const std::string_view fileName = slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
    for (std::size_t at = 0; !fileName.empty() && at + fileName.size() <= commandLine.size(); ++at) {
        const std::size_t end = at + fileName.size();
        if (StartsWithIgnoringCase(commandLine.substr(at), fileName) &&
            (end == commandLine.size() || IsBlank(commandLine[end])) && (at == 0 || commandLine[at - 1] == '\\' ||
                                                                         commandLine[at - 1] == '/' || commandLine[at - 1] == ':'))
            return end;
    }
    std::size_t end = 0;
    while (end < commandLine.size() && !IsBlank(commandLine[end])) ++end;
    return end;
}

// The switch that `word` begins with, matched without regard to case; `value` gets what
// follows its "=", without one pair of surrounding quotes. Empty when the word is no switch.
std::string_view SwitchOf(std::string_view word, std::string& value) {
    static constexpr std::string_view kFlags[] = {"/S", "/?", "/START", "/NOSHORTCUTS", "/NOUNINSTALL"};
    static constexpr std::string_view kValued[] = {"/D=", "/FOLDER=", "/LOG="};
    for (std::string_view flag : kFlags)
        if (word.size() == flag.size() && StartsWithIgnoringCase(word, flag)) return flag;
    for (std::string_view valued : kValued)
        if (StartsWithIgnoringCase(word, valued)) {
            value = DirectoryArgument(word.substr(valued.size()));
            return valued;
        }
    return {};
}

// A word without one pair of double quotes around the whole of it, as PowerShell and many
// deployment tools pass a switch with a blank in its value: "/D=C:\Program Files\X".
std::string_view Unquoted(std::string_view word) {
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') return word.substr(1, word.size() - 2);
    return word;
}

// The next word of `text` from `at`: up to a blank outside double quotes.
std::string_view NextWord(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    const std::size_t begin = at;
    bool quoted = false;
    for (; at < text.size() && (quoted || !IsBlank(text[at])); ++at)
        if (text[at] == '"') quoted = !quoted;
    return text.substr(begin, at - begin);
}

}  // namespace

bool IsUsableDirectory(std::string_view path) {
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    std::size_t rest = 0;  // where the part after the drive or share begins
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
        rest = 3;
    } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        const std::size_t server = path.find('\\', 2);
        if (server == std::string_view::npos || server == 2) return false;
        const std::size_t share = path.find('\\', server + 1);
        if (share == server + 1) return false;
        if (share == std::string_view::npos && server + 1 == path.size()) return false;
        rest = 2;
    } else {
        return false;
    }
    for (std::size_t at = rest; at < path.size(); ++at) {
        const auto c = static_cast<unsigned char>(path[at]);
        if (c < 0x20 || std::string_view("\"<>|?*:").find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    return true;
}

SetupCommand ParseSetupCommand(std::string_view arguments) {
    SetupCommand command;
    std::string rest;  // the words that are no switch, in their order and spacing
    bool restNamed = false;  // some word that is no switch stood there, even if it holds nothing
    std::size_t at = 0;
    while (at < arguments.size()) {
        const std::size_t wordBegin = at;
        const std::string_view word = NextWord(arguments, at);
        if (word.empty()) break;
        std::string value;
        const std::string_view found = SwitchOf(Unquoted(word), value);
        if (found.empty()) {
            rest.append(arguments.substr(wordBegin, at - wordBegin));
            restNamed = true;
            continue;
        }
        if (found == "/S") command.silent = true;
        else if (found == "/?") command.help = true;
        else if (found == "/START") command.start = true;
        else if (found == "/NOSHORTCUTS") command.noShortcuts = true;
        else if (found == "/NOUNINSTALL") command.noUninstall = true;
        else if (found == "/FOLDER=") command.folder = value;
        else if (found == "/LOG=") command.logPath = value;
        else if (Unquoted(word).size() != word.size() || (word.size() > 3 && word[3] == '"')) {
            command.installDir = value;  // "/D=dir" or /D="dir": it ends at its closing quote
        } else {  // /D=dir: the rest of the line, blanks and all
            const std::size_t valueBegin = wordBegin + (arguments.substr(wordBegin).find('=') + 1);
            command.installDir = DirectoryArgument(arguments.substr(valueBegin));
            // A switch after it would be taken as part of the directory.
            const std::string& directory = *command.installDir;
            for (std::size_t slash = 1; slash < directory.size(); ++slash)
                if (directory[slash] == '/' && IsBlank(directory[slash - 1]))
                    command.problem = "/D= without quotes takes the rest of the command line, and a switch stands "
                                      "in it; quote the whole argument (\"/D=<directory>\") to give switches after it.";
            at = arguments.size();
        }
    }
    command.uninstallDir = DirectoryArgument(rest);
    if (!command.problem.empty()) return command;
    if (command.installDir && !command.silent) command.problem = "/D= is used with /S only.";
    else if (command.installDir && !command.Installs()) command.problem = "/D= belongs to installing, not to uninstalling.";
    else if (command.installDir && command.installDir->empty()) command.problem = "/D= names no directory.";
    else if (command.installDir && !IsUsableDirectory(*command.installDir))
        command.problem = "/D=" + *command.installDir +
                          " is not the full path of a directory (C:\\Program Files\\Tarnwick, \\\\server\\share\\Tarnwick).";
    else if (restNamed && command.Installs()) command.problem = "The directory to uninstall from is empty.";
    else if (command.folder && command.folder->empty()) command.problem = "/FOLDER= names no program folder.";
    else if (command.logPath && command.logPath->empty()) command.problem = "/LOG= names no file.";
    return command;
}

std::string UsageText() {
    return "Setup installs or removes the program its setup.txt describes.\n\n"
           "Setup.exe\t\t\tinstall, asking as it goes\n"
           "Setup.exe /S [options]\t\tinstall with nothing shown\n"
           "  /D=<directory>\t\tinto this directory (a full path; unquoted, the last argument)\n"
           "  /FOLDER=<name>\t\twith this program folder\n"
           "  /NOSHORTCUTS\t\twithout shortcuts\n"
           "  /NOUNINSTALL\t\twithout the uninstall routine\n"
           "  /START\t\t\tand start the program afterwards\n"
           "Setup.exe <directory>\t\tremove what was installed there\n"
           "Setup.exe /S <directory>\t\tremove it with nothing shown, registry entries included\n"
           "/LOG=<file>\t\t\twrite a log of the run (with any of the above)\n\n"
           "Exit codes: 0 done; 1 done, some steps failed; 2 cancelled or an unusable command line;\n"
           "3 no usable setup.txt; 4 not enough free space; 3010 done, a file in use goes at the next restart.";
}

std::string ArgumentsAfterProgram(std::string_view commandLine, std::string_view modulePath) {
    while (!commandLine.empty() && IsBlank(commandLine.front())) commandLine.remove_prefix(1);
    std::size_t end;
    if (!commandLine.empty() && commandLine.front() == '"') {
        const std::size_t close = commandLine.find('"', 1);
        end = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        end = EndOfUnquotedProgram(commandLine, modulePath);
    }
    std::string_view rest = commandLine.substr(end);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    return std::string(rest);
}

std::string DirectoryArgument(std::string_view arguments) {
    std::string_view directory = TrimBlanks(arguments);
    if (directory.size() >= 2 && directory.front() == '"' && directory.back() == '"')
        directory = TrimBlanks(directory.substr(1, directory.size() - 2));
    return std::string(directory);
}

}  // namespace kelsetup
