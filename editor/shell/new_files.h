#pragma once
// File items made without opening a file: New File's empty file item, and Quick Config's
// starting configuration read from the server's distributed files with the values every
// installation must adapt.

#include "config_document.h"
#include "registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kQuickConfigKey = "SOFTWARE\\Velmora\\Tarnwick\\QuickConfig";
// The "Directory" section value that Quick Config gives the document root.
inline constexpr const char* kHtdocsPlaceholder = "\"@@ServerRoot@@/htdocs\"";

// Inserts an empty file item before all others (no directory: it is saved to the
// configuration directory), selects it and makes it the current item.
ItemHandle InsertFileItem(ConfigDocument& document, std::string_view name);

// Sets the value of every item named `name` (ignoring case) in the whole tree; with a
// required value, only of those whose value equals it (ignoring case).
void ReplaceValuesByName(ConfigTree& tree, std::string_view name, std::optional<std::string_view> required,
                         std::string_view newValue);

// What the Quick Config dialog shows and takes.
struct QuickConfigValues {
    std::string serverRoot;
    std::string documentRoot;
    std::uint16_t port = 0;  // the up-down position, 0 to 32767
    std::string user;
    std::string group;
    std::string serverAdmin;
    bool unix = false;
};

// The dialog's presets, from the QuickConfig key; missing values preset empty fields, port 0
// and the Windows server type.
QuickConfigValues ReadQuickConfigPresets(const Registry& registry);

// A Listen value with the port of its address replaced, and nothing else: "80",
// "127.0.0.1:80" and "[::]:80", each perhaps followed by a protocol. Nothing when the value
// names no port.
std::optional<std::string> WithListenPort(std::string_view value, std::uint16_t port);
// The port a Listen value names, without leading zeros; nothing when it names none.
std::optional<std::string> ListenPort(std::string_view value);

// A path as Apache takes it: in double quotes when it holds a blank, unless the user already
// typed quotes; a quoted path loses its trailing backslashes, which would escape the quote.
std::string QuotedPath(std::string_view path);

// "&Finish": reads the three distributed files from `directory` into the file items they
// stand for, puts the values in, and selects the first file item. Paths with blanks are
// quoted. The port goes into every Port directive; when the three files have none (Apache
// 2.4 has no Port), into the Listen directives that carry the main port (the first Listen's)
// instead.
void ApplyQuickConfig(ConfigDocument& document, const std::string& directory, const QuickConfigValues& values);

}  // namespace tarnwick
