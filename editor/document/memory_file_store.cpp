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
    std::string key = PathKey(path);
    while (key.size() > 1 && key.back() == '\\') key.pop_back();
    return key;
}

std::optional<std::string> MemoryFileStore::ReadFileBytes(const std::string& path) const {
    const std::string key = Key(path);
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
        store_.names_[key_] = name_;
        ++store_.writes_;
        return true;
    }

private:
    MemoryFileStore& store_;
    std::string key_;
    std::string name_;
    std::string pending_;
};

std::unique_ptr<FileReplacement> MemoryFileStore::BeginReplacement(const std::string& path) {
    std::string key = Key(path);
    if (readOnly_.count(key) || directories_.count(key)) return nullptr;
    if (!directories_.count(Key(DirectoryOf(path)))) return nullptr;
    return std::make_unique<Replacement>(*this, std::move(key), LastPart(path));
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
}

PathKind MemoryFileStore::KindOf(const std::string& path) const {
    const std::string key = Key(path);
    if (directories_.count(key)) return PathKind::Directory;
    return files_.count(key) ? PathKind::File : PathKind::Missing;
}

std::optional<std::vector<DirectoryEntry>> MemoryFileStore::ListDirectory(const std::string& directory) const {
    const std::string key = Key(directory);
    if (!directories_.count(key)) return std::nullopt;
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
    return entries;
}

void MemoryFileStore::MakeUnreadable(const std::string& path) { unreadable_.insert(Key(path)); }

void MemoryFileStore::MakeReadOnly(const std::string& path) { readOnly_.insert(Key(path)); }

void MemoryFileStore::ClearFailures(const std::string& path) {
    unreadable_.erase(Key(path));
    readOnly_.erase(Key(path));
}

bool MemoryFileStore::Exists(const std::string& path) const { return files_.count(Key(path)) != 0; }

}  // namespace tarnwick
