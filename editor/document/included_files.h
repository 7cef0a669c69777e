#pragma once
// Open Included Files: the files an open configuration pulls in with Include and
// IncludeOptional, opened as Open opens them, in the order Apache reads them.

#include "config_document.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// One command opens at most this many files.
inline constexpr std::size_t kMaxIncludedFiles = 256;

struct IncludedFiles {
    std::vector<ItemHandle> opened;            // the file items filled, in Apache's order
    std::vector<std::string> missing;          // Include paths that name nothing, as resolved
    std::vector<std::string> optionalMissing;  // IncludeOptional paths that name nothing
    std::vector<std::string> unread;           // files that are there but could not be read
    std::vector<std::string> unlisted;         // folders that are there but could not be listed
    bool limitReached = false;                 // more were included than one command opens
};

// Follows every Include and IncludeOptional of every open file item, and of every file it
// opens: a path relative to the ServerRoot the open files give (else to the including file's
// folder), "/" or "\", quoted or not, ${NAME} as the open files (and those opened on the way)
// Define it; "*" and "?" in any part; a directory read whole, sorted by name, with its
// subdirectories. Each file is opened once, as Open opens it: a file reached through links
// or under another spelling is the same file. Opening leaves a tree without unsaved changes
// without any.
IncludedFiles OpenIncludedFiles(ConfigDocument& document);

// What the user is told afterwards: what could not be opened, or that there was nothing to
// open; empty when files were opened and nothing went wrong.
std::string IncludedFilesMessage(const IncludedFiles& result);

// The file or pattern an Include argument names, as a clean Windows path.
std::string ResolveIncludePath(std::string_view argument, std::string_view serverRoot, std::string_view includingFolder);

// Whether a name matches a pattern of "*" and "?", without regard to case; a leading "." is
// matched only by a "." (as Apache matches).
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// A directive's arguments as Include reads them: words split at blanks, a double-quoted word
// without its quotes.
std::vector<std::string> DirectiveArguments(std::string_view value);

// "${NAME}" replaced by what Define gave NAME; names never defined stay as written.
std::string ExpandDefinedNames(std::string_view text, const std::map<std::string, std::string>& defines);

}  // namespace tarnwick
