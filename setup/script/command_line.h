#pragma once
// What setup is asked to do, read from its command line as Windows hands it over.

#include <string>
#include <string_view>

namespace kelsetup {

// The text after the program name. Windows starts a registered command as it stands, so the
// program path may be quoted or not, and an unquoted one may hold blanks: a quoted path ends
// at its closing quote; an unquoted one that is this program's own path (compared without
// regard to case) ends after it; otherwise the name ends after this program's file name
// followed by a blank, or, failing that, at the first blank. Blanks before the text go.
std::string ArgumentsAfterProgram(std::string_view commandLine, std::string_view modulePath);

// The directory an uninstall is started with: blanks around it and one pair of surrounding
// double quotes go.
std::string DirectoryArgument(std::string_view arguments);

}  // namespace kelsetup
