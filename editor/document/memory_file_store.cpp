#include "memory_file_store.h"

namespace tarnwick {

std::string MemoryFileStore::Key(std::string_view path) {
    std::string key(path);
    for (char& c : key) {
        if (c == '/') c = '\\';
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
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

bool MemoryFileStore::ReplaceFileBytes(const std::string& path, std::string_view bytes) {
    const std::string key = Key(path);
    if (readOnly_.count(key) || directories_.count(key)) return false;
    if (!directories_.count(Key(DirectoryOf(path)))) return false;
    files_[key] = std::string(bytes);
    ++writes_;
    return true;
}

void MemoryFileStore::AddDirectory(const std::string& directory) { directories_.insert(Key(directory)); }

void MemoryFileStore::AddFile(const std::string& path, std::string bytes) {
    AddDirectory(DirectoryOf(path));
    files_[Key(path)] = std::move(bytes);
}

void MemoryFileStore::MakeUnreadable(const std::string& path) { unreadable_.insert(Key(path)); }

void MemoryFileStore::MakeReadOnly(const std::string& path) { readOnly_.insert(Key(path)); }

bool MemoryFileStore::Exists(const std::string& path) const { return files_.count(Key(path)) != 0; }

}  // namespace tarnwick
