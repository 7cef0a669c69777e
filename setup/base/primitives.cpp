#include "primitives.h"

#include <climits>
#include <vector>

namespace kelsetup {

namespace {

constexpr std::string_view kMarkerText = "KelSetup:";
constexpr std::string_view kInstallDirMacro = "%InstallDir%";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::vector<PlatformError> SetupPlatform::CopyFilesOver(const std::vector<FileCopy>& copies) {
    std::vector<PlatformError> errors;
    errors.reserve(copies.size());
    for (const FileCopy& copy : copies) errors.push_back(CopyFileOver(copy.from, copy.to) ? PlatformError{} : LastError());
    return errors;
}

const char* RootName(RootKey root) {
    switch (root) {
        case RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
        case RootKey::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case RootKey::Users: return "HKEY_USERS";
        default: return "HKEY_CURRENT_USER";
    }
}

void CutToLimit(std::string& text) {
    if (text.size() <= kMaxTextLength) return;
    // Never in the middle of a character: its first bytes alone would be no character at all.
    std::size_t cut = kMaxTextLength;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
}

void TrimScriptLine(std::string& text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    if (text.empty() || (text.front() != ' ' && text.back() != ' ')) return;
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool HasMarkerText(std::string_view text) { return text.find(kMarkerText) != std::string_view::npos; }

bool IsUsableLine(std::string_view text) {
    return !text.empty() && text[0] != '/' && !(text.size() > 1 && text[1] == '/');
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool IsMarker(std::string_view line, std::string_view marker) { return EqualsIgnoringCase(line, marker); }

int ReadRecordLines(int count, RecordSlots& slots, ScriptStream& stream) {
    int stored = 0;
    std::string line;
    while (stored < count) {
        line.clear();
        stream.ReadLine(line);
        if (HasMarkerText(line) || stream.AtEnd()) break;
        slots[static_cast<std::size_t>(stored++)] = line;
    }
    return stored;
}

void ForEachRecord(ScriptStream& stream, const RecordSection& section) {
    RecordSlots slots;
    const auto lines = static_cast<std::size_t>(section.lines);
    bool more = true;
    while (more) {
        const std::size_t start = stream.Position();
        if (ReadRecordLines(section.lines, slots, stream) < section.lines) {
            stream.Seek(start);
            more = false;
        }
        const bool atEnd = stream.AtEnd();
        if (section.prepare) section.prepare(slots);
        bool marker = false;
        for (std::size_t i = 0; i < lines; ++i) marker = marker || HasMarkerText(slots[i]);
        if (marker || (section.endsAtEndOfFile && atEnd)) {
            more = false;
            stream.Seek(start);
        }
        bool usable = true;
        if (section.usable) usable = section.usable(slots);
        else
            for (std::size_t i = 0; i < lines; ++i) usable = usable && IsUsableLine(slots[i]);
        if (!usable) continue;
        // A group cut short may still hold an earlier record's text: it is never acted on.
        if (!more) break;
        section.act(slots);
    }
}

bool ReadSingleRecord(ScriptStream& stream, int lines, RecordSlots& slots) {
    const std::size_t start = stream.Position();
    if (ReadRecordLines(lines, slots, stream) < lines) {
        stream.Seek(start);
        return false;
    }
    return true;
}

void ExpandInstallPath(std::string& text, std::string_view installDir, bool expandEnvironment, SetupPlatform& platform) {
    const std::string separator = (!text.empty() && text.back() == '\\') ? "" : "\\";
    if (text.find(kInstallDirMacro) != std::string::npos) {
        // Each replacement works in a line-sized buffer: the result is cut at the line limit.
        std::string result;
        std::size_t from = 0;
        for (std::size_t at; (at = text.find(kInstallDirMacro, from)) != std::string::npos;
             from = at + kInstallDirMacro.size()) {
            result.append(text, from, at - from);
            result += installDir;
            result += separator;
        }
        result.append(text, from, std::string::npos);
        CutToLimit(result);
        text = std::move(result);
    }
    if (expandEnvironment) {
        text = platform.ExpandEnvironment(text);
        CutToLimit(text);
    }
}

void WalkScriptLines(ScriptStream& stream, const std::function<void(const std::string& line)>& onLine,
                     const std::function<void(std::size_t position)>& afterLine) {
    do {
        std::string line;
        stream.ReadLine(line);
        TrimScriptLine(line);
        onLine(line);
        afterLine(stream.Position());
    } while (!stream.AtEnd());
}

int PercentOf(std::size_t position, std::size_t size) {
    if (size == 0) return 100;
    return static_cast<int>(static_cast<std::uint64_t>(position) * 100 / size);
}

RootKey SplitRootKey(std::string& path) {
    std::string root = path;
    if (const auto backslash = path.find('\\'); backslash != std::string::npos) {
        root = path.substr(0, backslash);
        path = path.substr(backslash + 1);
    }
    if (IsMarker(root, "HKEY_LOCAL_MACHINE")) return RootKey::LocalMachine;
    if (IsMarker(root, "HKEY_CLASSES_ROOT")) return RootKey::ClassesRoot;
    if (IsMarker(root, "HKEY_USERS")) return RootKey::Users;
    return RootKey::CurrentUser;
}

void CreatePathDirectories(const std::string& path, SetupPlatform& platform) {
    const auto first = path.find('\\');
    if (first == std::string::npos) return;
    std::size_t from = first + 1;
    while (from <= path.size()) {
        const auto backslash = path.find('\\', from);
        if (backslash == std::string::npos) break;
        platform.MakeDirectory(path.substr(0, backslash));
        from = backslash + 2;  // the character right after a backslash is not looked at
    }
    platform.MakeDirectory(path);
}

std::string NormalPath(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    const auto flush = [&] {
        if (part == "..") {
            if (parts.size() > 1) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (char c : path) {
        if (c == '\\' || c == '/') flush();
        else part += c;
    }
    flush();
    std::string normal;
    for (const std::string& each : parts) normal += (normal.empty() ? "" : "\\") + each;
    return normal;
}

std::string PathKey(std::string_view path) {
    std::string key = NormalPath(path);
    for (char& c : key) c = Lower(c);
    return key;
}

bool SamePath(std::string_view a, std::string_view b) { return PathKey(a) == PathKey(b); }

bool IsFullPath(std::string_view path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (path.empty() || path.back() != '\\') path += '\\';
    path += name;
    CutToLimit(path);
    return path;
}

std::int32_t ReadDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long number = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        number = number * 10 + (text[at] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1) number = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) number = -number;
    if (number > INT_MAX) return INT_MAX;
    if (number < INT_MIN) return INT_MIN;
    return static_cast<std::int32_t>(number);
}

}  // namespace kelsetup
