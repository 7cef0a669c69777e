#include "install_actions.h"

#include "copy_batch.h"
#include "primitives.h"

namespace kelsetup {

namespace {

// A string block holds at most this many characters.
constexpr std::size_t kMaxStringBlockLength = 10239;

void Trim(RecordSlots& slots, int count) {
    for (int i = 0; i < count; ++i) TrimScriptLine(slots[static_cast<std::size_t>(i)]);
}

std::string NumberBytes(std::uint32_t number, bool bigEndian) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        const auto byte = static_cast<char>((number >> (8 * i)) & 0xFF);
        bytes[static_cast<std::size_t>(bigEndian ? 3 - i : i)] = byte;
    }
    return bytes;
}

// After a directory was asked for: one that was there already is no failure; one that is
// still missing is, with the reason the platform gave for the last refusal.
void ReportDirectory(InstallContext& context, const std::string& path) {
    if (context.platform.IsDirectory(path)) context.report.Done("Creating directory", path);
    else context.report.Failed("Creating directory", path, context.platform.LastError().text);
}

std::string ValueSubject(const std::string& key, const std::string& name) { return name + " in " + key; }

}  // namespace

std::string FromStartDirectory(const InstallContext& context, const std::string& name) {
    if (context.startDirectory.empty() || IsFullPath(name)) return name;
    return JoinPath(context.startDirectory, name);
}

void InstallAddDirectory(InstallContext& context, ScriptStream& stream) {
    SetupPlatform& platform = context.platform;
    CreatePathDirectories(context.installDir, platform);
    platform.MakeDirectory(context.installDir);
    ReportDirectory(context, context.installDir);
    ForEachRecord(stream, {1,
                           [&](RecordSlots& slots) {
                               ExpandInstallPath(slots[0], context.installDir, true, platform);
                               TrimScriptLine(slots[0]);
                           },
                           nullptr,
                           [&](RecordSlots& slots) {
                               const std::string path = JoinPath(context.installDir, slots[0]);
                               context.progress.ShowStatus("Creating directory:", path, "", "");
                               CreatePathDirectories(path, platform);
                               ReportDirectory(context, path);
                           }});
}

void InstallCopyFile(InstallContext& context, ScriptStream& stream) {
    CopyBatch batch(context.platform, context.report, "Copying file");
    ForEachRecord(stream, {2, [](RecordSlots& slots) { Trim(slots, 2); }, nullptr, [&](RecordSlots& slots) {
                               std::string destination = JoinPath(context.installDir, slots[0]);
                               destination = JoinPath(destination, slots[1]);
                               ExpandInstallPath(destination, context.installDir, true, context.platform);
                               context.progress.ShowStatus("Copying file:", slots[1], "to:", destination);
                               const std::string source = FromStartDirectory(context, slots[1]);
                               if (!SamePath(source, destination)) return batch.Add(source, destination);
                               // Installing into the start directory: the file is where it belongs.
                               batch.Flush();
                               context.report.Skipped("Copying file", destination, "it is already there.");
                           }});
}

void InstallRenameFile(InstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 2, slots)) return;
    for (int i = 0; i < 2; ++i) {
        ExpandInstallPath(slots[static_cast<std::size_t>(i)], context.installDir, true, context.platform);
        TrimScriptLine(slots[static_cast<std::size_t>(i)]);
    }
    const std::string from = JoinPath(context.installDir, slots[0]), to = JoinPath(context.installDir, slots[1]);
    context.report.Check(context.platform, "Renaming file", from + " to " + to, context.platform.MoveFileTo(from, to));
}

void InstallRegistryKey(InstallContext& context, ScriptStream& stream) {
    ForEachRecord(stream, {1, [](RecordSlots& slots) { Trim(slots, 1); }, nullptr, [&](RecordSlots& slots) {
                               context.progress.ShowStatus("Creating registry key:", slots[0], "", "");
                               std::string path = slots[0];
                               const RootKey root = SplitRootKey(path);
                               context.report.Check(context.platform, "Creating registry key", slots[0],
                                                    context.platform.CreateKey(root, path));
                           }});
}

ValueType ValueTypeNamed(std::string_view name) {
    const std::pair<const char*, ValueType> names[] = {
        {"REG_DWORD", ValueType::Number},          {"REG_BINARY", ValueType::Binary},
        {"REG_DWORD_BIG_ENDIAN", ValueType::NumberBigEndian}, {"REG_EXPAND_SZ", ValueType::ExpandString},
        {"REG_LINK", ValueType::Link},             {"REG_MULTI_SZ", ValueType::MultiString},
        {"REG_NONE;", ValueType::None},            {"REG_RESOURCE_LIST", ValueType::ResourceList},
    };
    for (const auto& [typeName, type] : names)
        if (IsMarker(name, typeName)) return type;
    return ValueType::String;
}

std::string ValueData(ValueType type, const std::string& data) {
    switch (type) {
        case ValueType::Number: return NumberBytes(static_cast<std::uint32_t>(ReadDecimal(data)), false);
        case ValueType::NumberBigEndian: return NumberBytes(static_cast<std::uint32_t>(ReadDecimal(data)), true);
        case ValueType::Binary: {
            std::string bytes;
            for (std::size_t k = 0; k < data.size() / 3; ++k)
                bytes += static_cast<char>(ReadDecimal(data.substr(3 * k, 3)) & 0xFF);
            return bytes;
        }
        // A list of strings ends with a second zero after its last string.
        case ValueType::MultiString: return data + std::string(2, '\0');
        default: return data + '\0';
    }
}

void InstallRegistryValue(InstallContext& context, ScriptStream& stream) {
    RecordSection section{4, [](RecordSlots& slots) { Trim(slots, 4); }, nullptr, [&](RecordSlots& slots) {
                              context.progress.ShowStatus("Creating/setting registry value:", slots[0], "", "");
                              std::string path = slots[0];
                              const RootKey root = SplitRootKey(path);
                              const ValueType type = ValueTypeNamed(slots[2]);
                              std::string data = slots[3];
                              ExpandInstallPath(data, context.installDir, false, context.platform);
                              // The key must exist already: a failed write is reported and passed over.
                              context.report.Check(context.platform, "Setting registry value",
                                                   ValueSubject(slots[0], slots[1]),
                                                   context.platform.SetValue(root, path, slots[1], type, ValueData(type, data)));
                          }};
    section.endsAtEndOfFile = true;
    ForEachRecord(stream, section);
}

void InstallRegistryString(InstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 2, slots)) return;
    Trim(slots, 2);
    context.progress.ShowStatus("Creating/setting registry value:", slots[0], "", "");
    std::string path = slots[0];
    const RootKey root = SplitRootKey(path);
    std::string text;
    for (std::string line;;) {
        line.clear();
        stream.ReadLine(line);
        TrimScriptLine(line);
        if (line.find("KelSetup:RegistryStringEnd") != std::string::npos || stream.AtEnd()) break;
        if (text.size() < kMaxStringBlockLength) text += line + '\n';
    }
    if (text.size() > kMaxStringBlockLength) text.resize(kMaxStringBlockLength);
    ExpandInstallPath(text, context.installDir, false, context.platform);
    TrimScriptLine(text);
    context.report.Check(context.platform, "Setting registry value", ValueSubject(slots[0], slots[1]),
                         context.platform.SetValue(root, path, slots[1], ValueType::String, text + '\0'));
}

std::optional<std::string> ReadShellFolder(SetupPlatform& platform, const std::string& valueName) {
    const auto data = platform.QueryValue(RootKey::CurrentUser, kShellFoldersKey, valueName, kMaxTextLength + 1);
    if (!data) return std::nullopt;
    std::string folder = data->substr(0, data->find('\0'));
    ExpandInstallPath(folder, "", true, platform);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

ShortcutSpec MakeShortcut(const std::string& directoryText, const std::string& program, const std::string& arguments,
                          const std::string& linkPath, const std::string& name) {
    ShortcutSpec shortcut;
    shortcut.target = directoryText + program;
    shortcut.iconPath = shortcut.target;
    shortcut.description = name;
    shortcut.workingDirectory = directoryText.empty() ? directoryText : directoryText.substr(0, directoryText.size() - 1);
    shortcut.arguments = arguments;
    shortcut.linkPath = linkPath;
    return shortcut;
}

void CreateShortcutReported(InstallContext& context, const ShortcutSpec& shortcut) {
    context.report.Check(context.platform, "Creating shortcut", shortcut.linkPath,
                         context.platform.CreateShortcut(shortcut) == 0);
}

void InstallStartMenu(InstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 3, slots)) return;
    Trim(slots, 3);
    ExpandInstallPath(slots[1], context.installDir, true, context.platform);
    const std::string directory = JoinPath(context.installDir, "");
    context.progress.ShowStatus("Adding " + slots[2] + " to the Startup Group...", directory + slots[0], "", "");
    const auto startup = ReadShellFolder(context.platform, "Startup");
    if (!startup) {
        context.report.Failed("Creating shortcut", slots[2], "the user's Startup folder is not known.");
        return;
    }
    std::string link = *startup + slots[2] + ".lnk";
    CutToLimit(link);
    CreateShortcutReported(context, MakeShortcut(directory, slots[0], slots[1], link, slots[2]));
}

void InstallAddProgram(InstallContext& context, ScriptStream& stream) {
    RecordSection section{3,
                          [&](RecordSlots& slots) {
                              Trim(slots, 3);
                              ExpandInstallPath(slots[1], context.installDir, true, context.platform);
                          },
                          [](const RecordSlots& slots) { return IsUsableLine(slots[0]) && IsUsableLine(slots[2]); },
                          [&](RecordSlots& slots) {
                              const std::string directory = JoinPath(context.installDir, "");
                              context.progress.ShowStatus("Creating program group and items:", context.folderName,
                                                          slots[0], "");
                              const auto programs = ReadShellFolder(context.platform, "Programs");
                              if (!programs) {
                                  context.report.Failed("Creating shortcut", slots[2],
                                                        "the user's Programs folder is not known.");
                                  return;
                              }
                              std::string folder = *programs + context.folderName;
                              CutToLimit(folder);
                              if (!folder.empty() && folder.back() == '\\') folder.pop_back();
                              CreatePathDirectories(folder, context.platform);
                              std::string link = folder + "\\" + slots[2] + ".lnk";
                              CutToLimit(link);
                              CreateShortcutReported(context, MakeShortcut(directory, slots[0], slots[1], link, slots[2]));
                          }};
    ForEachRecord(stream, section);
}

std::string VersionText(const FileVersion& version) {
    return std::to_string(static_cast<std::int32_t>(version.major)) + "." +
           std::to_string(static_cast<std::int32_t>(version.minor)) + "." +
           std::to_string(static_cast<std::int32_t>(version.third)) + "." +
           std::to_string(static_cast<std::int32_t>(version.fourth));
}

void InstallSystemFile(InstallContext& context, ScriptStream& stream) {
    SetupPlatform& platform = context.platform;
    ForEachRecord(stream, {2,
                           [&](RecordSlots& slots) {
                               Trim(slots, 2);
                               ExpandInstallPath(slots[0], context.installDir, true, platform);
                           },
                           nullptr,
                           [&](RecordSlots& slots) {
                               context.progress.ShowStatus("Installing system file:", slots[1], "to", slots[0]);
                               const std::string source = FromStartDirectory(context, slots[1]);
                               const auto installing = platform.VersionOf(source);
                               const std::string destination = JoinPath(slots[0], slots[1]);
                               const auto existing = platform.VersionOf(destination);
                               // Without two versions to compare, the file is copied without asking.
                               if (!existing || !installing || *existing == *installing ||
                                   context.progress.AskInstallConflict({*existing, *installing, slots[1]}))
                                   context.report.Check(platform, "Installing system file", destination,
                                                        platform.CopyFileOver(source, destination));
                               else
                                   context.report.Skipped("Installing system file", destination,
                                                          "the version that is there (" + VersionText(*existing) +
                                                              ") was kept.");
                           }});
}

void RunScriptProgram(SetupPlatform& platform, RunReport& report, const std::string& installDir, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 2, slots)) return;
    for (int i = 0; i < 2; ++i) {
        ExpandInstallPath(slots[static_cast<std::size_t>(i)], installDir, true, platform);
        TrimScriptLine(slots[static_cast<std::size_t>(i)]);
    }
    std::string commandLine = slots[0] + " " + slots[1];
    CutToLimit(commandLine);
    report.Check(platform, "Starting program", commandLine, platform.StartProgram(slots[0], commandLine));
}

}  // namespace kelsetup
