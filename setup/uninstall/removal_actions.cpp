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

}  // namespace

void UninstallRenameFile(UninstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 2, slots)) return;
    Trim(slots, 2);
    // Back to the first name; an existing file of that name makes the move fail.
    context.platform.MoveFileTo(JoinPath(context.installDir, slots[1]), JoinPath(context.installDir, slots[0]));
}

void UninstallStartMenu(UninstallContext& context, ScriptStream& stream) {
    RecordSlots slots;
    if (!ReadSingleRecord(stream, 3, slots)) return;
    // The shortcut removed is the one named after the product, whatever the record says.
    if (const auto startup = ReadShellFolder(context.platform, "Startup"))
        context.platform.RemoveFile(*startup + context.info.productName + ".lnk");
}

void UninstallRegistryValue(UninstallContext& context, ScriptStream& stream) {
    ForEachRecord(stream, Literal(4, [](const RecordSlots& slots) { return IsUsableLine(slots[0]); },
                                  [&](RecordSlots& slots) {
                                      std::string path = slots[0];
                                      const RootKey root = SplitRootKey(path);
                                      context.platform.DeleteValue(root, path, slots[1]);
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
    context.platform.DeleteValue(root, path, slots[1]);
}

void UninstallCopyFile(UninstallContext& context, ScriptStream& stream) {
    ForEachRecord(stream, Literal(2, nullptr, [&](RecordSlots& slots) {
                      context.platform.RemoveFile(JoinPath(JoinPath(context.installDir, slots[0]), slots[1]));
                  }));
}

void UninstallAddDirectory(UninstallContext& context, ScriptStream& stream) {
    std::vector<std::string> listed;
    ForEachRecord(stream, Literal(1, nullptr, [&](RecordSlots& slots) { listed.push_back(slots[0]); }));
    // Last first: directories listed below their parents go before the parents.
    for (auto it = listed.rbegin(); it != listed.rend(); ++it)
        context.platform.RemoveEmptyDirectory(JoinPath(context.installDir, *it));
}

void DeleteKeyTree(SetupPlatform& platform, RootKey root, const std::string& path) {
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
                      DeleteKeyTree(context.platform, root, path);
                      context.platform.DeleteKey(root, path);
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
                                      context.platform.RemoveFile(folder + "\\" + slots[2] + ".lnk");
                                      // Tried after every shortcut: it goes once the folder is empty.
                                      context.platform.RemoveEmptyDirectory(folder);
                                  }));
}

void ScheduleSelfRemoval(SetupPlatform& platform, const std::string& installDir) {
    platform.DeleteAtRestart(JoinPath(installDir, "setup.exe"));
    platform.DeleteAtRestart(installDir);
}

}  // namespace kelsetup
