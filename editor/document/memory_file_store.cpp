#include "memory_file_store.h"

#include "config_document.h"

namespace tarnwick {

namespace {

// The last part of a path, without the separators after it.
std::string LastPart(std::string_view path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    const std::size_t separator = path.find_last_of("\\/");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

}  // namespace

std::string MemoryFileStore::Key(std::string_view path) {
    std::string key = PathKey(CleanWindowsPath(path, true));
    while (key.size() > 1 && key.back() == '\\') key.pop_back();
    return key;
}

std::optional<std::string> MemoryFileStore::Resolve(std::string_view path) const {
    std::string key = Key(path);
    // Windows gives up after so many links in one path; a loop never ends otherwise.
    for (int hops = 0; hops < 63; ++hops) {
        bool followed = false;
        for (std::size_t end = key.find('\\', 1); !followed; end = key.find('\\', end + 1)) {
            const std::size_t partEnd = end == std::string::npos ? key.size() : end;
            const auto link = links_.find(key.substr(0, partEnd));
            if (link != links_.end()) {
                key = Key(link->second + key.substr(partEnd));
                followed = true;
            }
            if (end == std::string::npos) break;
        }
        if (!followed) return key;
    }
    return std::nullopt;
}

std::string MemoryFileStore::FullPath(const std::string& path) const { return CleanWindowsPath(path, true); }

std::optional<FileIdentity> MemoryFileStore::IdentityOf(const std::string& path) const {
    const std::string key = Reached(path);
    if (!files_.count(key) && !directories_.count(key)) return std::nullopt;
    return FileIdentity{1, std::hash<std::string>{}(key)};
}

std::optional<FileStamp> MemoryFileStore::StampOf(const std::string& path) const {
    const std::string key = Reached(path);
    const auto file = files_.find(key);
    if (file == files_.end()) return std::nullopt;
    const auto stamp = stamps_.find(key);
    return FileStamp{stamp == stamps_.end() ? 0 : stamp->second, file->second.size()};
}

void MemoryFileStore::AddLink(const std::string& link, const std::string& target) {
    AddDirectory(DirectoryOf(link));
    links_[Key(link)] = target;
    names_[Key(link)] = LastPart(link);
}

std::optional<std::string> MemoryFileStore::ReadFileBytes(const std::string& path) const {
    const std::string key = Reached(path);
    if (unreadable_.count(key)) return std::nullopt;
    const auto file = files_.find(key);
    if (file == files_.end()) return std::nullopt;
    return file->second;
}

class MemoryFileStore::Replacement final : public FileReplacement {
public:
    Replacement(MemoryFileStore& store, std::string key, std::string name)
        : store_(store), key_(std::move(key)), name_(std::move(name)) {}
    bool Write(std::string_view bytes) override {
        pending_ += bytes;
        return true;
    }
    bool Commit() override {
        store_.files_[key_] = std::move(pending_);
        if (!store_.names_.count(key_)) store_.names_[key_] = name_;
        store_.Stamp(key_);
        ++store_.writes_;
        return true;
    }

private:
    MemoryFileStore& store_;
    std::string key_;
    std::string name_;
    std::string pending_;
};

// Writing through a link writes the file it leads to; the link stays a link.
std::unique_ptr<FileReplacement> MemoryFileStore::BeginReplacement(const std::string& path) {
    std::string key = Reached(path);
    if (key.empty() || readOnly_.count(key) || directories_.count(key)) return nullptr;
    const std::size_t separator = key.find_last_of('\\');
    if (separator == std::string::npos || !directories_.count(key.substr(0, separator))) return nullptr;
    return std::make_unique<Replacement>(*this, std::move(key), LastPart(FullPath(path)));
}


void MemoryFileStore::AddDirectory(const std::string& directory) {
    std::string path = directory;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    for (;;) {
        const std::string key = Key(path);
        if (key.empty() || !directories_.insert(key).second) return;
        names_[key] = LastPart(path);
        const std::size_t separator = path.find_last_of("\\/");
        if (separator == std::string::npos) return;
        path.resize(separator);
    }
}

void MemoryFileStore::AddFile(const std::string& path, std::string bytes) {
    AddDirectory(DirectoryOf(path));
    const std::string key = Key(path);
    files_[key] = std::move(bytes);
    names_[key] = LastPart(path);
    Stamp(key);
}

PathKind MemoryFileStore::KindOf(const std::string& path) const {
    const std::string key = Reached(path);
    if (directories_.count(key)) return PathKind::Directory;
    return files_.count(key) ? PathKind::File : PathKind::Missing;
}

std::optional<std::vector<DirectoryEntry>> MemoryFileStore::ListDirectory(const std::string& directory) const {
    const std::string key = Reached(directory);
    if (!directories_.count(key) || unreadable_.count(key)) return std::nullopt;
    const std::string prefix = key + "\\";
    const auto inside = [&prefix](const std::string& entry) {
        return entry.size() > prefix.size() && entry.compare(0, prefix.size(), prefix) == 0 &&
               entry.find('\\', prefix.size()) == std::string::npos;
    };
    const auto name = [this](const std::string& entry) {
        const auto spelt = names_.find(entry);
        return spelt != names_.end() ? spelt->second : LastPart(entry);
    };
    std::vector<DirectoryEntry> entries;
    for (const std::string& entry : directories_)
        if (inside(entry)) entries.push_back({name(entry), true});
    for (const auto& [entry, bytes] : files_)
        if (inside(entry)) entries.push_back({name(entry), false});
    for (const auto& [entry, target] : links_)
        if (inside(entry)) entries.push_back({name(entry), KindOf(entry) == PathKind::Directory});
    return entries;
}

void MemoryFileStore::MakeUnreadable(const std::string& path) { unreadable_.insert(Reached(path)); }

void MemoryFileStore::MakeReadOnly(const std::string& path) { readOnly_.insert(Reached(path)); }

void MemoryFileStore::ClearFailures(const std::string& path) {
    unreadable_.erase(Reached(path));
    readOnly_.erase(Reached(path));
}

bool MemoryFileStore::Exists(const std::string& path) const { return files_.count(Reached(path)) != 0; }

}  // namespace tarnwick
