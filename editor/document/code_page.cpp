#include "code_page.h"

#include "utf8.h"

#include <utility>

namespace tarnwick {

bool IsUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        // ASCII eight bytes a step: nearly every byte of a configuration is.
        while (at + 8 <= bytes.size()) {
            unsigned char any = 0;
            for (std::size_t i = 0; i < 8; ++i) any |= static_cast<unsigned char>(bytes[at + i]);
            if (any & 0x80) break;
            at += 8;
        }
        if (at >= bytes.size()) break;
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(bytes, at, codePoint);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::size_t Utf8CutPoint(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t cut = limit;
    // Back over continuation bytes to the start of the character that would be cut.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text, at, codePoint);
        units += length == 4 ? 2 : 1;
        at += length == 0 ? 1 : length;
    }
    return units;
}

FileText DecodeFileBytes(const AnsiCodePage* codePage, std::string bytes) {
    if (!codePage || codePage->Number() == 0 || IsUtf8(bytes)) return {std::move(bytes), false};
    std::optional<std::string> text = codePage->ToUtf8(bytes);
    if (!text || codePage->FromUtf8(*text) != bytes) return {std::move(bytes), false};
    return {std::move(*text), true};
}

std::optional<std::string> EncodeFileText(const AnsiCodePage* codePage, bool fromAnsi, std::string text) {
    if (!fromAnsi || !codePage) return text;
    return codePage->FromUtf8(text);
}

std::string FirstCharacterNotIn(const AnsiCodePage& codePage, std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        char32_t codePoint = 0;
        std::size_t length = DecodeUtf8(text, at, codePoint);
        if (length == 0) length = 1;  // not UTF-8: it stands for itself
        const std::string_view character = text.substr(at, length);
        if (static_cast<unsigned char>(character[0]) >= 0x80 && !codePage.FromUtf8(character)) return std::string(character);
        at += length;
    }
    return {};
}

}  // namespace tarnwick
