#include "config_writer.h"

#include "layout_writer.h"
#include "tree_walk.h"
#include "writer_output.h"

#include <map>
#include <optional>

namespace tarnwick {

namespace {

using Output = WriterOutput;

void AppendLineEnd(std::string& out, bool crLf) { out += crLf ? "\r\n" : "\n"; }

void AppendDirective(std::string& out, const ItemView& item, bool crLf) {
    out += item.text;
    out += ' ';
    out += item.value;
    // A value ending in a backslash would make Apache (and the reader) join the next line to it.
    if (out.back() == '\\') out += ' ';
    AppendLineEnd(out, crLf);
}

void AppendOpening(std::string& out, const ItemView& item, bool crLf) {
    out += '<';
    out += item.text;
    out += ' ';
    out += item.value;
    out += '>';
    AppendLineEnd(out, crLf);
}

void AppendClosing(std::string& out, std::string_view name, bool crLf) {
    out += "</";
    out += name;
    out += '>';
    AppendLineEnd(out, crLf);
}

// Writes everything below `top` as plain lines.
void WriteItems(Output& output, const ConfigTree& tree, ItemHandle top, bool crLf) {
    std::string& out = output.text;
    WalkInFileOrder(
        tree, top,
        [&](ItemHandle item, bool hasChildren) {
            const ItemView view = tree.GetItem(item);
            const bool section = view.sectionMark || hasChildren;
            if (section) AppendOpening(out, view, crLf);
            else AppendDirective(out, view, crLf);
            output.HandOnIfFull();
            return section;
        },
        [&](ItemHandle section) {
            AppendClosing(out, tree.GetItem(section).text, crLf);
            output.HandOnIfFull();
        });
}

// What the file of `fileItem` holds, kept as it stood or as plain lines.
void WriteFileItem(Output& output, const ConfigTree& tree, ItemHandle fileItem, bool crLf, bool keepLayout) {
    if (keepLayout) WriteKeptLayout(output, tree, fileItem, crLf);
    else WriteItems(output, tree, fileItem, crLf);
}

}  // namespace

void WriteSection(std::string& out, const ConfigTree& tree, ItemHandle section, bool crLf) {
    const ItemView view = tree.GetItem(section);
    AppendOpening(out, view, crLf);
    const std::string name(view.text);
    Output output{out};
    WriteItems(output, tree, section, crLf);
    AppendClosing(out, name, crLf);
}

void WriteFileItemText(std::string& out, const ConfigTree& tree, ItemHandle fileItem, bool crLf, bool keepLayout) {
    Output output{out};
    WriteFileItem(output, tree, fileItem, crLf, keepLayout);
}

bool WriteConfigFile(ConfigDocument& document, ItemHandle fileItem, const std::string& path) {
    if (InAnsiCodePage(document, fileItem)) {
        // Written whole: handed on in pieces, a character could be cut between two of them.
        std::string text;
        WriteFileItemText(text, document.tree, fileItem, document.crLfMode, document.keepLayout);
        const std::optional<std::string> bytes = FileBytesOf(document, fileItem, std::move(text));
        if (!bytes) return false;
        const std::unique_ptr<FileReplacement> file = document.files.BeginReplacement(path);
        return file && file->Write(*bytes) && file->Commit();
    }
    const std::unique_ptr<FileReplacement> file = document.files.BeginReplacement(path);
    if (!file) return false;
    std::string text;
    text.reserve(kFlushBytes + kFlushBytes / 2);
    Output output{text, file.get()};
    WriteFileItem(output, document.tree, fileItem, document.crLfMode, document.keepLayout);
    if (!text.empty()) output.written = file->Write(text) && output.written;
    return output.written && file->Commit();
}

std::string ReplaceChangedFileQuestion(const std::string& path) {
    return path + " was changed by another program since Tarnwick read it. Replace it with Tarnwick's version?";
}

namespace {

// Writes one file item that is to be saved; the problem when it was not.
std::optional<SaveProblem> SaveFileItem(ConfigDocument& document, ItemHandle item, const std::string& path,
                                        const ReplaceQuestion& askReplace) {
    const FileBaseline* baseline = BaselineOf(document, item);
    const std::optional<FileStamp> now = document.files.StampOf(path);
    const LineEnds written{document.crLfMode, !document.crLfMode};
    if (baseline && now && ChangedOnDisk(document.files, *baseline, path)) {
        if (!askReplace || !askReplace(path)) return SaveProblem::KeptOtherVersion;
    } else if (!baseline && now) {
        // A file Tarnwick never read: left alone when it already holds these very bytes.
        std::string text;
        WriteFileItemText(text, document.tree, item, document.crLfMode, document.keepLayout);
        const LineEnds ends = LineEndsOf(text);
        if (document.files.ReadFileBytes(path) == FileBytesOf(document, item, std::move(text))) {
            NoteFileBaseline(document, item, ends);
            return std::nullopt;
        }
    }
    if (InAnsiCodePage(document, item)) {
        std::string text;
        WriteFileItemText(text, document.tree, item, document.crLfMode, document.keepLayout);
        if (!FileBytesOf(document, item, std::move(text))) return SaveProblem::NotInCodePage;
    }
    if (!WriteConfigFile(document, item, path)) return SaveProblem::CouldNotWrite;
    NoteFileBaseline(document, item, written);
    return std::nullopt;
}

std::vector<UnsavedFile> SaveFiles(ConfigDocument& document, bool everyFile, const ReplaceQuestion& askReplace) {
    struct Target {
        ItemHandle item;
        std::string path;
        std::string sameFile;
    };
    std::vector<Target> targets;
    // Before anything is written: how many items would be saved to each file.
    std::map<std::string, int> itemsPerFile;
    for (ItemHandle file = document.tree.FirstFileItem(); file != kNoItem; file = document.tree.NextSibling(file)) {
        std::string path = FileItemTarget(document, file);
        std::string sameFile = SameFileKey(document.files, path);
        ++itemsPerFile[sameFile];
        targets.push_back({file, std::move(path), std::move(sameFile)});
    }

    std::vector<UnsavedFile> unsaved;
    for (const Target& target : targets) {
        std::optional<SaveProblem> problem = SaveProblem::SharedTarget;
        if (itemsPerFile[target.sameFile] == 1) {
            if (!everyFile && !FileItemChanged(document, target.item)) continue;
            problem = SaveFileItem(document, target.item, target.path, askReplace);
            if (!problem) continue;
        }
        unsaved.push_back({target.path, std::string(document.tree.GetItem(target.item).text), *problem, target.sameFile});
    }
    if (unsaved.empty()) MarkSaved(document);
    return unsaved;
}

}  // namespace

std::vector<UnsavedFile> SaveAllFiles(ConfigDocument& document, const ReplaceQuestion& askReplace) {
    return SaveFiles(document, false, askReplace);
}

std::vector<UnsavedFile> SaveFilesAs(ConfigDocument& document, std::string_view chosenPath, const ReplaceQuestion& askReplace) {
    const auto lastBackslash = chosenPath.rfind('\\');
    if (lastBackslash != std::string_view::npos)
        document.configDirectory = std::string(chosenPath.substr(0, lastBackslash + 1));
    return SaveFiles(document, true, askReplace);
}

std::string UnsavedFilesMessage(const std::vector<UnsavedFile>& unsaved) {
    std::string text = "These files were not saved; they are unchanged on disk:\n";
    for (std::size_t i = 0; i < unsaved.size(); ++i) {
        const UnsavedFile& file = unsaved[i];
        if (file.problem == SaveProblem::CouldNotWrite) {
            text += "\n" + file.path + " (it could not be written)";
            continue;
        }
        if (file.problem == SaveProblem::NotInCodePage) {
            text += "\n" + file.path + " (it is kept in the system's code page, which cannot hold some of its new text)";
            continue;
        }
        if (file.problem == SaveProblem::KeptOtherVersion) {
            text += "\n" + file.path + " (another program changed it, and its version was kept)";
            continue;
        }
        // Items sharing a target are listed once, with every one of their names.
        bool listed = false;
        for (std::size_t j = 0; j < i && !listed; ++j)
            listed = unsaved[j].problem == SaveProblem::SharedTarget && unsaved[j].sameFile == file.sameFile;
        if (listed) continue;
        std::string names;
        std::size_t count = 0;
        for (const UnsavedFile& other : unsaved) {
            if (other.problem != SaveProblem::SharedTarget || other.sameFile != file.sameFile) continue;
            names += (count++ ? ", \"" : "\"") + other.itemText + "\"";
        }
        text += "\n" + file.path + " (" + std::to_string(count) + " file items would be saved to it: " + names +
                "; delete all but one of them, then save again)";
    }
    return text;
}

}  // namespace tarnwick
