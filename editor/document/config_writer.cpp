#include "config_writer.h"

namespace tarnwick {

namespace {

// Lines are collected in `text`; with a file to write to, they are handed on whenever they
// pass kFlushBytes, so a save never holds a second copy of the whole configuration.
constexpr std::size_t kFlushBytes = 64 * 1024;

struct Output {
    std::string& text;
    FileReplacement* file = nullptr;
    bool written = true;

    void HandOnIfFull() {
        if (!file || text.size() < kFlushBytes) return;
        written = file->Write(text) && written;
        text.clear();
    }
};

void AppendLineEnd(std::string& out, bool crLf) { out += crLf ? "\r\n" : "\n"; }

void AppendDirective(std::string& out, const ItemView& item, bool crLf) {
    out += item.text;
    out += ' ';
    out += item.value;
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

// Writes `first`, its following siblings and everything below them. Sections are entered
// through their first child and closed on the way back up, following parent links instead of
// recursing, so any depth is written.
void WriteItems(Output& output, const ConfigTree& tree, ItemHandle first, bool crLf) {
    if (first == kNoItem) return;
    std::string& out = output.text;
    const ItemHandle level = tree.Parent(first);
    ItemHandle item = first;
    while (item != kNoItem) {
        const ItemView view = tree.GetItem(item);
        const ItemHandle child = tree.FirstChild(item);
        if (view.sectionMark || child != kNoItem) {
            AppendOpening(out, view, crLf);
            if (child != kNoItem) {
                item = child;
                continue;
            }
            AppendClosing(out, view.text, crLf);
        } else {
            AppendDirective(out, view, crLf);
        }
        output.HandOnIfFull();
        // Move on: the next sibling, or close the sections whose last child this was.
        for (;;) {
            if (const ItemHandle next = tree.NextSibling(item); next != kNoItem) {
                item = next;
                break;
            }
            const ItemHandle parent = tree.Parent(item);
            if (parent == level) {
                item = kNoItem;
                break;
            }
            AppendClosing(out, tree.GetItem(parent).text, crLf);
            item = parent;
        }
    }
}

}  // namespace

std::string FileItemTarget(const ConfigDocument& document, ItemHandle fileItem) {
    const ItemView item = document.tree.GetItem(fileItem);
    std::string target = (item.hasValue && !item.value.empty()) ? std::string(item.value) : document.configDirectory;
    AppendBackslash(target);
    target += item.text;
    return target;
}

void WriteSection(std::string& out, const ConfigTree& tree, ItemHandle section, bool crLf) {
    const ItemView view = tree.GetItem(section);
    AppendOpening(out, view, crLf);
    const std::string name(view.text);
    Output output{out};
    WriteItems(output, tree, tree.FirstChild(section), crLf);
    AppendClosing(out, name, crLf);
}

void WriteFileItemText(std::string& out, const ConfigTree& tree, ItemHandle fileItem, bool crLf) {
    Output output{out};
    WriteItems(output, tree, tree.FirstChild(fileItem), crLf);
}

bool WriteConfigFile(ConfigDocument& document, ItemHandle fileItem, const std::string& path) {
    const std::unique_ptr<FileReplacement> file = document.files.BeginReplacement(path);
    if (!file) return false;
    std::string text;
    text.reserve(kFlushBytes + kFlushBytes / 2);
    Output output{text, file.get()};
    WriteItems(output, document.tree, document.tree.FirstChild(fileItem), document.crLfMode);
    if (!text.empty()) output.written = file->Write(text) && output.written;
    return output.written && file->Commit();
}

std::vector<std::string> SaveAllFiles(ConfigDocument& document) {
    std::vector<std::string> failed;
    for (ItemHandle file = document.tree.FirstFileItem(); file != kNoItem; file = document.tree.NextSibling(file)) {
        const std::string target = FileItemTarget(document, file);
        if (!WriteConfigFile(document, file, target)) failed.push_back(target);
    }
    return failed;
}

std::vector<std::string> SaveFilesAs(ConfigDocument& document, std::string_view chosenPath) {
    const auto lastBackslash = chosenPath.rfind('\\');
    if (lastBackslash != std::string_view::npos)
        document.configDirectory = std::string(chosenPath.substr(0, lastBackslash + 1));
    return SaveAllFiles(document);
}

}  // namespace tarnwick
