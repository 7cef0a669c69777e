#include "memory_code_page.h"

#include "utf8.h"

namespace tarnwick {

namespace {

// What the bytes 0x80 to 0x9F stand for; the rest are Latin-1, the code point of their number.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CodePointOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

}  // namespace

std::optional<std::string> Windows1252CodePage::ToUtf8(std::string_view bytes) const {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char byte : bytes) AppendUtf8(text, CodePointOf(static_cast<unsigned char>(byte)));
    return text;
}

std::optional<std::string> Windows1252CodePage::FromUtf8(std::string_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text, at, codePoint);
        if (length == 0) return std::nullopt;
        at += length;
        int found = codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF) ? static_cast<int>(codePoint) : -1;
        for (int high = 0; high < 32 && found < 0; ++high)
            if (kHighControls[high] == codePoint) found = 0x80 + high;
        if (found < 0) return std::nullopt;
        bytes += static_cast<char>(found);
    }
    return bytes;
}

}  // namespace tarnwick
