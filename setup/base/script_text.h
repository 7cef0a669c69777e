#pragma once
// The installation script's text (and the text pages'). Setup runs with UTF-8 as its code page, so the script is
// read as UTF-8: a byte-order mark at its start is skipped, and a script written in the
// system's ANSI code page (an older one) is read in that code page, line by line. Line by
// line, because the copy an install leaves for its uninstall has the program folder appended
// in UTF-8 after whatever the original script held.

#include "setup_platform.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelsetup {

// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF). ASCII is.
bool IsUtf8(std::string_view bytes);

// `bytes` as UTF-8 text: without a leading byte-order mark, each line that is not UTF-8
// decoded from the ANSI code page by `fromAnsi`.
std::string Utf8Text(std::string bytes, const std::function<std::string(std::string_view)>& fromAnsi);

// The script's text: Utf8Text with the platform's code page.
std::string ScriptText(SetupPlatform& platform, std::string bytes);

// Reads the script at `path` as ScriptText gives it; nothing when it cannot be read.
std::optional<std::string> ReadScript(SetupPlatform& platform, const std::string& path);

}  // namespace kelsetup
