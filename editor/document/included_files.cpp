#include "included_files.h"

#include "config_lines.h"
#include "config_reader.h"
#include "tree_walk.h"

#include <algorithm>
#include <map>
#include <set>

namespace tarnwick {

namespace {

// Apache reads directories this deep at most; and a folder of links that lead back into
// themselves must not keep the command busy for ever.
constexpr int kMaxDirectoryDepth = 128;
constexpr std::size_t kMaxListedDirectories = 4096;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

// A directive's arguments: words split at blanks, a double-quoted word without its quotes.
std::vector<std::string> Arguments(std::string_view value) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < value.size()) {
        while (at < value.size() && IsBlank(value[at])) ++at;
        if (at == value.size()) break;
        if (value[at] == '"') {
            const std::size_t close = value.find('"', at + 1);
            const std::size_t end = close == std::string_view::npos ? value.size() : close;
            words.emplace_back(value.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            const std::size_t begin = at;
            while (at < value.size() && !IsBlank(value[at])) ++at;
            words.emplace_back(value.substr(begin, at - begin));
        }
    }
    return words;
}

// "${NAME}" replaced by what Define gave NAME; names never defined stay as written.
std::string ExpandDefines(std::string_view text, const std::map<std::string, std::string>& defines) {
    std::string expanded;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find("${", at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open + 2);
        if (close == std::string_view::npos) break;
        expanded.append(text.substr(at, open - at));
        const auto defined = defines.find(std::string(text.substr(open + 2, close - open - 2)));
        if (defined != defines.end()) expanded += defined->second;
        else expanded.append(text.substr(open, close + 1 - open));
        at = close + 1;
    }
    expanded.append(text.substr(std::min(at, text.size())));
    return expanded;
}

// A directory's entries sorted by name, byte by byte, as Apache sorts them.
std::vector<DirectoryEntry> SortedEntries(std::vector<DirectoryEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

std::string JoinName(const std::string& directory, const std::string& name) {
    return (!directory.empty() && IsSeparator(directory.back())) ? directory + name : directory + "\\" + name;
}

// One run of the command: what is open, what the open files say, and what was done.
class IncludeFollower {
public:
    explicit IncludeFollower(ConfigDocument& document) : document_(document) {}

    IncludedFiles Run() {
        ConfigTree& tree = document_.tree;
        std::vector<ItemHandle> files;
        for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file)) {
            files.push_back(file);
            // An empty New File item does not stand for a file: Open would read the file into it.
            const ItemView view = tree.GetItem(file);
            if ((view.hasValue && !view.value.empty()) || tree.FirstChild(file) != kNoItem)
                seen_.insert(SameFileKey(document_.files, FileItemTarget(document_, file)));
        }
        for (ItemHandle file : files) LearnSettings(file);
        serverRoot_ = ExpandDefines(serverRoot_, defines_);
        const bool wasSaved = !HasUnsavedChanges(document_);
        for (ItemHandle file : files) {
            if (result_.limitReached) break;
            FollowFile(file);
        }
        if (wasSaved) MarkSaved(document_);
        return std::move(result_);
    }

private:
    // The ServerRoot relative paths start from, and what Define names stand for.
    void LearnSettings(ItemHandle file) {
        VisitInFileOrder(document_.tree, file, [this](ItemHandle item) {
            const ItemView view = document_.tree.GetItem(item);
            const std::vector<std::string> words = Arguments(view.value);
            if (EqualsIgnoringCase(view.text, "ServerRoot") && serverRoot_.empty() && !words.empty())
                serverRoot_ = words[0];
            else if (EqualsIgnoringCase(view.text, "Define") && words.size() >= 2)
                defines_[words[0]] = ExpandDefines(words[1], defines_);
        });
    }

    // The file's includes, in the order they stand in it.
    void FollowFile(ItemHandle file) {
        struct Include {
            std::string value;
            bool optional;
        };
        std::vector<Include> includes;
        const ConfigTree& tree = document_.tree;
        VisitInFileOrder(tree, file, [&](ItemHandle item) {
            const ItemView view = tree.GetItem(item);
            if (EqualsIgnoringCase(view.text, "Include") || EqualsIgnoringCase(view.text, "IncludeOptional"))
                includes.push_back({std::string(view.value), EqualsIgnoringCase(view.text, "IncludeOptional")});
        });
        const std::string folder = DirectoryOf(FileItemTarget(document_, file));
        for (const Include& include : includes) {
            if (result_.limitReached) return;
            FollowInclude(include.value, include.optional, folder);
        }
    }

    void FollowInclude(const std::string& value, bool optional, const std::string& folder) {
        const std::vector<std::string> words = Arguments(value);
        if (words.empty()) return;
        const std::string path =
            ResolveIncludePath(ExpandDefines(words[0], defines_), ExpandDefines(serverRoot_, defines_), folder);
        if (HasWildcard(path)) return FollowPattern(path, optional);
        switch (document_.files.KindOf(path)) {
            case PathKind::Directory: return FollowDirectory(path, 1);
            case PathKind::File: return OpenFile(path);
            case PathKind::Missing: return NoteMissing(path, optional);
        }
    }

    // A path with "*" or "?" in any of its parts: a part before the last matches folders.
    void FollowPattern(const std::string& path, bool optional) {
        const std::size_t rootLength = WindowsRootLength(path);
        std::vector<std::string> parts;
        for (std::size_t at = rootLength; at < path.size();) {
            while (at < path.size() && IsSeparator(path[at])) ++at;
            const std::size_t begin = at;
            while (at < path.size() && !IsSeparator(path[at])) ++at;
            if (at > begin) parts.push_back(path.substr(begin, at - begin));
        }
        std::vector<DirectoryEntry> found{{path.substr(0, rootLength) + "\\", true}};  // paths so far
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const bool last = i + 1 == parts.size();
            std::vector<DirectoryEntry> next;
            for (const DirectoryEntry& base : found) {
                if (!HasWildcard(parts[i])) {
                    const std::string full = JoinName(base.name, parts[i]);
                    const PathKind kind = document_.files.KindOf(full);
                    if (kind == PathKind::Directory || (last && kind == PathKind::File))
                        next.push_back({full, kind == PathKind::Directory});
                    continue;
                }
                const auto entries = document_.files.ListDirectory(base.name);
                if (!entries) {
                    result_.unlisted.push_back(base.name);
                    continue;
                }
                for (const DirectoryEntry& entry : SortedEntries(*entries))
                    if ((last || entry.isDirectory) && MatchesWildcard(parts[i], entry.name))
                        next.push_back({JoinName(base.name, entry.name), entry.isDirectory});
            }
            found = std::move(next);
        }
        if (found.empty()) return NoteMissing(path, optional);
        for (const DirectoryEntry& match : found) {
            if (result_.limitReached) return;
            if (match.isDirectory) FollowDirectory(match.name, 1);
            else OpenFile(match.name);
        }
    }

    // Every file in the directory and below it, as Apache reads an included directory.
    void FollowDirectory(const std::string& directory, int depth) {
        if (depth > kMaxDirectoryDepth || directoriesListed_ >= kMaxListedDirectories) return;
        // A folder reached again through a link (one that leads back up makes a loop) was read.
        if (const auto identity = document_.files.IdentityOf(directory); identity && !listed_.insert(*identity).second) return;
        ++directoriesListed_;
        auto entries = document_.files.ListDirectory(directory);
        if (!entries) {
            result_.unlisted.push_back(directory);
            return;
        }
        for (const DirectoryEntry& entry : SortedEntries(std::move(*entries))) {
            if (result_.limitReached) return;
            const std::string full = JoinName(directory, entry.name);
            if (entry.isDirectory) FollowDirectory(full, depth + 1);
            else OpenFile(full);
        }
    }

    void OpenFile(const std::string& path) {
        const std::string sameFile = SameFileKey(document_.files, path);
        if (seen_.count(sameFile)) return;
        if (result_.opened.size() == kMaxIncludedFiles) {
            result_.limitReached = true;
            return;
        }
        seen_.insert(sameFile);
        const std::size_t cut = path.find_last_of('\\');
        const std::string directory = path.substr(0, cut + 1), name = path.substr(cut + 1);
        const FileReadOutcome outcome = ReadConfigFile(document_, directory, name, name);
        if (!outcome.read || outcome.item == kNoItem) {
            result_.unread.push_back(path);
            return;
        }
        result_.opened.push_back(outcome.item);
        // What it defines counts for what it includes, and for what comes after it.
        LearnSettings(outcome.item);
        FollowFile(outcome.item);
    }

    void NoteMissing(const std::string& path, bool optional) {
        (optional ? result_.optionalMissing : result_.missing).push_back(path);
    }

    ConfigDocument& document_;
    std::string serverRoot_;
    std::map<std::string, std::string> defines_;
    std::set<std::string> seen_;  // the files open or opened (SameFileKey)
    std::set<FileIdentity> listed_;  // the folders read
    std::size_t directoriesListed_ = 0;
    IncludedFiles result_;
};

}  // namespace

std::string ResolveIncludePath(std::string_view argument, std::string_view serverRoot, std::string_view includingFolder) {
    const std::string_view base = serverRoot.empty() ? includingFolder : serverRoot;
    if (WindowsRootLength(argument) > 0) return CleanWindowsPath(argument);
    if (!argument.empty() && IsSeparator(argument.front()))  // rooted: on the base's drive
        return CleanWindowsPath(std::string(base.substr(0, WindowsRootLength(base))) + std::string(argument));
    return CleanWindowsPath(std::string(base) + "\\" + std::string(argument));
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (!name.empty() && name.front() == '.' && (pattern.empty() || pattern.front() != '.')) return false;
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

IncludedFiles OpenIncludedFiles(ConfigDocument& document) { return IncludeFollower(document).Run(); }

std::string IncludedFilesMessage(const IncludedFiles& result) {
    std::string text;
    const auto list = [&text](const char* heading, const std::vector<std::string>& paths) {
        if (paths.empty()) return;
        if (!text.empty()) text += "\n\n";
        text += heading;
        for (const std::string& path : paths) text += "\n" + path;
    };
    list("These included files were not found:", result.missing);
    list("These optional includes (IncludeOptional) name no files, which Apache allows:", result.optionalMissing);
    list("These files could not be read, so they were not opened:", result.unread);
    list("These included folders could not be read, so the files in them were not opened:", result.unlisted);
    if (result.limitReached)
        text += std::string(text.empty() ? "" : "\n\n") + "Only the first " + std::to_string(kMaxIncludedFiles) +
                " included files were opened.";
    if (text.empty() && result.opened.empty())
        text = "The open files include no files that are not open already.";
    return text;
}

std::vector<std::string> DirectiveArguments(std::string_view value) { return Arguments(value); }

std::string ExpandDefinedNames(std::string_view text, const std::map<std::string, std::string>& defines) {
    return ExpandDefines(text, defines);
}

}  // namespace tarnwick
