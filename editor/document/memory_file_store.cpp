#include "memory_file_store.h"

#include "config_document.h"

namespace tarnwick {

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
    Replacement(MemoryFileStore& store, std::string key) : store_(store), key_(std::move(key)) {}
    bool Write(std::string_view bytes) override {
        pending_ += bytes;
        return true;
    }
    bool Commit() override {
        store_.files_[key_] = std::move(pending_);
        ++store_.writes_;
        return true;
    }

private:
    MemoryFileStore& store_;
    std::string key_;
    std::string pending_;
};

std::unique_ptr<FileReplacement> MemoryFileStore::BeginReplacement(const std::string& path) {
    std::string key = Key(path);
    if (readOnly_.count(key) || directories_.count(key)) return nullptr;
    if (!directories_.count(Key(DirectoryOf(path)))) return nullptr;
    return std::make_unique<Replacement>(*this, std::move(key));
}

void MemoryFileStore::AddDirectory(const std::string& directory) { directories_.insert(Key(directory)); }

void MemoryFileStore::AddFile(const std::string& path, std::string bytes) {
    AddDirectory(DirectoryOf(path));
    files_[Key(path)] = std::move(bytes);
}

void MemoryFileStore::MakeUnreadable(const std::string& path) { unreadable_.insert(Key(path)); }

void MemoryFileStore::MakeReadOnly(const std::string& path) { readOnly_.insert(Key(path)); }

void MemoryFileStore::ClearFailures(const std::string& path) {
    unreadable_.erase(Key(path));
    readOnly_.erase(Key(path));
}

bool MemoryFileStore::Exists(const std::string& path) const { return files_.count(Key(path)) != 0; }

}  // namespace tarnwick
