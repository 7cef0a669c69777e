#include "help.h"

namespace tarnwick {

namespace {
constexpr const char* kHelpControlKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr WORD kHtmlHelpOrdinal = 14;  // HtmlHelpA
}  // namespace

bool FindHelpControlPath(std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHelpControlKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    const bool found =
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (found) path.assign(buffer, strnlen(buffer, sizeof buffer));
    return found;
}

HWND HelpLoader::CallHtmlHelp(HWND window, const std::string& file, UINT command, DWORD_PTR data) {
    if (!module_ && !loadFailed_) {
        ++attempts_;
        std::string path;
        if (FindHelpControlPath(path)) module_ = LoadLibraryA(path.c_str());
        // A registered path that does not exist: the control is still found by its name.
        if (!module_) module_ = LoadLibraryA(fallbackName_.c_str());
        if (!module_) {
            loadFailed_ = true;
            return nullptr;
        }
        ++loads_;
    }
    if (loadFailed_) return nullptr;
    if (!entry_) {
        entry_ = reinterpret_cast<HtmlHelpEntry>(
            reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
        if (!entry_) {
            loadFailed_ = true;
            return nullptr;
        }
    }
    return entry_(window, file.c_str(), command, data);
}

std::string HelpFilePath(const std::string& helpDirectory) { return helpDirectory + "\\TarnwickHelp.chm"; }

}  // namespace tarnwick
