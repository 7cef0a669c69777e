#pragma once
// The lines of a configuration file as the reader takes them, shared with the writer, which
// reads an item's kept text again to see whether the item still says what it said.
//
// A physical line ends at LF, CR LF or a lone CR. A logical line is a physical line, cleaned,
// joined with the lines after it while it ends in a backslash: a directive's value, and (as
// Apache joins every line) a section's opening line.

#include "config_tree.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Hands out the physical lines of a buffer without their line ends. Line ends are looked for
// 64 bytes at a time, and a few hundred of them are noted ahead, so the short lines of a
// configuration cost a few instructions each instead of a search each.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes) : bytes_(bytes) {}

    bool Next(std::string_view& line) {
        if (at_ >= bytes_.size()) return false;
        std::size_t end;
        do {
            if (taken_ == found_) FindLineEnds();
            end = ends_[taken_++];
        } while (end < at_);  // the LF of a CR LF already passed
        std::size_t next = end + 1;  // past an LF or a lone CR
        if (end == bytes_.size()) next = end;
        else if (bytes_[end] == '\r' && next < bytes_.size() && bytes_[next] == '\n') ++next;
        line = bytes_.substr(at_, end - at_);
        at_ = next;
        return true;
    }

    // Where the next line starts: the end of the last line handed out, its line end included.
    std::size_t Position() const { return at_; }

private:
    static constexpr std::size_t kBlock = 64;
    static constexpr std::size_t kNoted = 256;

    // Notes where the next CRs and LFs stand, and the end of the bytes once all are looked through.
    void FindLineEnds();

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::size_t lookedThrough_ = 0;  // bytes before this are noted
    std::size_t taken_ = 0;
    std::size_t found_ = 0;
    std::size_t ends_[kNoted + kBlock + 1];  // filled by FindLineEnds before it is read
};

// Blanks are spaces and tabs, as Apache takes them.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The blanks a line starts with.
inline std::string_view LeadingBlanks(std::string_view line) {
    std::size_t end = 0;
    while (end < line.size() && IsBlank(line[end])) ++end;
    return line.substr(0, end);
}

// Whether Apache joins the next line to this one (given without its line end): when its very
// last character is a backslash. A backslash followed by a blank ends nothing, as in Apache.
inline bool ContinuesOnNextLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return !line.empty() && line.back() == '\\';
}

// Removes a line end (up to two CR/LF characters) and then leading and trailing spaces and
// tabs. A line of one character is left as it is, as the format has always done.
std::string_view CleanLine(std::string_view line);

struct LogicalLine {
    enum class Kind { Skipped, Closing, Opening, Directive };
    Kind kind = Kind::Skipped;
    ItemView fields;               // Opening and Directive: text, value, images, section mark
    std::string_view afterClose;   // Opening: what follows the arguments' closing '>'
};

// Reads the next logical line into `read`: blank and comment lines are Skipped, "</..." is
// Closing. Views point into the buffer or into `joined`, which holds a continued line's
// joined text. False when the buffer has no more lines.
bool NextLogicalLine(LineCursor& lines, std::string& joined, LogicalLine& read);

}  // namespace tarnwick
