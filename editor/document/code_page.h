#pragma once
// Files that are not UTF-8. Tarnwick runs with UTF-8 as its code page, the encoding Apache
// reads file names in; a file that is not valid UTF-8 (an old configuration written in the
// system's ANSI code page) is read through that code page into UTF-8 and written back in it,
// so that the tree and the panes hold the text the user sees and the file keeps its bytes.

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF). Plain ASCII is.
bool IsUtf8(std::string_view bytes);

// The length of the longest start of `text` (UTF-8) that holds at most `limit` bytes and ends
// between two characters: where a text may be cut without cutting a character in half.
std::size_t Utf8CutPoint(std::string_view text, std::size_t limit);
// How many UTF-16 units `text` (UTF-8) takes: the positions controls count in. A byte that is
// not UTF-8 counts one.
std::size_t Utf16Length(std::string_view text);
// The start of `text` up to that point.
inline std::string CutBetweenCharacters(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, Utf8CutPoint(text, limit)));
}

// The system's ANSI code page, the one a file that is not UTF-8 is taken to be written in.
class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    // Its number (1252, 932...); 0 when the system has none or it is UTF-8 itself.
    virtual unsigned Number() const = 0;
    // `bytes` decoded; none when the code page cannot read them.
    virtual std::optional<std::string> ToUtf8(std::string_view bytes) const = 0;
    // `text` (UTF-8) in the code page; none when some character has no form in it.
    virtual std::optional<std::string> FromUtf8(std::string_view text) const = 0;
};

// A file's bytes as the document holds them: UTF-8 unchanged; anything else decoded from the
// code page when decoding and encoding again gives back exactly the same bytes (otherwise
// kept as read, as nothing could be written back the same).
struct FileText {
    std::string text;
    bool fromAnsi = false;  // decoded: to be written back in the code page
};
FileText DecodeFileBytes(const AnsiCodePage* codePage, std::string bytes);

// The bytes to write for `text`: as it is, or in the code page for a file read in it; none
// when some character has no form in the code page.
std::optional<std::string> EncodeFileText(const AnsiCodePage* codePage, bool fromAnsi, std::string text);

// The first character of `text` that the code page cannot hold, as UTF-8; empty when none.
std::string FirstCharacterNotIn(const AnsiCodePage& codePage, std::string_view text);

}  // namespace tarnwick
