#pragma once
// The lines of a configuration file as the reader takes them, shared with the writer, which
// reads an item's kept text again to see whether the item still says what it said.
//
// A physical line ends at LF, CR LF or a lone CR. A logical line is a physical line, cleaned,
// joined with the lines after it while it ends in a backslash: a directive's value, and (as
// Apache joins every line) a section's opening line.

#include "config_tree.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Hands out the physical lines of a buffer without their line ends. The next CR is looked up
// once and remembered, so text without lone CRs costs one search per line.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes);
    bool Next(std::string_view& line);
    // Where the next line starts: the end of the last line handed out, its line end included.
    std::size_t Position() const { return at_; }

private:
    void FindCr(std::size_t from);

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::size_t cr_ = 0;  // position of the next CR at or after at_, or the end
};

// Blanks are spaces and tabs, as Apache takes them.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The blanks a line starts with.
inline std::string_view LeadingBlanks(std::string_view line) {
    std::size_t end = 0;
    while (end < line.size() && IsBlank(line[end])) ++end;
    return line.substr(0, end);
}

// Removes a line end (up to two CR/LF characters) and then leading and trailing spaces and
// tabs. A line of one character is left as it is, as the format has always done.
std::string_view CleanLine(std::string_view line);

struct LogicalLine {
    enum class Kind { Skipped, Closing, Opening, Directive };
    Kind kind = Kind::Skipped;
    ItemView fields;               // Opening and Directive: text, value, images, section mark
    std::string_view indentation;  // the blanks before the first physical line's text
    std::string_view afterClose;   // Opening: what follows the arguments' closing '>'
};

// Reads the next logical line into `read`: blank and comment lines are Skipped, "</..." is
// Closing. Views point into the buffer or into `joined`, which holds a continued line's
// joined text. False when the buffer has no more lines.
bool NextLogicalLine(LineCursor& lines, std::string& joined, LogicalLine& read);

}  // namespace tarnwick
