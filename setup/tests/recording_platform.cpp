#include "recording_platform.h"

#include "file_name_folding.h"
#include "primitives.h"

#include <algorithm>
#include <vector>

namespace kelsetup {

namespace {

std::string ValueKeyName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// Matches a file name against a pattern of literal characters and '*'.
bool Matches(std::string_view name, std::string_view pattern) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip)
            if (Matches(name.substr(skip), pattern.substr(1))) return true;
        return false;
    }
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return !name.empty() && lower(name[0]) == lower(pattern[0]) && Matches(name.substr(1), pattern.substr(1));
}

}  // namespace

RecordingPlatform::RecordingPlatform() {
    for (const char* drive : {"C:", "D:"}) directories_.insert(FileKey(drive));
}

std::string RecordingPlatform::Fold(const std::string& text) { return ValueKeyName(text); }

std::string RecordingPlatform::FileKey(const std::string& normal) { return FileNameKey(normal); }

std::string RecordingPlatform::Normal(const std::string& path) { return NormalPath(path); }

std::string RecordingPlatform::ParentOf(const std::string& normal) const {
    const auto last = normal.rfind('\\');
    return last == std::string::npos ? std::string() : normal.substr(0, last);
}

std::string RecordingPlatform::KeyName(RootKey root, const std::string& path) const {
    return std::string(RootName(root)) + "|" + Fold(Normal(path));
}

bool RecordingPlatform::Fail(ErrorKind kind, const char* text) {
    lastError_ = {kind, text};
    return false;
}

bool RecordingPlatform::CreateKey(RootKey root, const std::string& path) {
    Log(std::string("CreateKey ") + RootName(root) + "\\" + path);
    if (failEverything) return FailDenied();
    std::string normal = Normal(path);
    for (std::string at = normal; !at.empty(); at = ParentOf(at)) keys_[KeyName(root, at)];
    return true;
}

bool RecordingPlatform::SetValue(RootKey root, const std::string& path, const std::string& name, ValueType type,
                                 const std::string& data) {
    Log(std::string("SetValue ") + RootName(root) + "\\" + path + " " + name);
    if (failEverything) return FailDenied();
    const auto key = keys_.find(KeyName(root, path));
    if (key == keys_.end()) return FailNotFound();
    key->second.values[ValueKeyName(name)] = {type, data};
    return true;
}

std::optional<std::string> RecordingPlatform::QueryValue(RootKey root, const std::string& path,
                                                         const std::string& name, std::size_t capacity) {
    Log(std::string("QueryValue ") + RootName(root) + "\\" + path + " " + name);
    if (failEverything) {
        FailDenied();
        return std::nullopt;
    }
    const auto value = Value(root, path, name);
    if (!value) {
        FailNotFound();
        return std::nullopt;
    }
    if (value->size() > capacity) {
        Fail(ErrorKind::Other, "More data is available.");
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> RecordingPlatform::EnumerateKeys(RootKey root, const std::string& path) {
    Log(std::string("EnumerateKeys ") + RootName(root) + "\\" + path);
    std::vector<std::string> names;
    if (failEverything) return names;
    const std::string prefix = KeyName(root, path) + "\\";
    for (const auto& [key, entry] : keys_)
        if (key.size() > prefix.size() && key.compare(0, prefix.size(), prefix) == 0 &&
            key.find('\\', prefix.size()) == std::string::npos)
            names.push_back(key.substr(prefix.size()));
    return names;
}

bool RecordingPlatform::DeleteKey(RootKey root, const std::string& path) {
    Log(std::string("DeleteKey ") + RootName(root) + "\\" + path);
    if (failEverything) return FailDenied();
    const std::string key = KeyName(root, path);
    if (!keys_.count(key)) return FailNotFound();
    if (protectedKeys_.count(key)) return FailDenied();
    // As RegDeleteKey does: a key with subkeys stays.
    const std::string prefix = key + "\\";
    for (const auto& [other, entry] : keys_)
        if (other.compare(0, prefix.size(), prefix) == 0) return FailDenied();
    keys_.erase(key);
    return true;
}

bool RecordingPlatform::DeleteValue(RootKey root, const std::string& path, const std::string& name) {
    Log(std::string("DeleteValue ") + RootName(root) + "\\" + path + " " + name);
    if (failEverything) return FailDenied();
    const auto key = keys_.find(KeyName(root, path));
    if (key == keys_.end() || key->second.values.erase(ValueKeyName(name)) == 0) return FailNotFound();
    return true;
}

bool RecordingPlatform::KeyHoldsNothing(RootKey root, const std::string& path) {
    const auto key = keys_.find(KeyName(root, path));
    if (key == keys_.end() || !key->second.values.empty()) return false;
    const std::string prefix = key->first + "\\";
    for (const auto& [name, below] : keys_)
        if (name.compare(0, prefix.size(), prefix) == 0) return false;
    return true;
}

bool RecordingPlatform::MakeDirectory(const std::string& path) {
    Log("CreateDirectory " + path);
    if (failEverything) return FailDenied();
    const std::string normal = FileKey(Normal(path));
    if (normal.empty() || directories_.count(normal) || files_.count(normal))
        return Fail(ErrorKind::AlreadyExists, "Cannot create a file when that file already exists.");
    if (!directories_.count(ParentOf(normal))) return Fail(ErrorKind::NotFound, "The system cannot find the path specified.");
    directories_.insert(normal);
    directoryNames_[normal] = Normal(path);
    return true;
}

bool RecordingPlatform::CopyFileOver(const std::string& from, const std::string& to) {
    Log("CopyFile " + from + " -> " + to);
    if (failEverything) return FailDenied();
    const auto source = files_.find(FileKey(Normal(from)));
    const std::string target = FileKey(Normal(to));
    if (source == files_.end()) return FailNotFound();
    // As on Windows: a file cannot be copied onto itself, nor over one that is held open.
    if (source->first == target || heldOpen_.count(target)) return FailInUse();
    if (!directories_.count(ParentOf(target))) return Fail(ErrorKind::NotFound, "The system cannot find the path specified.");
    if (directories_.count(target)) return FailDenied();
    const std::string bytes = source->second;
    files_[target] = bytes;
    names_[target] = Normal(to);
    if (const auto version = versions_.find(FileKey(Normal(from))); version != versions_.end()) versions_[target] = version->second;
    else versions_.erase(target);
    return true;
}

std::vector<PlatformError> RecordingPlatform::CopyFilesOver(const std::vector<FileCopy>& copies) {
    Log("CopyFiles " + std::to_string(copies.size()));
    std::map<std::string, int> writers;  // folded normal path to the number of copies writing it
    for (const FileCopy& copy : copies) ++writers[FileKey(Normal(copy.to))];
    std::vector<PlatformError> errors;
    for (const FileCopy& copy : copies) {
        const std::string from = FileKey(Normal(copy.from)), to = FileKey(Normal(copy.to));
        const bool clash = writers[to] > 1 || (from != to && writers.count(from) != 0);
        const bool copied = !clash && CopyFileOver(copy.from, copy.to);
        if (clash) FailInUse();
        errors.push_back(copied ? PlatformError{} : lastError_);
    }
    return errors;
}

bool RecordingPlatform::MoveFileTo(const std::string& from, const std::string& to) {
    Log("MoveFile " + from + " -> " + to);
    if (failEverything) return FailDenied();
    const std::string source = FileKey(Normal(from));
    const std::string target = FileKey(Normal(to));
    if (!files_.count(source)) return FailNotFound();
    if (files_.count(target) || directories_.count(target))
        return Fail(ErrorKind::AlreadyExists, "Cannot create a file when that file already exists.");
    if (!directories_.count(ParentOf(target))) return Fail(ErrorKind::NotFound, "The system cannot find the path specified.");
    if (heldOpen_.count(source)) return FailInUse();
    files_[target] = files_[source];
    names_[target] = Normal(to);
    files_.erase(source);
    names_.erase(source);
    return true;
}

bool RecordingPlatform::RemoveFile(const std::string& path) {
    Log("DeleteFile " + path);
    if (failEverything) return FailDenied();
    const std::string normal = FileKey(Normal(path));
    if (!files_.count(normal)) return FailNotFound();
    if (heldOpen_.count(normal)) return FailInUse();
    names_.erase(normal);
    versions_.erase(normal);
    files_.erase(normal);
    return true;
}

bool RecordingPlatform::RemoveEmptyDirectory(const std::string& path) {
    Log("RemoveDirectory " + path);
    if (failEverything) return FailDenied();
    const std::string normal = FileKey(Normal(path));
    if (!directories_.count(normal)) return FailNotFound();
    const std::string prefix = normal + "\\";
    for (const auto& [file, bytes] : files_)
        if (file.compare(0, prefix.size(), prefix) == 0) return Fail(ErrorKind::NotEmpty, "The directory is not empty.");
    for (const std::string& directory : directories_)
        if (directory.compare(0, prefix.size(), prefix) == 0) return Fail(ErrorKind::NotEmpty, "The directory is not empty.");
    directories_.erase(normal);
    directoryNames_.erase(normal);
    return true;
}

std::vector<FoundFile> RecordingPlatform::FindFiles(const std::string& pattern) {
    Log("FindFiles " + pattern);
    std::vector<FoundFile> found;
    if (failEverything) return found;
    const std::string normal = Normal(pattern);
    const std::string folder = FileKey(ParentOf(normal));
    const std::string namePattern = normal.substr(normal.rfind('\\') == std::string::npos ? 0 : normal.rfind('\\') + 1);
    for (const std::string& directory : directories_)
        if (ParentOf(directory) == folder) {
            const std::string& made = directoryNames_.count(directory) ? directoryNames_[directory] : directory;
            const std::string name = made.substr(made.rfind('\\') + 1);
            if (Matches(name, namePattern)) found.push_back({name, true});
        }
    for (const auto& [file, bytes] : files_)
        if (ParentOf(file) == folder) {
            const std::string& made = names_[file];
            const std::string name = made.substr(made.rfind('\\') + 1);
            if (Matches(name, namePattern)) found.push_back({name, false});
        }
    return found;
}

std::string RecordingPlatform::AnsiToUtf8(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
            continue;
        }
        text += static_cast<char>(0xC0 | (byte >> 6));
        text += static_cast<char>(0x80 | (byte & 0x3F));
    }
    return text;
}

std::optional<std::string> RecordingPlatform::ReadFile(const std::string& path) {
    Log("ReadFile " + path);
    if (failEverything) {
        FailDenied();
        return std::nullopt;
    }
    const auto file = files_.find(FileKey(Normal(path)));
    if (file == files_.end()) {
        FailNotFound();
        return std::nullopt;
    }
    return file->second;
}

bool RecordingPlatform::AppendText(const std::string& path, const std::string& text) {
    Log("AppendText " + path);
    if (failEverything) return FailDenied();
    // As text-mode appending does: a missing file is made, in a folder that exists.
    const std::string normal = FileKey(Normal(path));
    if (!files_.count(normal)) {
        if (!directories_.count(ParentOf(normal))) return Fail(ErrorKind::NotFound, "The system cannot find the path specified.");
        names_[normal] = Normal(path);
    }
    if (heldOpen_.count(normal)) return FailInUse();
    std::string& bytes = files_[normal];
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return true;
}

bool RecordingPlatform::SameFile(const std::string& a, const std::string& b) {
    return FileKey(Normal(a)) == FileKey(Normal(b));
}

LineWriter RecordingPlatform::CreateLog(const std::string& path) {
    Log("CreateLog " + path);
    const std::string normal = FileKey(Normal(path));
    if (failEverything || heldOpen_.count(normal) || directories_.count(normal)) {
        FailDenied();
        return nullptr;
    }
    if (!directories_.count(ParentOf(normal))) {
        Fail(ErrorKind::NotFound, "The system cannot find the path specified.");
        return nullptr;
    }
    files_[normal].clear();
    names_[normal] = Normal(path);
    return [this, normal](std::string_view line) { (files_[normal] += line) += "\r\n"; };
}

std::optional<std::uint64_t> RecordingPlatform::FreeKilobytes(const std::string& root) {
    Log("FreeKilobytes " + root);
    if (failEverything) {
        FailDenied();
        return std::nullopt;
    }
    return freeKilobytes;
}

std::string RecordingPlatform::ExpandEnvironment(const std::string& text) {
    if (failEverything) return text;
    std::string result;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto open = text.find('%', at);
        const auto close = open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) break;
        std::string name = text.substr(open + 1, close - open - 1);
        for (char& c : name) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        const auto variable = environment.find(name);
        result.append(text, at, open - at);
        if (variable != environment.end()) {
            result += variable->second;
            at = close + 1;
        } else {
            result += '%';
            at = open + 1;
        }
    }
    result.append(text, at, std::string::npos);
    return result;
}

std::optional<FileVersion> RecordingPlatform::VersionOf(const std::string& path) {
    Log("VersionOf " + path);
    if (failEverything) {
        FailDenied();
        return std::nullopt;
    }
    const auto version = versions_.find(FileKey(Normal(path)));
    if (version == versions_.end() || !files_.count(version->first)) return std::nullopt;
    return version->second;
}

long RecordingPlatform::CreateShortcut(const ShortcutSpec& shortcut) {
    Log("CreateShortcut " + shortcut.linkPath);
    if (failEverything) {
        FailDenied();
        return -1;
    }
    const std::string link = FileKey(Normal(shortcut.linkPath));
    if (!directories_.count(ParentOf(link))) {
        Fail(ErrorKind::NotFound, "The system cannot find the path specified.");
        return -1;
    }
    shortcuts.push_back(shortcut);
    files_[link] = "shortcut to " + shortcut.target;
    names_[link] = Normal(shortcut.linkPath);
    return 0;
}

bool RecordingPlatform::StartProgram(const std::string& application, const std::string& commandLine) {
    Log("StartProgram " + application + " | " + commandLine);
    if (failEverything) return FailDenied();
    return !missingPrograms.count(application) || FailNotFound();
}

bool RecordingPlatform::OpenWithShell(const std::string& path) {
    Log("OpenWithShell " + path);
    if (failEverything) return FailDenied();
    return !missingPrograms.count(path) || FailNotFound();
}

void RecordingPlatform::DeleteAtRestart(const std::string& path) { Log("DeleteAtRestart " + path); }

void RecordingPlatform::AddFile(const std::string& path, std::string bytes, std::optional<FileVersion> version) {
    const std::string normal = Normal(path);
    AddDirectories(ParentOf(normal));
    files_[FileKey(normal)] = std::move(bytes);
    names_[FileKey(normal)] = normal;
    if (version) versions_[FileKey(normal)] = *version;
}

void RecordingPlatform::AddDirectories(const std::string& path) {
    for (std::string at = Normal(path); !at.empty(); at = ParentOf(at)) {
        directories_.insert(FileKey(at));
        directoryNames_.emplace(FileKey(at), at);
    }
}

bool RecordingPlatform::FileExists(const std::string& path) const { return files_.count(FileKey(Normal(path))) != 0; }

bool RecordingPlatform::DirectoryExists(const std::string& path) const {
    return directories_.count(FileKey(Normal(path))) != 0;
}

bool RecordingPlatform::KeyExists(RootKey root, const std::string& path) const {
    return keys_.count(KeyName(root, path)) != 0;
}

void RecordingPlatform::HoldOpen(const std::string& path) { heldOpen_.insert(FileKey(Normal(path))); }

void RecordingPlatform::Protect(RootKey root, const std::string& path) { protectedKeys_.insert(KeyName(root, path)); }

std::optional<std::string> RecordingPlatform::Value(RootKey root, const std::string& path, const std::string& name) const {
    const auto key = keys_.find(KeyName(root, path));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.values.find(ValueKeyName(name));
    if (value == key->second.values.end()) return std::nullopt;
    return value->second.second;
}

std::optional<ValueType> RecordingPlatform::TypeOf(RootKey root, const std::string& path, const std::string& name) const {
    const auto key = keys_.find(KeyName(root, path));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.values.find(ValueKeyName(name));
    if (value == key->second.values.end()) return std::nullopt;
    return value->second.first;
}

}  // namespace kelsetup
