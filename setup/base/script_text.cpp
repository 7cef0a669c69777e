#include "script_text.h"

namespace kelsetup {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The length of the well-formed UTF-8 character at `at`, or 0.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    char32_t codePoint = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, least = 0x80, codePoint = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, least = 0x800, codePoint = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, least = 0x10000, codePoint = lead & 0x07;
    else return 0;
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

bool IsUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8Length(bytes, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string ScriptText(SetupPlatform& platform, std::string bytes) {
    return Utf8Text(std::move(bytes), [&platform](std::string_view line) { return platform.AnsiToUtf8(line); });
}

std::string Utf8Text(std::string bytes, const std::function<std::string(std::string_view)>& fromAnsi) {
    if (bytes.starts_with(kByteOrderMark)) bytes.erase(0, kByteOrderMark.size());
    if (IsUtf8(bytes)) return bytes;
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t begin = 0; begin < bytes.size();) {
        const std::size_t lf = bytes.find('\n', begin);
        const std::size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
        const std::string_view line = std::string_view(bytes).substr(begin, end - begin);
        if (IsUtf8(line)) text += line;
        else text += fromAnsi(line);
        begin = end;
    }
    return text;
}

std::optional<std::string> ReadScript(SetupPlatform& platform, const std::string& path) {
    std::optional<std::string> bytes = platform.ReadFile(path);
    if (!bytes) return std::nullopt;
    return ScriptText(platform, std::move(*bytes));
}

}  // namespace kelsetup
