#include "removal_actions.h"

#include "install_actions.h"
#include "primitives.h"

#include <vector>

namespace kelsetup {

namespace {

void Trim(RecordSlots& slots, int count) {
    for (int i = 0; i < count; ++i) TrimScriptLine(slots[static_cast<std::size_t>(i)]);
}

// The removal loops take every field literally: they only trim.
RecordSection Literal(int lines, std::function<bool(const RecordSlots&)> usable, std::function<void(RecordSlots&)> act) {
    return {lines, [lines](RecordSlots& slots) { Trim(slots, lines); }, std::move(usable), std::move(act)};
}

// A key path that is empty once the root is split off names the root key itself.
bool NamesARootKey(const std::string& path) { return path.find_first_not_of("\\ ") == std::string::npos; }

// Whether `path` lies inside `folder`, not being it, once "." and ".." parts are resolved.
bool IsBelow(const std::string& path, const std::string& folder) {
    const std::string inside = PathKey(folder) + "\\";
    const std::string key = PathKey(path);
    return key.size() > inside.size() && key.compare(0, inside.size(), inside) == 0;
}

}  // namespace

void ReportRemoval(UninstallContext& context, const std::string& action, const std::string& subject, bool removed) {
    if (removed) {
        context.report.Done(action, subject);
        return;
    }
    const PlatformError error = context.platform.LastError();
    if (error.kind == ErrorKind::NotFound) context.report.Skipped(action, subject, "it is not there.");
    else if (error.kind == ErrorKind::NotEmpty)
        context.report.Skipped(action, subject, "it still holds files that were not installed; it stays.");
    else context.report.Failed(action, subject, error.text);
}

void UninstallRenameFile(UninstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 2, slots)) return;
    Trim(slots, 2);
    // Back to the first name; an existing file of that name makes the move fail.
    const std::string from = JoinPath(context.installDir, slots[1]), to = JoinPath(context.installDir, slots[0]);
    ReportRemoval(context, "Renaming file back", from + " to " + to, context.platform.MoveFileTo(from, to));
}

void UninstallStartMenu(UninstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 3, slots)) return;
    // The shortcut removed is the one named after the product, whatever the record says.
    if (const auto startup = ReadShellFolder(context.platform, "Startup")) {
        const std::string link = *startup + context.info.productName + ".lnk";
        ReportRemoval(context, "Removing shortcut", link, context.platform.RemoveFile(link));
    }
}

void UninstallRegistryValue(UninstallContext& context, ScriptStream& stream) {
    ForEachRecord(stream, Literal(4, [](const RecordSlots& slots) { return IsUsableLine(slots[0]); },
                                  [&](RecordSlots& slots) {
                                      std::string path = slots[0];
                                      const RootKey root = SplitRootKey(path);
                                      ReportRemoval(context, "Removing registry value", slots[1] + " in " + slots[0],
                                                    context.platform.DeleteValue(root, path, slots[1]));
                                  }));
}

void UninstallRegistryString(UninstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 2, slots)) return;
    Trim(slots, 2);
    std::string path = slots[0];
    const RootKey root = SplitRootKey(path);
    for (std::string line;;) {  // the block's text and its end line are consumed
        line.clear();
        stream.ReadLine(line);
        if (line.find("KelSetup:RegistryStringEnd") != std::string::npos || stream.AtEnd()) break;
    }
    ReportRemoval(context, "Removing registry value", slots[1] + " in " + slots[0],
                  context.platform.DeleteValue(root, path, slots[1]));
}

void UninstallCopyFile(UninstallContext& context, ScriptStream& stream) {
    ForEachRecord(stream, Literal(2, nullptr, [&](RecordSlots& slots) {
                      const std::string path = JoinPath(JoinPath(context.installDir, slots[0]), slots[1]);
                      const bool removed = context.platform.RemoveFile(path);
                      const ErrorKind why = removed ? ErrorKind::None : context.platform.LastError().kind;
                      // The setup program running now cannot remove its own file: that is left
                      // for the next restart, like the install directory.
                      if (why != ErrorKind::None && why != ErrorKind::NotFound &&
                          SamePath(path, SetupProgramPath(context.installDir))) {
                          context.report.Skipped("Removing file", path, "it is the running setup program.");
                      } else if (why == ErrorKind::InUse) {
                          // A program still running (the installed one, say) holds it: deleted at
                          // the next restart, since once the entry and the script are gone
                          // nothing else would ever remove it.
                          context.platform.DeleteAtRestart(path);
                          context.report.LeftForRestart("Removing file", path);
                      } else {
                          ReportRemoval(context, "Removing file", path, removed);
                      }
                  }));
}

void UninstallAddDirectory(UninstallContext& context, ScriptStream& stream) {
    std::vector<std::string> listed;
    ForEachRecord(stream, Literal(1, nullptr, [&](RecordSlots& slots) { listed.push_back(slots[0]); }));
    // Last first: directories listed below their parents go before the parents.
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        const std::string path = JoinPath(context.installDir, *it);
        ReportRemoval(context, "Removing directory", path, context.platform.RemoveEmptyDirectory(path));
    }
}

void DeleteKeyTree(SetupPlatform& platform, RootKey root, const std::string& path) {
    if (NamesARootKey(path)) return;
    // Depth-first with an explicit list of the keys still to empty.
    std::vector<std::string> pending{path};
    while (!pending.empty()) {
        const std::string key = pending.back();
        const std::vector<std::string> below = platform.EnumerateKeys(root, key);
        if (below.empty()) {
            pending.pop_back();
            if (pending.empty()) break;  // the listed key itself is the caller's
            if (!platform.DeleteKey(root, key)) return;  // a key that resists ends the loop
            continue;
        }
        pending.push_back(key + "\\" + below.front());
    }
}

void UninstallRegistryKey(UninstallContext& context, ScriptStream& stream) {
    ForEachRecord(stream, Literal(1, nullptr, [&](RecordSlots& slots) {
                      std::string path = slots[0];
                      const RootKey root = SplitRootKey(path);
                      // A root key itself is never deleted, whatever the script says.
                      if (NamesARootKey(path)) {
                          context.report.Skipped("Removing registry key", slots[0], "it names a whole root key.");
                          return;
                      }
                      DeleteKeyTree(context.platform, root, path);
                      ReportRemoval(context, "Removing registry key", slots[0], context.platform.DeleteKey(root, path));
                  }));
}

void UninstallAddProgram(UninstallContext& context, ScriptStream& stream) {
    ForEachRecord(stream, Literal(3, [](const RecordSlots& slots) { return IsUsableLine(slots[0]) && IsUsableLine(slots[2]); },
                                  [&](RecordSlots& slots) {
                                      const auto programs = ReadShellFolder(context.platform, "Programs");
                                      if (!programs) return;
                                      std::string folder = *programs + context.folderName;
                                      CutToLimit(folder);
                                      if (!folder.empty() && folder.back() == '\\') folder.pop_back();
                                      const std::string link = folder + "\\" + slots[2] + ".lnk";
                                      ReportRemoval(context, "Removing shortcut", link, context.platform.RemoveFile(link));
                                      // Tried after every shortcut: it goes once the folder is empty,
                                      // which is why a folder that is not empty yet is not reported.
                                      // Only a folder below Programs: never Programs itself, nor
                                      // anything a name with ".." in it reaches outside it.
                                      if (IsBelow(folder, *programs)) context.platform.RemoveEmptyDirectory(folder);
                                  }));
}

std::string SetupProgramPath(const std::string& installDir) { return JoinPath(installDir, "setup.exe"); }

void ScheduleSelfRemoval(SetupPlatform& platform, RunReport& report, const std::string& installDir) {
    for (const std::string& path : {SetupProgramPath(installDir), installDir}) {
        platform.DeleteAtRestart(path);
        // Always so for an uninstall run from the install directory: no reason for a restart.
        report.LeftForRestart("Removing at the next restart", path, false);
    }
}

}  // namespace kelsetup
