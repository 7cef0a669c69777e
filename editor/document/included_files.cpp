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

// The part of a path that names its drive or share: "C:", "\\server\share", or nothing.
std::size_t RootLength(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') return 2;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        std::size_t end = 2, parts = 0;
        while (end < path.size() && parts < 2) {
            while (end < path.size() && !IsSeparator(path[end])) ++end;
            if (++parts < 2 && end < path.size()) ++end;
        }
        return end;
    }
    return 0;
}

// A path with "\" between its parts and "." and ".." resolved; its root kept as written.
std::string CleanPath(std::string_view path) {
    const std::size_t rootLength = RootLength(path);
    std::string clean(path.substr(0, rootLength));
    for (char& c : clean) c = c == '/' ? '\\' : c;
    std::vector<std::string_view> parts;
    std::size_t at = rootLength;
    while (at < path.size()) {
        while (at < path.size() && IsSeparator(path[at])) ++at;
        const std::size_t begin = at;
        while (at < path.size() && !IsSeparator(path[at])) ++at;
        const std::string_view part = path.substr(begin, at - begin);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    const bool rooted = rootLength < path.size() && IsSeparator(path[rootLength]);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 || rooted || (rootLength > 0 && clean.back() != ':')) clean += '\\';
        clean += parts[i];
    }
    return clean;
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
                seen_.insert(PathKey(FileItemTarget(document_, file)));
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
        const std::string path = ResolveIncludePath(ExpandDefines(words[0], defines_), serverRoot_, folder);
        const std::size_t cut = path.find_last_of('\\');
        const std::string last = cut == std::string::npos ? path : path.substr(cut + 1);
        if (HasWildcard(last)) return FollowPattern(path.substr(0, cut == std::string::npos ? 0 : cut + 1), last, path, optional);
        switch (document_.files.KindOf(path)) {
            case PathKind::Directory: return FollowDirectory(path, 1);
            case PathKind::File: return OpenFile(path);
            case PathKind::Missing: return NoteMissing(path, optional);
        }
    }

    void FollowPattern(const std::string& directory, const std::string& pattern, const std::string& path, bool optional) {
        std::vector<DirectoryEntry> matches;
        if (!HasWildcard(directory))
            if (const auto entries = document_.files.ListDirectory(directory))
                for (const DirectoryEntry& entry : *entries)
                    if (MatchesWildcard(pattern, entry.name)) matches.push_back(entry);
        if (matches.empty()) return NoteMissing(path, optional);
        for (const DirectoryEntry& match : SortedEntries(std::move(matches))) {
            if (result_.limitReached) return;
            const std::string full = JoinName(directory, match.name);
            if (match.isDirectory) FollowDirectory(full, 1);
            else OpenFile(full);
        }
    }

    // Every file in the directory and below it, as Apache reads an included directory.
    void FollowDirectory(const std::string& directory, int depth) {
        if (depth > kMaxDirectoryDepth || directoriesListed_ >= kMaxListedDirectories) return;
        ++directoriesListed_;
        auto entries = document_.files.ListDirectory(directory);
        if (!entries) return;
        for (const DirectoryEntry& entry : SortedEntries(std::move(*entries))) {
            if (result_.limitReached) return;
            const std::string full = JoinName(directory, entry.name);
            if (entry.isDirectory) FollowDirectory(full, depth + 1);
            else OpenFile(full);
        }
    }

    void OpenFile(const std::string& path) {
        if (seen_.count(PathKey(path))) return;
        if (result_.opened.size() == kMaxIncludedFiles) {
            result_.limitReached = true;
            return;
        }
        seen_.insert(PathKey(path));
        const std::size_t cut = path.find_last_of('\\');
        const std::string directory = path.substr(0, cut + 1), name = path.substr(cut + 1);
        const FileReadOutcome outcome = ReadConfigFile(document_, directory, name, name);
        if (!outcome.read || outcome.item == kNoItem) {
            result_.unread.push_back(path);
            return;
        }
        result_.opened.push_back(outcome.item);
        FollowFile(outcome.item);
    }

    void NoteMissing(const std::string& path, bool optional) {
        (optional ? result_.optionalMissing : result_.missing).push_back(path);
    }

    ConfigDocument& document_;
    std::string serverRoot_;
    std::map<std::string, std::string> defines_;
    std::set<std::string> seen_;  // path keys of the files open or opened
    std::size_t directoriesListed_ = 0;
    IncludedFiles result_;
};

}  // namespace

std::string ResolveIncludePath(std::string_view argument, std::string_view serverRoot, std::string_view includingFolder) {
    const std::string_view base = serverRoot.empty() ? includingFolder : serverRoot;
    if (RootLength(argument) > 0) return CleanPath(argument);
    if (!argument.empty() && IsSeparator(argument.front()))  // rooted: on the base's drive
        return CleanPath(std::string(base.substr(0, RootLength(base))) + std::string(argument));
    return CleanPath(std::string(base) + "\\" + std::string(argument));
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
