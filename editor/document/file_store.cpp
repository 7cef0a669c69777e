#include "file_store.h"

#include "config_document.h"

#include <vector>

namespace tarnwick {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::size_t WindowsRootLength(std::string_view path) {
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

std::string CleanWindowsPath(std::string_view path, bool trimLastPart) {
    const std::size_t rootLength = WindowsRootLength(path);
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
    if (trimLastPart && !parts.empty() && !IsSeparator(path.back())) {
        std::string_view& last = parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.remove_suffix(1);
        if (last.empty()) parts.pop_back();
    }
    const bool rooted = rootLength < path.size() && IsSeparator(path[rootLength]);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 || rooted || (rootLength > 0 && clean.back() != ':')) clean += '\\';
        clean += parts[i];
    }
    return clean;
}

std::string SameFileKey(const FileStore& files, const std::string& path) {
    if (const std::optional<FileIdentity> identity = files.IdentityOf(path))
        return "file " + std::to_string(identity->volume) + ":" + std::to_string(identity->index);
    return "path " + PathKey(files.FullPath(path));
}

bool FileStore::ReplaceFileBytes(const std::string& path, std::string_view bytes) {
    const std::unique_ptr<FileReplacement> replacement = BeginReplacement(path);
    return replacement && replacement->Write(bytes) && replacement->Commit();
}

std::string DirectoryOf(std::string_view path) {
    const auto last = path.find_last_of("\\/");
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

}  // namespace tarnwick
