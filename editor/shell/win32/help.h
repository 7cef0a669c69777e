#pragma once
// The HTML Help control, loaded on first use so that the editor runs on machines without it;
// there the help command does nothing.

#include <string>
#include <utility>

#include <windows.h>

namespace tarnwick {

// Where the registry says the HTML Help control's file is.
bool FindHelpControlPath(std::string& path);

class HelpLoader {
public:
    // `fallbackName` is the file loaded by name when the registered path does not load.
    explicit HelpLoader(std::string fallbackName = "hhctrl.ocx") : fallbackName_(std::move(fallbackName)) {}

    // Calls the control's HtmlHelpA; 0 when the control cannot be used. Once loading failed,
    // later calls return 0 without trying again. The control is never unloaded.
    HWND CallHtmlHelp(HWND window, const std::string& file, UINT command, DWORD_PTR data);
    int LoadCount() const { return loads_; }
    int LoadAttempts() const { return attempts_; }

private:
    using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    HMODULE module_ = nullptr;
    HtmlHelpEntry entry_ = nullptr;
    std::string fallbackName_;
    bool loadFailed_ = false;
    int loads_ = 0;
    int attempts_ = 0;
};

// "%s\TarnwickHelp.chm" with the help directory.
std::string HelpFilePath(const std::string& helpDirectory);

}  // namespace tarnwick
