#include "win32_code_page.h"

#include <windows.h>

#include <climits>

namespace tarnwick {

namespace {

constexpr unsigned kUtf8CodePage = 65001;

std::optional<std::wstring> Wide(unsigned codePage, DWORD flags, std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    if (bytes.size() > INT_MAX) return std::nullopt;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length) != length) return std::nullopt;
    return wide;
}

// `usedDefault` is only asked for where the platform allows it (not for UTF-8).
std::optional<std::string> Narrow(unsigned codePage, DWORD flags, const std::wstring& wide, BOOL* usedDefault) {
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    if (length <= 0 || (usedDefault && *usedDefault)) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr) != length) return std::nullopt;
    return bytes;
}

}  // namespace

Win32AnsiCodePage::Win32AnsiCodePage() {
    DWORD number = 0;
    // The system locale by its name: Wine does not take LOCALE_NAME_SYSTEM_DEFAULT here, which
    // Windows does; the name serves both. LOCALE_RETURN_NUMBER writes a DWORD into two WCHARs.
    WCHAR locale[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetSystemDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH) == 0 ||
        GetLocaleInfoEx(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&number),
                        sizeof number / sizeof(WCHAR)) == 0)
        number = 0;  // no code page known: files that are not UTF-8 are kept and shown as read
    // 0 is CP_ACP, which would now mean UTF-8; a system whose own code page is UTF-8 has no other.
    // Where the manifest's UTF-8 is not honoured (Windows before 10 version 1903, Server 2019),
    // the process speaks the system's code page itself: its files are shown as read, as before.
    number_ = number == kUtf8CodePage || GetACP() != kUtf8CodePage ? 0 : number;
}

std::optional<std::string> Win32AnsiCodePage::ToUtf8(std::string_view bytes) const {
    if (number_ == 0) return std::nullopt;
    const std::optional<std::wstring> wide = Wide(number_, 0, bytes);
    if (!wide) return std::nullopt;
    return Narrow(kUtf8CodePage, 0, *wide, nullptr);
}

std::optional<std::string> Win32AnsiCodePage::FromUtf8(std::string_view text) const {
    if (number_ == 0) return std::nullopt;
    const std::optional<std::wstring> wide = Wide(kUtf8CodePage, MB_ERR_INVALID_CHARS, text);
    if (!wide) return std::nullopt;
    // No best fit: "é" must not quietly become "e" in a code page without it.
    BOOL usedDefault = FALSE;
    return Narrow(number_, WC_NO_BEST_FIT_CHARS, *wide, &usedDefault);
}

}  // namespace tarnwick
