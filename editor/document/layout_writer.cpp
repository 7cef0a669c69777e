#include "layout_writer.h"

#include "config_lines.h"
#include "tree_walk.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnwick {

namespace {

constexpr std::string_view kIndentStep = "    ";

// The kept text of an item, read again as the reader read it.
struct ReadAgain {
    LogicalLine line;
    std::string joined;  // backs the line's views when it was continued
};

ReadAgain ReadOwn(const ItemSource& source) {
    ReadAgain read;
    LineCursor lines(source.Own());
    NextLogicalLine(lines, read.joined, read.line);
    return read;
}

// The same bytes: at once when they are the same stretch of memory, as a tree that points
// into the file keeps them.
bool Same(std::string_view kept, std::string_view now) {
    return kept.size() == now.size() && (kept.data() == now.data() || kept == now);
}

// Whether the item still says what its kept text says: the same kind, name and value.
bool StillSays(const ItemSource& source, bool isSection, std::string_view text, std::string_view value) {
    if (source.linesOnly || source.opening != isSection) return false;
    if (source.fieldsInPlace) return Same(source.Text(), text) && Same(source.Value(), value);
    const ReadAgain read = ReadOwn(source);
    return read.line.fields.text == text && read.line.fields.value == value;
}

#if defined(__SSE2__)
// Where SSE2 is not, the general loop of AppendWithLineEnds serves.
constexpr std::size_t kStep = 64;

// Copies kStep bytes from `from` to `to`; returns where the first LF among them stands, or kStep.
// A step as long as a typical line: the next step cannot start before this one's LF is found,
// so the fewer steps a line takes, the fewer times that wait is paid.
std::size_t CopyStep(const char* from, char* to) {
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint64_t found = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * part));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16 * part), bytes);
        const auto mask = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
        found |= static_cast<std::uint64_t>(mask) << (16 * part);
    }
    return static_cast<std::size_t>(std::countr_zero(found));
}

// Appends `text`, which holds no CR, with a CR before every LF: what saving an LF file in
// CR LF mode does to every kept line. The text is copied a step of bytes at a time, each step
// looked through for an LF as it goes: calling memchr and append for every short line cost
// half of such a save.
void AppendLfAsCrLf(std::string& out, std::string_view text) {
    constexpr std::size_t kBlock = 4096;
    const char* from = text.data();
    const char* const end = from + text.size();
    std::size_t used = out.size();
    while (from < end) {
        // Room for a block at its worst (all LFs) and a whole step and a CR LF beyond it.
        const std::size_t block = std::min<std::size_t>(kBlock, static_cast<std::size_t>(end - from));
        out.resize(used + 2 * block + kStep + 2);
        char* to = out.data() + used;
        const char* const blockEnd = from + block;
        // Without a branch on whether the step held an LF: which it does is as good as random,
        // and a guessed-wrong branch per line cost more than the copying. A step without one
        // writes its CR LF just past itself, where the next step's bytes go over it.
        while (static_cast<std::size_t>(blockEnd - from) >= kStep) {
            const std::size_t at = CopyStep(from, to);
            const std::size_t hit = at < kStep;
            to[at] = '\r';
            to[at + 1] = '\n';
            from += at + hit;
            to += at + 2 * hit;
        }
        for (; from < blockEnd; ++from) {
            if (*from == '\n') *to++ = '\r';
            *to++ = *from;
        }
        used = static_cast<std::size_t>(to - out.data());
    }
    out.resize(used);
}
#endif

// Appends `text` with every line end (LF, CR LF or a lone CR) as `eol`. Stretches whose line
// ends already are `eol` go in whole, so a file saved in its own mode costs one copy.
void AppendWithLineEnds(std::string& out, std::string_view text, std::string_view eol) {
    const std::size_t size = text.size();
    const auto find = [&text, size](char c, std::size_t from) {
        const std::size_t at = text.find(c, from);
        return at == std::string_view::npos ? size : at;
    };
    std::size_t cr = find('\r', 0);
    if (cr == size && eol == "\n") {
        out += text;
        return;
    }
#if defined(__SSE2__)
    if (cr == size) return AppendLfAsCrLf(out, text);
#endif
    std::size_t lf = find('\n', 0);
    std::size_t run = 0;  // where the stretch not yet appended starts
    std::size_t at = 0;
    while (at < size) {
        const std::size_t end = cr < lf ? cr : lf;
        if (end == size) break;
        const bool crLf = end == cr && cr + 1 == lf && lf < size;
        const std::size_t next = crLf ? lf + 1 : end + 1;
        const std::string_view ending = text.substr(end, next - end);
        if (ending != eol) {
            out.append(text.substr(run, end - run));
            out += eol;
            run = next;
        }
        at = next;
        if (cr < at) cr = find('\r', at);
        if (lf < at) lf = find('\n', at);
    }
    out.append(text.substr(run));
}

// A section being written: what its closing needs once its children are out.
struct OpenSection {
    std::string name;
    std::string_view indent;            // the indentation its own line was written with
    std::optional<ItemSource> source;   // where it stood, when it was read
    bool sameDepth = false;
    bool nameKept = false;
    std::optional<std::string_view> lastIndent;  // of the child written last
};

// A stretch of a kept file.
struct Span {
    const std::string* file = nullptr;
    std::uint32_t begin = 0, end = 0;
};

class LayoutWriter {
public:
    LayoutWriter(WriterOutput& output, const ConfigTree& tree, bool crLf)
        : output_(output), out_(output.text), tree_(tree), eol_(crLf ? "\r\n" : "\n") {}

    void WriteFile(ItemHandle fileItem) {
        const ItemView file = tree_.GetItem(fileItem);
        const ItemSource tail = file.source ? *file.source : ItemSource{};
        open_.push_back(OpenSection{std::string(file.text), "", std::nullopt, true, true, std::nullopt});
        WriteItems(fileItem);
        // The lines after the last item come last; a section the file never closed stays so.
        if (tail.file) Keep(tail.file, tail.closeLeadBegin, tail.closeBegin);
        FlushKept();
        pendingCloses_.clear();
        open_.clear();
    }

private:
    void WriteItems(ItemHandle top) {
        WalkInFileOrder(
            tree_, top,
            [this](ItemHandle item, bool hasChildren) {
                const bool section = Enter(item, hasChildren);
                output_.HandOnIfFull();
                return section;
            },
            [this](ItemHandle) {
                Leave();
                output_.HandOnIfFull();
            });
    }

    // Writes the item's lines; returns whether it opened a section, to be left after its children.
    bool Enter(ItemHandle item, bool hasChildren) {
        const ItemView view = tree_.GetItem(item);
        const bool isSection = view.sectionMark || hasChildren;
        const std::size_t depth = open_.size();
        // Valid while no other tree call is made; a section keeps a copy for its closing.
        const ItemSource* source = view.source && view.source->file ? view.source : nullptr;
        const std::string_view value = view.hasValue ? view.value : std::string_view();
        const bool sameDepth = source && source->depth == depth;
        const bool unchanged = source && StillSays(*source, isSection, view.text, value);
        FlushPendingCloses();
        std::string_view indent;
        if (unchanged && sameDepth) {
            Keep(source->file, source->leadBegin, source->ownEnd);
            indent = LeadingBlanks(source->Own());
        } else {
            const std::string_view readIndent = source ? LeadingBlanks(source->Own()) : std::string_view();
            indent = sameDepth && !source->linesOnly ? readIndent : NewIndent(depth);
            if (source && sameDepth) Keep(source->file, source->leadBegin, source->ownBegin);
            else if (source && unchanged) KeptTogether(Reindented(source->Lead(), readIndent, indent),
                                                       Reindented(source->Own(), readIndent, indent, true));
            else if (source) Kept(Reindented(source->Lead(), readIndent, indent));
            // An unchanged item was written above, with its comment lines.
            if (!unchanged && isSection) Line({indent, "<", view.text, " ", value, ">", AfterClose(source)});
            else if (!unchanged) Line({indent, view.text, " ", value});
        }
        open_.back().lastIndent = indent;
        if (!isSection) return false;
        const bool nameKept = source && source->opening && (source->fieldsInPlace ? source->Text() == view.text
                                                                                  : ReadOwn(*source).line.fields.text == view.text);
        open_.push_back(OpenSection{std::string(view.text), indent, source ? std::optional(*source) : std::nullopt,
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
        if (close.empty() && section.sameDepth && section.source->opening) {
            // The file never closed it: nor does the output, unless more follows it. A directive
            // that has been given children was never a section there: it gets its closing line.
            pendingCloses_.push_back({section.indent, "</" + section.name + ">"});
            return;
        }
        FlushPendingCloses();
        const std::string_view closeIndent = LeadingBlanks(close);
        const ItemSource& source = *section.source;
        if (section.sameDepth) Keep(source.file, source.closeLeadBegin, source.closeBegin);
        else Kept(Reindented(source.CloseLead(), closeIndent, section.indent));
        if (!close.empty() && section.sameDepth && section.nameKept) {
            Keep(source.file, source.closeBegin, source.closeEnd);
            return;
        }
        const std::string_view indent = section.sameDepth && !close.empty() ? closeIndent : section.indent;
        const std::size_t bracket = close.find('>');
        std::string_view after = bracket == std::string_view::npos ? std::string_view() : close.substr(bracket + 1);
        after = after.substr(0, after.find_first_of("\r\n"));
        Line({indent, "</", section.name, ">", after});
    }

    // The indentation of an item written anew: its previous sibling's, or its parent's and a
    // step more; the items of a file stand at its left edge.
    std::string_view NewIndent(std::size_t depth) {
        const OpenSection& parent = open_.back();
        if (parent.lastIndent) return *parent.lastIndent;
        if (depth == 1) return {};
        return made_.emplace_back(std::string(parent.indent) + std::string(kIndentStep));
    }

    // What followed the closing '>' of the kept opening line, to stay after a changed one.
    std::string_view AfterClose(const ItemSource* source) {
        if (!source || !source->opening) return {};
        const ReadAgain read = ReadOwn(*source);
        return made_.emplace_back(read.line.afterClose);
    }

    // Replaces the indentation `from` by `to` where a line of `text` starts with it (and holds
    // more than blanks); with `firstOnly`, only on the first line (a continued line's pieces
    // keep theirs).
    std::string_view Reindented(std::string_view text, std::string_view from, std::string_view to, bool firstOnly = false) {
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
        return made_.emplace_back(std::move(result));
    }

    // An item's comment lines and its own line, moved together: as in the file, nothing comes
    // between them.
    void KeptTogether(std::string_view lead, std::string_view own) {
        std::string both(lead);
        both += own;
        Kept(made_.emplace_back(std::move(both)));
    }

    void FlushPendingCloses() {
        for (const auto& [indent, close] : pendingCloses_) Line({indent, close});
        pendingCloses_.clear();
    }

    // A line of the writer's own: after a line break if the output does not stand at one, and
    // on a line of its own for Apache too. One that would end in a backslash gets a blank after
    // it, so that Apache does not join the next line to it.
    void Line(std::initializer_list<std::string_view> pieces) {
        FlushKept();
        EnsureLineStart();
        BreakJoin();
        for (std::string_view piece : pieces) out_ += piece;
        if (!out_.empty() && out_.back() == '\\') out_ += ' ';
        out_ += eol_;
        atLineStart_ = true;
        lastKept_ = {};
    }

    // Kept text of a file, from `begin` to `end`. Stretches that follow one another in the
    // file, as the items of an unchanged file do, are gathered and written as one.
    void Keep(const std::string* file, std::uint32_t begin, std::uint32_t end) {
        if (begin >= end) return;
        if (pending_.file == file && pending_.end == begin && end - pending_.begin <= kFlushBytes) {
            pending_.end = end;
            return;
        }
        FlushKept();
        pending_ = {file, begin, end};
    }

    void FlushKept() {
        if (!pending_.file) return;
        const Span span = pending_;
        pending_ = {};
        Kept(std::string_view(*span.file).substr(span.begin, span.end - span.begin), span);
    }

    // Kept text, its line ends as the CR/LF mode says. A last line without a line end stays
    // so, unless more is written after it. `from` tells where in a file the text stood: text
    // that went on from the kept text written last follows it as it did in the file; anything
    // else starts on a line that Apache does not join to the one before.
    void Kept(std::string_view text, Span from = {}) {
        if (text.empty()) return;
        FlushKept();
        const bool goesOn = from.file && from.file == lastKept_.file && from.begin == lastKept_.end;
        EnsureLineStart();
        if (!goesOn) BreakJoin();
        AppendWithLineEnds(out_, text, eol_);
        atLineStart_ = text.back() == '\n' || text.back() == '\r';
        joins_ = EndsInContinuation(text);
        lastKept_ = from;
        output_.HandOnIfFull();
    }

    // Whether the last line of `text` ends in a backslash, with or without its line end: Apache
    // would join whatever line comes next to it.
    static bool EndsInContinuation(std::string_view text) {
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        return !text.empty() && text.back() == '\\';
    }

    // After kept text whose last line Apache would continue, an empty line ends the join: what
    // is written next stands on its own line, and the kept text stays as it was.
    void BreakJoin() {
        if (!joins_) return;
        out_ += eol_;
        joins_ = false;
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
    bool atLineStart_ = true;
    bool joins_ = false;  // the last line written ends in a backslash
    std::vector<OpenSection> open_;  // the file item, then every section entered and not yet left
    std::vector<std::pair<std::string_view, std::string>> pendingCloses_;  // indentation and closing line
    std::deque<std::string> made_;   // texts made while writing, which views above point into
    Span pending_;   // kept text gathered and not yet written
    Span lastKept_;  // where the kept text written last stood, while nothing else came after it
};

}  // namespace

void WriteKeptLayout(WriterOutput& output, const ConfigTree& tree, ItemHandle fileItem, bool crLf) {
    LayoutWriter(output, tree, crLf).WriteFile(fileItem);
}

}  // namespace tarnwick
