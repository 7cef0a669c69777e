#pragma once
// The reading and path primitives every section handler of both runs uses.

#include "script_stream.h"
#include "setup_platform.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace kelsetup {

// Removes the trailing run of CR and LF; then, if the text begins or ends with a space, all
// leading and trailing spaces. Tabs stay.
void TrimScriptLine(std::string& text);

// Contains "KelSetup:", with regard to case.
bool HasMarkerText(std::string_view text);

// Not empty, and "/" is neither its first nor its second character.
bool IsUsableLine(std::string_view text);

// Slots of a record group: the largest group has four lines.
using RecordSlots = std::array<std::string, 4>;

// Reads up to `count` lines into the slots, untrimmed; stops at a line containing "KelSetup:"
// (taken from the stream, not stored) and at the end of the file (a last line without a line
// break is never stored). Returns the number of lines stored, 0 to count.
int ReadRecordLines(int count, RecordSlots& slots, ScriptStream& stream);

// What a repeating section does with each group: prepare the slots, say which must be usable,
// and act on a complete group.
struct RecordSection {
    int lines = 1;
    std::function<void(RecordSlots&)> prepare{};
    std::function<bool(const RecordSlots&)> usable{};  // none: every line must be usable
    std::function<void(RecordSlots&)> act{};
    bool endsAtEndOfFile = false;  // RegistryValue also ends when the group reached the end
};

// The loop of every repeating section; leaves the stream at the first line it did not use.
void ForEachRecord(ScriptStream& stream, const RecordSection& section);

// The single-record form: reads one group, restores the position and returns false when it
// is cut short; otherwise leaves the stream after it and returns true.
bool ReadSingleRecord(ScriptStream& stream, int lines, RecordSlots& slots);

// Replaces every "%InstallDir%" (this case only) by the install directory and a backslash,
// unless the text as given ends with a backslash; then, when asked, environment references.
// The result is cut at kMaxTextLength characters.
void ExpandInstallPath(std::string& text, std::string_view installDir, bool expandEnvironment, SetupPlatform& platform);

// Splits "ROOT\sub\key": the path keeps the sub-key; a path without a backslash stays whole.
RootKey SplitRootKey(std::string& path);

// Creates every directory along the path, the part before the first backslash excepted;
// failures are passed over.
void CreatePathDirectories(const std::string& path, SetupPlatform& platform);

// The directory, a backslash unless it ends with one, and the name; cut at kMaxTextLength.
std::string JoinPath(std::string_view directory, std::string_view name);

// A path with "." and ".." parts resolved and every separator one backslash, case kept.
std::string NormalPath(std::string_view path);
// A path as Windows compares paths: normal, without regard to case.
std::string PathKey(std::string_view path);
// Whether two paths name the same file, compared as Windows compares them.
bool SamePath(std::string_view a, std::string_view b);
// Whether a path names its drive or share itself ("C:\x", "\\server\x", "\x"), rather than
// being relative to a current directory.
bool IsFullPath(std::string_view path);

// Cuts a text at kMaxTextLength bytes, or before the character that would be cut in half.
void CutToLimit(std::string& text);

// A decimal number as the runtime reads one: blanks, a sign, digits up to the first other
// character; held at the limits of a signed 32-bit number.
std::int32_t ReadDecimal(std::string_view text);

// The one loop of every walk over the script, install and uninstall alike: reads each line,
// trims it and hands it to `onLine` (which may read a section's records from the stream), then
// tells `afterLine` the stream's position. Ends once a line has been handled at the end of the
// file.
void WalkScriptLines(ScriptStream& stream, const std::function<void(const std::string& line)>& onLine,
                     const std::function<void(std::size_t position)>& afterLine);

// A stream position as a percentage of the script's size, in 64-bit arithmetic, rounded down.
int PercentOf(std::size_t position, std::size_t size);

// ASCII letters compare without regard to case; every other byte must be equal.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Marker comparison: the trimmed line equals the marker without regard to case.
bool IsMarker(std::string_view line, std::string_view marker);

}  // namespace kelsetup
