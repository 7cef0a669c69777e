#pragma once
// How the recording platform decides that two paths name one file, as Windows' file systems
// do: each name without its trailing dots and blanks, and without regard to case in all of
// Unicode, not only in ASCII.

#include <string>
#include <string_view>

namespace kelsetup {

// The key of a path whose separators are single backslashes and whose "." and ".." parts are
// resolved: every name without its trailing dots and blanks (a name of nothing else stays),
// its text (UTF-8 where it is valid UTF-8, else code page 1252) case-folded, as UTF-8.
std::string FileNameKey(std::string_view normalPath);

}  // namespace kelsetup
