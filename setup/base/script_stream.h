#pragma once
// The installation script as the walks read it: the file's bytes read once, handed out line
// by line with text-mode semantics (CR LF reads as LF, Ctrl+Z ends the text), each read at
// most 1023 characters. Positions are byte offsets of the file, so progress figures are those
// of the file itself.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelsetup {

// A line, a name, a path or an expansion holds at most this many characters.
inline constexpr std::size_t kMaxTextLength = 1023;

class ScriptStream {
public:
    explicit ScriptStream(std::string bytes);

    // Reads up to and including the next LF, or `limit` bytes, whichever comes first; a UTF-8
    // character that would not fit whole is left for the next read. Returns false, leaving `line` as it was, when nothing was left to read. Running
    // into the end of the text sets the end-of-file indicator.
    bool ReadLine(std::string& line, std::size_t limit = kMaxTextLength);

    std::size_t Position() const { return position_; }
    // Goes back (or on) to a saved position; clears the end-of-file indicator.
    void Seek(std::size_t position);
    bool AtEnd() const { return endOfFile_; }
    // The size of the file in bytes, for progress figures.
    std::size_t Size() const { return bytes_.size(); }

private:
    std::string bytes_;
    std::size_t textEnd_;  // the text ends at a Ctrl+Z, as text mode reads it
    std::size_t position_ = 0;
    bool endOfFile_ = false;
};

}  // namespace kelsetup
