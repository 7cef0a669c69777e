#include "memory_registry.h"

namespace tarnwick {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string MemoryRegistry::Fold(const std::string& path) {
    std::string folded;
    for (char c : path) {
        if (c == '\\' && (folded.empty() || folded.back() == '\\')) continue;  // no empty key names
        folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    while (!folded.empty() && folded.back() == '\\') folded.pop_back();
    return folded;
}

std::optional<std::string> MemoryRegistry::QueryValue(RegistryRoot root, const std::string& key,
                                                      const std::string& name, std::size_t capacity) const {
    const auto found = RootOf(root).find(Fold(key));
    if (found == RootOf(root).end()) return std::nullopt;
    for (const RegistryValue& value : found->second.values)
        if (SameName(value.name, name)) {
            if (value.data.size() > capacity) return std::nullopt;
            return value.data;
        }
    return std::nullopt;
}

bool MemoryRegistry::KeyExists(RegistryRoot root, const std::string& key) const {
    return RootOf(root).count(Fold(key)) != 0;
}

bool MemoryRegistry::CreateKey(RegistryRoot root, const std::string& key) {
    const std::string folded = Fold(key);
    if (folded.empty()) return false;
    Tree& tree = RootOf(root);
    std::string original;
    for (char c : key) if (!(c == '\\' && (original.empty() || original.back() == '\\'))) original += c;
    while (!original.empty() && original.back() == '\\') original.pop_back();
    // Every key on the way down exists too.
    for (std::size_t end = 0; end != std::string::npos;) {
        end = folded.find('\\', end + 1);
        const std::size_t length = end == std::string::npos ? folded.size() : end;
        Key& created = tree[folded.substr(0, length)];
        if (created.name.empty()) {
            const std::size_t start = original.rfind('\\', length - 1);
            created.name = original.substr(start == std::string::npos ? 0 : start + 1,
                                           length - (start == std::string::npos ? 0 : start + 1));
        }
    }
    return true;
}

bool MemoryRegistry::SetValue(RegistryRoot root, const std::string& key, const RegistryValue& value) {
    const auto found = RootOf(root).find(Fold(key));
    if (found == RootOf(root).end() || found->second.readOnly) return false;
    ++writes_;
    for (RegistryValue& existing : found->second.values)
        if (SameName(existing.name, value.name)) {
            existing.type = value.type;
            existing.data = value.data;
            return true;
        }
    found->second.values.push_back(value);
    return true;
}

std::vector<std::string> MemoryRegistry::EnumerateKeys(RegistryRoot root, const std::string& key) const {
    const std::string prefix = Fold(key) + '\\';
    std::vector<std::string> names;
    for (const auto& [path, entry] : RootOf(root))
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            path.find('\\', prefix.size()) == std::string::npos)
            names.push_back(entry.name);
    return names;
}

std::vector<RegistryValue> MemoryRegistry::EnumerateValues(RegistryRoot root, const std::string& key,
                                                           std::size_t maxName, std::size_t maxData) const {
    std::vector<RegistryValue> values;
    const auto found = RootOf(root).find(Fold(key));
    if (found == RootOf(root).end()) return values;
    for (const RegistryValue& value : found->second.values) {
        if (value.name.size() > maxName || value.data.size() > maxData) break;
        values.push_back(value);
    }
    return values;
}

bool MemoryRegistry::DeleteKey(RegistryRoot root, const std::string& key) {
    Tree& tree = RootOf(root);
    const std::string folded = Fold(key);
    if (!tree.count(folded)) return false;
    const std::string prefix = folded + '\\';
    for (auto it = tree.begin(); it != tree.end();)
        it = (it->first == folded || it->first.compare(0, prefix.size(), prefix) == 0) ? tree.erase(it) : std::next(it);
    return true;
}

bool MemoryRegistry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
    const auto found = RootOf(root).find(Fold(key));
    if (found == RootOf(root).end()) return false;
    auto& values = found->second.values;
    for (auto it = values.begin(); it != values.end(); ++it)
        if (SameName(it->name, name)) {
            values.erase(it);
            return true;
        }
    return false;
}

void MemoryRegistry::Put(RegistryRoot root, const std::string& key, const RegistryValue& value) {
    CreateKey(root, key);
    SetValue(root, key, value);
}

void MemoryRegistry::MakeReadOnly(RegistryRoot root, const std::string& key) {
    CreateKey(root, key);
    RootOf(root)[Fold(key)].readOnly = true;
}

}  // namespace tarnwick
