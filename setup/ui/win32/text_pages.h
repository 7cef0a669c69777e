#pragma once
// The text pages shown before the install and uninstall dialogs: a licence, a read-me and an
// uninstall note, each only when its file exists.

#include <string>

#include <windows.h>

namespace kelsetup {

enum class TextPage { Readme = 1, Legal = 2, UninstallNote = 3 };

// 1 to go on (Next, or no such file), 0 when the user confirmed Cancel.
int ShowTextPage(HINSTANCE instance, HWND owner, TextPage page, const std::string& productName);

// Puts the whole file, its bytes unconverted, into the control; leaves it alone when the file
// cannot be read.
void LoadTextFile(const char* fileName, HWND control);

}  // namespace kelsetup
