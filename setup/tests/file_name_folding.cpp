#include "file_name_folding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace kelsetup {

namespace {

struct Folding {
    std::uint32_t from, to;
};

// Unicode's simple case folding, sorted by `from`.
constexpr Folding kFoldings[] = {
#include "case_folding_table.inc"
};

// Code page 1252's bytes 0x80 to 0x9F; the unassigned ones stay as they are.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::uint32_t Fold(std::uint32_t code) {
    const auto found = std::lower_bound(std::begin(kFoldings), std::end(kFoldings), code,
                                        [](const Folding& folding, std::uint32_t wanted) { return folding.from < wanted; });
    return found != std::end(kFoldings) && found->from == code ? found->to : code;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes `text` as UTF-8 into `codes`; false when it is not valid UTF-8 (overlong forms,
// surrogates and code points past U+10FFFF included).
bool DecodeUtf8(std::string_view text, std::u32string& codes) {
    codes.clear();
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || at + length > text.size()) return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        codes += static_cast<char32_t>(code);
        at += length;
    }
    return true;
}

std::u32string DecodeCp1252(std::string_view text) {
    std::u32string codes;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        codes += static_cast<char32_t>(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte);
    }
    return codes;
}

std::string_view WithoutTrailingDotsAndBlanks(std::string_view name) {
    const std::size_t end = name.find_last_not_of(". ");
    return end == std::string_view::npos ? name : name.substr(0, end + 1);
}

}  // namespace

std::string FileNameKey(std::string_view normalPath) {
    std::string key;
    std::u32string codes;
    std::size_t begin = 0;
    while (begin <= normalPath.size()) {
        std::size_t end = normalPath.find('\\', begin);
        if (end == std::string_view::npos) end = normalPath.size();
        const std::string_view name = WithoutTrailingDotsAndBlanks(normalPath.substr(begin, end - begin));
        if (!DecodeUtf8(name, codes)) codes = DecodeCp1252(name);
        for (char32_t code : codes) AppendUtf8(key, Fold(code));
        if (end == normalPath.size()) break;
        key += '\\';
        begin = end + 1;
    }
    return key;
}

}  // namespace kelsetup
