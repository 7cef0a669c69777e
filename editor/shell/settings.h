#pragma once
// The editor's settings under "SOFTWARE\Velmora\Tarnwick\Config": read once at start-up
// (the user's values over the machine's over the defaults), held in memory for the run, and
// written to HKEY_CURRENT_USER only, as the save flags allow.

#include "layout.h"
#include "registry.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kConfigKey = "SOFTWARE\\Velmora\\Tarnwick\\Config";

// WindowLeft and WindowTop when no place was ever stored: the system places the window.
inline constexpr std::int32_t kNoWindowPlace = INT32_MIN;

struct Settings {
    std::string defaultConfigPath = "C:\\Progs\\Tarnwick\\Conf";  // the configuration directory at start-up
    std::string defaultConfigFilePath = "C:\\";                     // where Quick Config reads
    std::string helpPath = "C:\\Program Files\\Tarnwick\\HelpFile";
    std::uint32_t confirmDelete = 1;
    std::uint32_t saveOnExit = 1;
    std::uint32_t saveConfigPath = 1;
    std::uint32_t saveWindowPos = 0;
    std::int32_t windowDivider = 200;
    std::uint32_t toolBarDesc = 0;
    std::uint32_t keepLayout = 1;  // save files with their comments and layout (KeepLayout)
    std::string apacheProgram;     // Apache's program for Check with Apache (ApacheProgram); empty: searched for
    std::uint32_t showValues = 1;  // values drawn after the names in the tree (ShowValues)
    // The window's place and size, stored with WindowDivider: its width is the divider plus
    // the right-hand column, so a window never resized keeps starting WindowDivider + 403 wide.
    std::int32_t windowLeft = kNoWindowPlace;
    std::int32_t windowTop = kNoWindowPlace;
    std::int32_t windowHeight = kWindowHeight;
    std::int32_t windowRightWidth = kWindowWidthBeyondDivider;

    // ConfirmDelete, SaveOnExit and ToolBarDesc are on when not 0; SaveConfigPath and
    // SaveWindowPos only when exactly 1.
    bool ConfirmsDelete() const { return confirmDelete != 0; }
    bool SavesOnExit() const { return saveOnExit != 0; }
    bool ShowsToolbarLabels() const { return toolBarDesc != 0; }
    bool SavesConfigPath() const { return saveConfigPath == 1; }
    bool SavesWindowPosition() const { return saveWindowPos == 1; }
    bool KeepsLayout() const { return keepLayout != 0; }
    bool ShowsValues() const { return showValues != 0; }
};

// Where and how large the main window starts: the stored place, or none (the system places
// it), WindowDivider + WindowRightWidth wide and WindowHeight high; a size that is not above 0
// gives the window's first size.
struct WindowPlace {
    bool placed = false;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
WindowPlace StartingWindowPlace(const Settings& settings);
// Note the window's place when it moves, and its size when it is resized, as the settings
// store them. Only a resize changes WindowRightWidth: a divider dragged in a window never
// resized leaves the right-hand column as it was.
void NoteWindowPosition(Settings& settings, int left, int top);
void NoteWindowSize(Settings& settings, int width, int height);

// Replaces environment variable references (%NAME%) in a text.
using ExpandEnvironment = std::function<std::string(std::string_view)>;

// Creates the settings key under both roots and the template store's key under
// HKEY_LOCAL_MACHINE; failures are passed over.
void CreateSettingKeys(Registry& registry);

// Creates the keys, then reads every setting. DefaultConfigFilePath has its environment
// variables expanded; the other strings are used as they stand.
Settings LoadSettings(Registry& registry, const ExpandEnvironment& expand);

// Writes SaveOnExit, and when it is on the other flags (KeepLayout among them) and ApacheProgram, the configuration directory as
// DefaultConfigPath (when SaveConfigPath is 1) and WindowDivider with the window's place and
// size (when SaveWindowPos is 1).
void SaveSettings(Registry& registry, const Settings& settings, const std::string& configDirectory);

}  // namespace tarnwick
