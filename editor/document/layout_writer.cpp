#include "layout_writer.h"

#include "config_lines.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

namespace {

constexpr std::string_view kIndentStep = "    ";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view LeadingBlanks(std::string_view line) {
    std::size_t end = 0;
    while (end < line.size() && IsBlank(line[end])) ++end;
    return line.substr(0, end);
}

// What an item's kept text says, read again as the reader read it.
struct KeptItem {
    ItemSource source;
    LogicalLine line;
    std::string joined;  // backs the line's views when it was continued
};

// A section being written: what its closing needs once its children are out.
struct OpenSection {
    std::string name;
    std::string indent;                 // the indentation its own line was written with
    std::optional<ItemSource> source;   // where it stood, when it was read
    bool sameDepth = false;
    bool nameKept = false;
    std::optional<std::string> lastIndent;  // of the child written last
};

class LayoutWriter {
public:
    LayoutWriter(WriterOutput& output, const ConfigTree& tree, bool crLf)
        : output_(output), out_(output.text), tree_(tree), eol_(crLf ? "\r\n" : "\n"), crLf_(crLf) {}

    void WriteFile(ItemHandle fileItem) {
        const ItemView file = tree_.GetItem(fileItem);
        const std::optional<ItemSource> tail = file.source ? std::optional(*file.source) : std::nullopt;
        open_.push_back(OpenSection{std::string(file.text), "", std::nullopt, true, true, std::nullopt});
        WriteItems(fileItem);
        // The lines after the last item come last; a section the file never closed stays so.
        if (tail) Kept(tail->CloseLead());
        pendingCloses_.clear();
        open_.clear();
    }

private:
    // The items below `top`, entered through first children and closed on the way back up,
    // following parent links instead of recursing, so any depth is written.
    void WriteItems(ItemHandle top) {
        ItemHandle item = tree_.FirstChild(top);
        while (item != kNoItem) {
            const ItemHandle child = tree_.FirstChild(item);
            if (Enter(item, child != kNoItem)) {
                if (child != kNoItem) {
                    item = child;
                    continue;
                }
                Leave();
            }
            output_.HandOnIfFull();
            for (;;) {
                if (const ItemHandle next = tree_.NextSibling(item); next != kNoItem) {
                    item = next;
                    break;
                }
                item = tree_.Parent(item);
                if (item == top) {
                    item = kNoItem;
                    break;
                }
                Leave();
            }
        }
    }

    // Writes the item's lines; returns whether it opened a section, to be left after its children.
    bool Enter(ItemHandle item, bool hasChildren) {
        const ItemView view = tree_.GetItem(item);
        const bool isSection = view.sectionMark || hasChildren;
        const std::uint32_t depth = static_cast<std::uint32_t>(open_.size());
        OpenSection& parent = open_.back();
        const std::string newIndent = parent.lastIndent ? *parent.lastIndent
                                      : depth == 1      ? std::string()
                                                        : parent.indent + std::string(kIndentStep);
        std::optional<KeptItem> kept = ReadKept(view);
        const bool sameDepth = kept && kept->source.depth == depth;
        const std::string indent = sameDepth ? std::string(kept->line.indentation) : newIndent;
        const std::string_view value = view.hasValue ? view.value : std::string_view();
        const auto wanted = isSection ? LogicalLine::Kind::Opening : LogicalLine::Kind::Directive;
        const bool unchanged =
            kept && kept->line.kind == wanted && kept->line.fields.text == view.text && kept->line.fields.value == value;

        FlushPendingCloses();
        if (kept) Kept(sameDepth ? kept->source.Lead() : Reindented(kept->source.Lead(), kept->line.indentation, indent));
        if (unchanged) {
            Kept(sameDepth ? kept->source.Own() : Reindented(kept->source.Own(), kept->line.indentation, indent, true));
        } else if (isSection) {
            const std::string_view after =
                kept && kept->line.kind == LogicalLine::Kind::Opening ? kept->line.afterClose : std::string_view();
            Line({indent, "<", view.text, " ", value, ">", after});
        } else {
            Line({indent, view.text, " ", value});
        }
        parent.lastIndent = indent;
        if (!isSection) return false;
        const bool nameKept = kept && kept->line.kind == LogicalLine::Kind::Opening && kept->line.fields.text == view.text;
        open_.push_back(OpenSection{std::string(view.text), indent, kept ? std::optional(kept->source) : std::nullopt,
                                    sameDepth, nameKept, std::nullopt});
        return true;
    }

    void Leave() {
        const OpenSection section = std::move(open_.back());
        open_.pop_back();
        if (!section.source) {
            FlushPendingCloses();
            Line({section.indent, "</", section.name, ">"});
            return;
        }
        const std::string_view close = section.source->Close();
        if (close.empty() && section.sameDepth) {
            // The file never closed it: nor does the output, unless more follows it.
            pendingCloses_.push_back({section.indent, "</" + section.name + ">"});
            return;
        }
        FlushPendingCloses();
        const std::string_view closeIndent = LeadingBlanks(close);
        const std::string_view closeLead = section.source->CloseLead();
        Kept(section.sameDepth ? closeLead : Reindented(closeLead, closeIndent, section.indent));
        if (!close.empty() && section.sameDepth && section.nameKept) {
            Kept(close);
            return;
        }
        const std::string_view indent = section.sameDepth && !close.empty() ? closeIndent : std::string_view(section.indent);
        const std::size_t bracket = close.find('>');
        std::string_view after = bracket == std::string_view::npos ? std::string_view() : close.substr(bracket + 1);
        after = after.substr(0, after.find_first_of("\r\n"));
        Line({indent, "</", section.name, ">", after});
    }

    // The kept text of an item read from a file, read again; nothing for a new item.
    static std::optional<KeptItem> ReadKept(const ItemView& view) {
        if (!view.source || !view.source->file) return std::nullopt;
        std::optional<KeptItem> kept(std::in_place);
        kept->source = *view.source;
        LineCursor lines(kept->source.Own());
        std::optional<LogicalLine> line = NextLogicalLine(lines, kept->joined);
        if (line) kept->line = *line;
        return kept;
    }

    // Replaces the indentation `from` by `to` where a line of `text` starts with it (and holds
    // more than blanks); with `firstOnly`, only on the first line (a continued line's pieces
    // keep theirs).
    static std::string Reindented(std::string_view text, std::string_view from, std::string_view to, bool firstOnly = false) {
        std::string result;
        LineCursor lines(text);
        std::string_view line;
        bool first = true;
        for (std::size_t begin = 0; lines.Next(line); begin = lines.Position(), first = false) {
            const std::string_view whole = text.substr(begin, lines.Position() - begin);
            const bool matches = (first || !firstOnly) && LeadingBlanks(line) == from && line.size() > from.size();
            if (matches) {
                result += to;
                result += whole.substr(from.size());
            } else {
                result += whole;
            }
        }
        return result;
    }

    void FlushPendingCloses() {
        for (const auto& [indent, close] : pendingCloses_) Line({indent, close});
        pendingCloses_.clear();
    }

    // A line of the writer's own: after a line break if the output does not stand at one.
    void Line(std::initializer_list<std::string_view> pieces) {
        EnsureLineStart();
        for (std::string_view piece : pieces) out_ += piece;
        out_ += eol_;
        atLineStart_ = true;
    }

    // Kept text, its line ends as the CR/LF mode says. A last line without a line end stays
    // so, unless more is written after it.
    void Kept(std::string_view text) {
        if (text.empty()) return;
        EnsureLineStart();
        if (!crLf_ && text.find('\r') == std::string_view::npos) {
            out_ += text;
        } else {
            LineCursor lines(text);
            std::string_view line;
            for (std::size_t begin = 0; lines.Next(line); begin = lines.Position()) {
                out_ += line;
                if (lines.Position() > begin + line.size()) out_ += eol_;
            }
        }
        atLineStart_ = text.back() == '\n' || text.back() == '\r';
    }

    void EnsureLineStart() {
        if (atLineStart_) return;
        out_ += eol_;
        atLineStart_ = true;
    }

    WriterOutput& output_;
    std::string& out_;
    const ConfigTree& tree_;
    const std::string_view eol_;
    const bool crLf_;
    bool atLineStart_ = true;
    std::vector<OpenSection> open_;  // the file item, then every section entered and not yet left
    std::vector<std::pair<std::string, std::string>> pendingCloses_;  // indentation and closing line
};

}  // namespace

void WriteKeptLayout(WriterOutput& output, const ConfigTree& tree, ItemHandle fileItem, bool crLf) {
    LayoutWriter(output, tree, crLf).WriteFile(fileItem);
}

}  // namespace tarnwick
