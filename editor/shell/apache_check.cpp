#include "apache_check.h"

#include "config_lines.h"
#include "config_reader.h"
#include "included_files.h"
#include "memory_tree.h"
#include "registry_value.h"
#include "template_store.h"
#include "tree_walk.h"

#include <map>
#include <vector>

namespace tarnwick {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A line number of at most nine digits (longer ones name no line of a file we read).
std::uint32_t LineNumber(std::string_view digits) {
    std::uint32_t number = 0;
    for (const char c : digits.substr(0, 9)) number = number * 10 + static_cast<std::uint32_t>(c - '0');
    return number;
}

std::string WithBackslashes(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The folder part of a path, up to and with its last separator; empty when it has none.
std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The ServerRoot and the Define names of the open files, in the order Apache meets them.
struct OpenFileSettings {
    std::string serverRoot;
    std::map<std::string, std::string> defines;
};

OpenFileSettings LearnOpenFileSettings(const ConfigTree& tree) {
    OpenFileSettings settings;
    bool haveRoot = false;
    for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file)) {
        VisitInFileOrder(tree, file, [&](ItemHandle item) {
            const ItemView view = tree.GetItem(item);
            const std::vector<std::string> words = DirectiveArguments(view.value);
            if (EqualsIgnoringCase(view.text, "ServerRoot") && !haveRoot && !words.empty()) {
                settings.serverRoot = words[0];
                haveRoot = true;
            } else if (EqualsIgnoringCase(view.text, "Define") && words.size() >= 2) {
                settings.defines[words[0]] = ExpandDefinedNames(words[1], settings.defines);
            }
        });
    }
    settings.serverRoot = ExpandDefinedNames(settings.serverRoot, settings.defines);
    return settings;
}

// Whether an Include of `included` (a resolved path, perhaps with a wildcard in its last
// part, perhaps a whole directory) reads the file at `target`.
bool IncludeReads(const std::string& included, const std::string& target) {
    const std::string includedKey = PathKey(included), targetKey = PathKey(target);
    const std::string last = NameOf(included);
    if (last.find_first_of("*?") != std::string::npos)
        return PathKey(FolderOf(included)) == PathKey(FolderOf(target)) && MatchesWildcard(last, NameOf(target));
    if (includedKey == targetKey) return true;
    const std::string folderKey = includedKey.empty() || includedKey.back() == '\\' ? includedKey : includedKey + '\\';
    return targetKey.size() > folderKey.size() && targetKey.compare(0, folderKey.size(), folderKey) == 0;
}

// Offsets of the line starts of a file: a line ends at LF, CR LF or a lone CR, as the reader
// ends it. Returns the offset where line `line` (from 1) starts, or nothing past the end.
std::optional<std::size_t> LineStart(const std::string& bytes, std::uint32_t line) {
    if (line == 0) return std::nullopt;
    std::size_t at = 0;
    for (std::uint32_t current = 1; current < line; ++current) {
        const std::size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string::npos) return std::nullopt;
        at = end + 1;
        if (bytes[end] == '\r' && at < bytes.size() && bytes[at] == '\n') ++at;
    }
    if (at >= bytes.size()) return std::nullopt;
    return at;
}

// The child indexes that lead from a file item down to `item`.
std::vector<std::size_t> PathFromFile(const ConfigTree& tree, ItemHandle file, ItemHandle item) {
    std::vector<std::size_t> path;
    for (ItemHandle at = item; at != file && at != kNoItem; at = tree.Parent(at)) {
        std::size_t index = 0;
        for (ItemHandle sibling = tree.FirstChild(tree.Parent(at)); sibling != at && sibling != kNoItem;
             sibling = tree.NextSibling(sibling))
            ++index;
        path.insert(path.begin(), index);
    }
    return path;
}

// The top-level file item that holds the file at `path`, opened now when none does.
ItemHandle FileItemFor(ConfigDocument& document, const std::string& path) {
    for (ItemHandle file = document.tree.FirstFileItem(); file != kNoItem; file = document.tree.NextSibling(file))
        if (SamePath(FileItemTarget(document, file), path)) return file;
    const std::string name = NameOf(path);
    const FileReadOutcome outcome = ReadConfigFile(document, FolderOf(path), name, name);
    return outcome.read ? outcome.item : kNoItem;
}

}  // namespace

std::string ProgramOfImagePath(std::string_view imagePath) {
    std::size_t begin = 0;
    while (begin < imagePath.size() && IsBlank(imagePath[begin])) ++begin;
    if (begin < imagePath.size() && imagePath[begin] == '"') {
        const std::size_t close = imagePath.find('"', begin + 1);
        return std::string(imagePath.substr(begin + 1, close == std::string_view::npos ? std::string_view::npos : close - begin - 1));
    }
    const std::string_view rest = imagePath.substr(begin);
    // Unquoted paths with blanks were written by hand or by old installers; ".exe" tells where
    // the program's name ends.
    std::size_t end = std::string_view::npos;
    for (std::size_t at = 0; at + 4 <= rest.size(); ++at)
        if (EqualsIgnoringCase(rest.substr(at, 4), ".exe") && (at + 4 == rest.size() || IsBlank(rest[at + 4]))) {
            end = at + 4;
            break;
        }
    if (end == std::string_view::npos) {
        end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
    }
    return std::string(rest.substr(0, end));
}

std::string OpenFilesServerRoot(const ConfigDocument& document) { return LearnOpenFileSettings(document.tree).serverRoot; }

std::string FindApacheProgram(const ConfigDocument& document, const Registry& registry, const std::string& setting) {
    if (!setting.empty()) return setting;
    const std::string serverRoot = OpenFilesServerRoot(document);
    if (!serverRoot.empty()) {
        std::string program = WithBackslashes(serverRoot);
        if (program.back() != '\\') program += '\\';
        program += "bin\\httpd.exe";
        if (document.files.KindOf(program) == PathKind::File) return program;
    }
    for (const std::string& service : registry.EnumerateKeys(RegistryRoot::LocalMachine, kServicesKey)) {
        if (!StartsWithIgnoringCase(service, kApacheServicePrefix)) continue;
        const auto image = registry.QueryValue(RegistryRoot::LocalMachine, std::string(kServicesKey) + "\\" + service,
                                               "ImagePath", kTextCapacity);
        if (!image) continue;
        const std::string program = ProgramOfImagePath(image->substr(0, image->find('\0')));
        if (!program.empty()) return program;
    }
    return {};
}

ItemHandle MainFileItem(const ConfigDocument& document) {
    const ConfigTree& tree = document.tree;
    const OpenFileSettings settings = LearnOpenFileSettings(tree);
    std::vector<std::pair<ItemHandle, std::string>> files;
    for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file))
        files.emplace_back(file, FileItemTarget(document, file));
    for (const auto& [file, target] : files) {
        bool included = false;
        for (const auto& [other, otherTarget] : files) {
            if (other == file || included) continue;
            const std::string folder = FolderOf(otherTarget);
            VisitInFileOrder(tree, other, [&](ItemHandle item) {
                const ItemView view = tree.GetItem(item);
                if (included || !(EqualsIgnoringCase(view.text, "Include") || EqualsIgnoringCase(view.text, "IncludeOptional")))
                    return;
                const std::vector<std::string> words = DirectiveArguments(view.value);
                if (words.empty()) return;
                const std::string path =
                    ResolveIncludePath(ExpandDefinedNames(words[0], settings.defines), settings.serverRoot, folder);
                included = IncludeReads(path, target);
            });
        }
        if (!included) return file;
    }
    return files.empty() ? kNoItem : files.front().first;
}

std::string ApacheCheckCommandLine(const std::string& program, const std::string& mainFile) {
    return "\"" + program + "\" -t -f \"" + mainFile + "\"";
}

std::optional<ApacheLocation> LocationInApacheOutput(std::string_view output) {
    std::optional<ApacheLocation> found;
    // "... line 52 of C:/Apache24/conf/httpd.conf:" (the file runs to the ':' before a blank or the line's end)
    constexpr std::string_view kLine = "line ";
    for (std::size_t at = output.find(kLine); at != std::string_view::npos; at = output.find(kLine, at + 1)) {
        std::size_t digits = at + kLine.size(), end = digits;
        while (end < output.size() && IsDigit(output[end])) ++end;
        if (end == digits || output.substr(end, 4) != " of ") continue;
        const std::size_t fileBegin = end + 4;
        std::size_t fileEnd = fileBegin;
        while (fileEnd < output.size() && output[fileEnd] != '\n' && output[fileEnd] != '\r') {
            if (output[fileEnd] == ':' && (fileEnd + 1 == output.size() || output[fileEnd + 1] == ' ' ||
                                           output[fileEnd + 1] == '\n' || output[fileEnd + 1] == '\r'))
                break;
            ++fileEnd;
        }
        if (fileEnd == fileBegin) continue;
        found = ApacheLocation{std::string(output.substr(fileBegin, fileEnd - fileBegin)), LineNumber(output.substr(digits, end - digits))};
    }
    if (found) return found;
    // Warnings end with "FILE:N".
    std::size_t lineBegin = 0;
    while (lineBegin < output.size()) {
        std::size_t lineEnd = output.find_first_of("\r\n", lineBegin);
        if (lineEnd == std::string_view::npos) lineEnd = output.size();
        const std::string_view text = output.substr(lineBegin, lineEnd - lineBegin);
        std::size_t digits = text.size();
        while (digits > 0 && IsDigit(text[digits - 1])) --digits;
        if (digits < text.size() && digits > 1 && text[digits - 1] == ':' && text.size() - digits <= 9) {
            const std::size_t fileBegin = text.rfind(' ', digits - 1);
            const std::size_t begin = fileBegin == std::string_view::npos ? 0 : fileBegin + 1;
            if (digits - 1 > begin)
                found = ApacheLocation{std::string(text.substr(begin, digits - 1 - begin)), LineNumber(text.substr(digits))};
        }
        lineBegin = lineEnd + 1;
    }
    return found;
}

ItemHandle ItemAtFileLine(ConfigDocument& document, const std::string& path, std::uint32_t line) {
    const std::string windowsPath = WithBackslashes(path);
    const std::optional<std::string> bytes = document.files.ReadFileBytes(windowsPath);
    if (!bytes) return kNoItem;
    const std::optional<std::size_t> start = LineStart(*bytes, line);
    if (!start) return kNoItem;
    // The file as it is on disk, read apart from the tree: the item that stands on the line
    // there has its twin at the same place in the tree.
    MemoryTree scratch;
    const ItemHandle scratchFile = scratch.InsertItem(kNoItem, InsertPosition::Last(), FileItemView(NameOf(windowsPath)));
    ParseConfigText(scratch, *bytes, scratchFile);
    ItemHandle standing = kNoItem;
    VisitInFileOrder(scratch, scratchFile, [&](ItemHandle item) {
        const ItemView view = scratch.GetItem(item);
        if (!view.source) return;
        const ItemSource& source = *view.source;
        if ((source.ownBegin <= *start && *start < source.ownEnd) || (source.closeBegin <= *start && *start < source.closeEnd))
            standing = item;
    });
    if (standing == kNoItem) return kNoItem;
    const std::vector<std::size_t> steps = PathFromFile(scratch, scratchFile, standing);
    ItemHandle item = FileItemFor(document, windowsPath);
    for (const std::size_t step : steps) {
        if (item == kNoItem) break;
        ItemHandle child = document.tree.FirstChild(item);
        for (std::size_t i = 0; i < step && child != kNoItem; ++i) child = document.tree.NextSibling(child);
        if (child == kNoItem) break;  // the tree no longer has it: the nearest item above stands in
        item = child;
    }
    return item;
}

std::string ApacheCheckMessage(const ProgramRun& run, const std::string& program, std::uint32_t timeLimitMs) {
    switch (run.outcome) {
        case ProgramRun::Outcome::NotStarted: return "Tarnwick could not start Apache's program:\r\n" + program;
        case ProgramRun::Outcome::TimedOut:
            return "Apache's program did not finish within " + std::to_string(timeLimitMs / 1000) +
                   " seconds and was ended.\r\n\r\n" + run.output;
        case ProgramRun::Outcome::Finished: break;
    }
    if (run.exitCode == 0) {
        // "Syntax OK" says no more than the acceptance itself; anything else is a warning.
        std::string warnings;
        std::size_t at = 0;
        while (at < run.output.size()) {
            std::size_t end = run.output.find('\n', at);
            if (end == std::string::npos) end = run.output.size();
            std::string line = run.output.substr(at, end - at);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line != "Syntax OK") warnings += line + "\r\n";
            at = end + 1;
        }
        return warnings.empty() ? std::string(kApacheAcceptsMessage)
                                : std::string(kApacheAcceptsMessage) + "\r\n\r\nApache warned:\r\n" + warnings;
    }
    if (run.output.find_first_not_of(" \t\r\n") == std::string::npos)
        return "Apache refused the configuration (exit code " + std::to_string(run.exitCode) + ") without saying why.";
    return run.output;
}

ApacheCheckOutcome CheckWithApache(ConfigDocument& document, const Registry& registry, const std::string& setting,
                                   ProgramRunner& runner, std::uint32_t timeLimitMs) {
    ApacheCheckOutcome outcome;
    const std::string program = FindApacheProgram(document, registry, setting);
    const ItemHandle mainFile = MainFileItem(document);
    if (program.empty()) {
        outcome.message = kApacheNotFoundMessage;
        return outcome;
    }
    if (mainFile == kNoItem) {
        outcome.message = "Open a configuration file before checking it with Apache.";
        return outcome;
    }
    const ProgramRun run =
        runner.Run(program, ApacheCheckCommandLine(program, FileItemTarget(document, mainFile)), timeLimitMs);
    outcome.message = ApacheCheckMessage(run, program, timeLimitMs);
    outcome.accepted = run.outcome == ProgramRun::Outcome::Finished && run.exitCode == 0;
    if (run.outcome == ProgramRun::Outcome::NotStarted) return outcome;
    if (const auto location = LocationInApacheOutput(run.output)) {
        outcome.named = ItemAtFileLine(document, location->file, location->line);
        if (outcome.named != kNoItem) document.tree.SelectItem(outcome.named);
    }
    return outcome;
}

}  // namespace tarnwick
