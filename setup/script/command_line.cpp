#include "command_line.h"

namespace kelsetup {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    if (start.empty() || text.size() < start.size()) return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (Lower(text[i]) != Lower(start[i])) return false;
    return true;
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

}  // namespace

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
