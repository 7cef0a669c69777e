#include "config_lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnwick {

namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Bit i set: byte i of the 64 (or fewer, at the end) is a CR or an LF.
std::uint64_t LineEndsIn(const char* at, std::size_t size) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    if (size == 64) {
        const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
        for (int part = 0; part < 4; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr));
            mask |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(ends))) << (16 * part);
        }
        return mask;
    }
#endif
    for (std::size_t i = 0; i < size; ++i)
        if (IsLineEnd(at[i])) mask |= std::uint64_t{1} << i;
    return mask;
}

// Bits set in `x`, without the library call std::popcount becomes on a processor the build
// may not assume has an instruction for it.
std::size_t BitsSet(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<std::size_t>((x * 0x0101010101010101u) >> 56);
}

// Where a name ends: at the first blank, or at a NUL, which no name can hold (the tree
// control keeps names as C strings). A NUL stays with the value, so no byte is lost.
std::size_t NameEnd(std::string_view line) {
    std::size_t end = 0;
    // Sixteen or eight bytes at a time while that many are left: a byte loop was a third of
    // reading a file.
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), nul = _mm_setzero_si128();
    for (; line.size() - end >= 16; end += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + end));
        const __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, tab)),
                                          _mm_cmpeq_epi8(bytes, nul));
        if (const auto found = static_cast<unsigned>(_mm_movemask_epi8(ends)))
            return end + static_cast<std::size_t>(std::countr_zero(found));
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
        // The high bit of every byte equal to `c` (and perhaps of later ones); the lowest is exact.
        const auto equalTo = [](std::uint64_t word, unsigned char c) {
            const std::uint64_t x = word ^ (kOnes * c);
            return (x - kOnes) & ~x & kHighs;
        };
        for (; line.size() - end >= 8; end += 8) {
            std::uint64_t word;
            std::memcpy(&word, line.data() + end, 8);
            if (const std::uint64_t found = equalTo(word, ' ') | equalTo(word, '\t') | equalTo(word, 0))
                return end + static_cast<std::size_t>(std::countr_zero(found)) / 8;
        }
    }
    while (end < line.size() && !IsBlank(line[end]) && line[end] != '\0') ++end;
    return end;
}

// What follows the name: everything after its blank, or everything from its NUL.
std::string_view AfterName(std::string_view line, std::size_t nameEnd) {
    if (nameEnd == line.size()) return {};
    return line.substr(line[nameEnd] == '\0' ? nameEnd : nameEnd + 1);
}

// "<Name args>": the name runs to the first blank; the arguments end before the last '>'.
void ReadOpeningLine(std::string_view line, LogicalLine& read) {
    std::string_view body = line.substr(1);
    ItemView& section = read.fields;
    section = ItemView{};
    section.hasValue = true;
    section.image = kSectionImage;
    section.selectedImage = kSectionSelectedImage;
    section.sectionMark = true;
    const std::size_t nameEnd = NameEnd(body);
    if (nameEnd == body.size()) {
        if (!body.empty() && body.back() == '>') {
            body.remove_suffix(1);
            read.afterClose = line.substr(line.size());
        }
        section.text = body;
        return;
    }
    section.text = body.substr(0, nameEnd);
    const std::string_view arguments = AfterName(body, nameEnd);
    const auto closing = arguments.rfind('>');
    section.value = closing == std::string_view::npos ? arguments : arguments.substr(0, closing);
    if (closing != std::string_view::npos) read.afterClose = arguments.substr(closing + 1);
}

void ReadDirectiveLine(std::string_view line, LogicalLine& read) {
    ItemView& directive = read.fields;
    directive.sectionMark = directive.expanded = false;
    directive.source = nullptr;
    directive.hasValue = true;
    directive.image = kDirectiveImage;
    directive.selectedImage = kDirectiveImage;
    const std::size_t nameEnd = NameEnd(line);
    directive.text = line.substr(0, nameEnd);
    directive.value = AfterName(line, nameEnd);
}

// Joins the lines after `start` (a text ending in a backslash, which goes) while each line
// read ends in one. Blanks at the end of the joined text mean nothing, as at the end of any line.
std::string_view JoinContinued(std::string_view start, LineCursor& lines, std::string& joined) {
    joined.assign(start.substr(0, start.size() - 1));
    const auto dropTrailingBlanks = [&joined] {
        while (!joined.empty() && IsBlank(joined.back())) joined.pop_back();
    };
    std::string_view raw;
    while (lines.Next(raw)) {
        joined += CleanLine(raw);
        if (!ContinuesOnNextLine(raw)) break;
        dropTrailingBlanks();
        joined.pop_back();
    }
    dropTrailingBlanks();
    return joined;
}

}  // namespace

void LineCursor::FindLineEnds() {
    taken_ = found_ = 0;
    while (found_ + kBlock <= kNoted && lookedThrough_ < bytes_.size()) {
        std::uint64_t ends = LineEndsIn(bytes_.data() + lookedThrough_, std::min(kBlock, bytes_.size() - lookedThrough_));
        const std::size_t count = BitsSet(ends);
        // The first four without a branch on how many there are: blocks most often hold one or two.
        std::size_t* noted = ends_ + found_;
        for (std::size_t i = 0; i < 4; ++i, ends &= ends - 1) noted[i] = lookedThrough_ + static_cast<std::size_t>(std::countr_zero(ends));
        for (std::size_t i = 4; i < count; ++i, ends &= ends - 1) noted[i] = lookedThrough_ + static_cast<std::size_t>(std::countr_zero(ends));
        found_ += count;
        lookedThrough_ += kBlock;
    }
    if (lookedThrough_ >= bytes_.size()) ends_[found_++] = bytes_.size();  // the last line may have no end
}

std::string_view CleanLine(std::string_view line) {
    if (line.size() <= 1) return line;
    for (int i = 0; i < 2 && !line.empty() && IsLineEnd(line.back()); ++i) line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    return line;
}

bool NextLogicalLine(LineCursor& lines, std::string& joined, LogicalLine& read) {
    std::string_view raw;
    if (!lines.Next(raw)) return false;
    read.kind = LogicalLine::Kind::Skipped;
    read.afterClose = {};
    const auto isNothing = [](std::string_view line) {
        return line.empty() || line[0] == '#' || IsBlank(line[0]) || IsLineEnd(line[0]);
    };
    const auto isClosing = [](std::string_view line) { return line.size() > 1 && line[0] == '<' && line[1] == '/'; };
    std::string_view line = CleanLine(raw);
    // Comment lines are never joined here; Apache's joining of them is the writer's concern.
    if (isNothing(line)) return true;
    if (isClosing(line)) {
        read.kind = LogicalLine::Kind::Closing;
        return true;
    }
    // Apache joins a line that ends in a backslash with the next, the whole line: what the
    // joined line says is what counts (it may turn out to close a section, or to be empty).
    if (ContinuesOnNextLine(raw)) {
        line = JoinContinued(line, lines, joined);
        if (isNothing(line)) return true;
        if (isClosing(line)) {
            read.kind = LogicalLine::Kind::Closing;
            return true;
        }
    }
    if (line[0] == '<') {
        read.kind = LogicalLine::Kind::Opening;
        ReadOpeningLine(line, read);
        return true;
    }
    read.kind = LogicalLine::Kind::Directive;
    ReadDirectiveLine(line, read);
    return true;
}

}  // namespace tarnwick
