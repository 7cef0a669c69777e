// Settings with their defaults and flag rules, and the layout as a function of the divider,
// the toolbar height and the client area.

#include "layout.h"
#include "memory_registry.h"
#include "settings.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

std::string NoExpansion(std::string_view text) { return std::string(text); }

TEST(Settings, DefaultsWithAnEmptyRegistry) {
    MemoryRegistry registry;
    const Settings settings = LoadSettings(registry, NoExpansion);
    EXPECT_EQ(settings.defaultConfigPath, "C:\\Progs\\Tarnwick\\Conf");
    EXPECT_EQ(settings.defaultConfigFilePath, "C:\\");
    EXPECT_EQ(settings.helpPath, "C:\\Program Files\\Tarnwick\\HelpFile");
    EXPECT_EQ(settings.windowDivider, 200);
    EXPECT_TRUE(settings.ConfirmsDelete());
    EXPECT_FALSE(settings.ShowsToolbarLabels());
    EXPECT_TRUE(settings.KeepsLayout());
    EXPECT_EQ(settings.apacheProgram, "");  // not set: Check with Apache looks for the program
    EXPECT_TRUE(settings.ShowsValues());
    const WindowPlace place = StartingWindowPlace(settings);
    EXPECT_FALSE(place.placed);
    EXPECT_EQ(place.width, 603);
    EXPECT_EQ(place.height, 450);
    EXPECT_TRUE(registry.KeyExists(kUser, kConfigKey));
    EXPECT_TRUE(registry.KeyExists(kMachine, kConfigKey));
    EXPECT_TRUE(registry.KeyExists(kMachine, "SOFTWARE\\Velmora\\Tarnwick\\Templates"));
}

TEST(Settings, UserValuesOverrideMachineValuesAndOnlyOnePathIsExpanded) {
    MemoryRegistry registry;
    registry.Put(kMachine, kConfigKey, NumberValue("WindowDivider", 300));
    registry.Put(kUser, kConfigKey, NumberValue("WindowDivider", 512));
    registry.Put(kMachine, kConfigKey, NumberValue("ToolBarDesc", 7));
    registry.Put(kUser, kConfigKey, StringValue("DefaultConfigFilePath", "%APACHE%\\conf"));
    registry.Put(kUser, kConfigKey, StringValue("HelpPath", "%APACHE%\\help"));
    registry.Put(kUser, kConfigKey, NumberValue("WindowDivider", 512));
    registry.Put(kMachine, kConfigKey, StringValue("ApacheProgram", "%APACHE%\\bin\\httpd.exe"));
    const Settings settings = LoadSettings(registry, [](std::string_view text) {
        std::string expanded(text);
        if (expanded.rfind("%APACHE%", 0) == 0) expanded.replace(0, 8, "D:\\Apache");
        return expanded;
    });
    EXPECT_EQ(settings.windowDivider, 512);
    EXPECT_TRUE(settings.ShowsToolbarLabels());
    EXPECT_EQ(settings.defaultConfigFilePath, "D:\\Apache\\conf");
    EXPECT_EQ(settings.helpPath, "%APACHE%\\help");
    EXPECT_EQ(settings.apacheProgram, "%APACHE%\\bin\\httpd.exe");  // from the machine, as it stands
}

TEST(Settings, FlagsCountAsOnByTheirOwnRule) {
    Settings settings;
    settings.confirmDelete = 5;
    settings.saveConfigPath = 5;
    settings.saveWindowPos = 2;
    EXPECT_TRUE(settings.ConfirmsDelete());
    EXPECT_FALSE(settings.SavesConfigPath());
    EXPECT_FALSE(settings.SavesWindowPosition());
}

TEST(Settings, SavingWritesWhatTheFlagsAllow) {
    struct Case {
        const char* name;
        std::uint32_t saveOnExit, saveConfigPath, saveWindowPos;
        std::vector<std::string> written;
    } cases[] = {
        {"off", 0, 1, 1, {"SaveOnExit"}},
        {"on", 1, 0, 0,
         {"SaveOnExit", "SaveConfigPath", "SaveWindowPos", "ConfirmDelete", "ToolBarDesc", "KeepLayout", "ApacheProgram", "ShowValues"}},
        {"with path and divider", 1, 1, 1,
         {"SaveOnExit", "SaveConfigPath", "SaveWindowPos", "ConfirmDelete", "ToolBarDesc", "KeepLayout", "ApacheProgram", "ShowValues",
          "DefaultConfigPath", "WindowDivider", "WindowLeft", "WindowTop", "WindowHeight", "WindowRightWidth"}},
    };
    for (const Case& test : cases) {
        MemoryRegistry registry;
        CreateSettingKeys(registry);
        Settings settings;
        settings.saveOnExit = test.saveOnExit;
        settings.saveConfigPath = test.saveConfigPath;
        settings.saveWindowPos = test.saveWindowPos;
        settings.windowDivider = 260;
        settings.apacheProgram = "D:\\Apache24\\bin\\httpd.exe";
        NoteWindowPosition(settings, -20, 35);
        NoteWindowSize(settings, 700, 520);
        SaveSettings(registry, settings, "D:\\conf\\");
        std::vector<std::string> written;
        for (const RegistryValue& value : registry.EnumerateValues(kUser, kConfigKey, 1023, 1024)) written.push_back(value.name);
        EXPECT_EQ(written, test.written) << test.name;
        EXPECT_TRUE(registry.EnumerateValues(kMachine, kConfigKey, 1023, 1024).empty()) << test.name;
        if (test.saveOnExit && test.saveWindowPos) {
            const Settings next = LoadSettings(registry, NoExpansion);
            EXPECT_EQ(next.windowDivider, 260);
            EXPECT_EQ(next.apacheProgram, "D:\\Apache24\\bin\\httpd.exe");
            EXPECT_EQ(next.defaultConfigPath, "D:\\conf\\");
            const WindowPlace place = StartingWindowPlace(next);
            EXPECT_TRUE(place.placed);
            EXPECT_EQ(place.left, -20);
            EXPECT_EQ(place.top, 35);
            EXPECT_EQ(place.width, 700);
            EXPECT_EQ(place.height, 520);
        }
    }
}

TEST(Layout, RectanglesFollowTheDividerAndToolbar) {
    const Layout layout = ComputeLayout(200, 28, 595, 400);
    EXPECT_EQ(layout.divider, (Rect{196, 28, 5, 362}));
    EXPECT_EQ(layout.tree, (Rect{2, 28, 196, 367}));
    EXPECT_EQ(layout.panes.x, 202);
    EXPECT_EQ(layout.panes.y, 28);
    EXPECT_EQ(layout.description, (Rect{202, 227, 389, 168}));
    const Layout wider = ComputeLayout(230, 28, 595, 400);
    EXPECT_EQ(wider.tree.width, layout.tree.width + 30);
    EXPECT_EQ(wider.description.width, layout.description.width - 30);
    const Layout labelled = ComputeLayout(200, 44, 595, 400);
    EXPECT_EQ(labelled.tree.y - layout.tree.y, 16);
    EXPECT_EQ(labelled.description.y - layout.description.y, 16);
}

TEST(Layout, DividerKeepsBothColumnsVisible) {
    const std::pair<std::pair<int, int>, int> cases[] = {
        {{200, 595}, 200}, {{-50, 595}, 44}, {{10000, 595}, 549}, {{600, 0}, 600}, {{30, 0}, 44}, {{300, 60}, 44},
    };
    for (const auto& [input, clamped] : cases) {
        const int divider = ClampDivider(input.first, input.second);
        EXPECT_EQ(divider, clamped) << input.first << " in " << input.second;
        const Layout layout = ComputeLayout(divider, 28, input.second, 400);
        EXPECT_GE(layout.tree.width, kMinimumColumnWidth);
        if (input.second >= 2 * kMinimumColumnWidth + 10) {
            EXPECT_GE(layout.description.width, kMinimumColumnWidth);
        }
    }
}

// The window's width is stored as its right-hand column, so a window never resized starts
// WindowDivider + 403 wide whatever the divider; sizes not above 0 give the first size.
TEST(Settings, WindowPlaceFollowsTheDivider) {
    struct Case {
        std::int32_t divider, left, top, height, rightWidth;
        WindowPlace expected;
    } cases[] = {
        {200, kNoWindowPlace, kNoWindowPlace, 450, 403, {false, 0, 0, 603, 450}},
        {260, kNoWindowPlace, kNoWindowPlace, 450, 403, {false, 0, 0, 663, 450}},
        {260, 10, kNoWindowPlace, 450, 403, {false, 0, 0, 663, 450}},
        {260, 10, 20, 500, 300, {true, 10, 20, 560, 500}},
        {200, -1200, 0, 0, -5, {true, -1200, 0, 603, 450}},
    };
    for (const Case& test : cases) {
        Settings settings;
        settings.windowDivider = test.divider;
        settings.windowLeft = test.left;
        settings.windowTop = test.top;
        settings.windowHeight = test.height;
        settings.windowRightWidth = test.rightWidth;
        const WindowPlace place = StartingWindowPlace(settings);
        EXPECT_EQ(place.placed, test.expected.placed) << test.divider << " " << test.left;
        EXPECT_EQ(place.width, test.expected.width) << test.divider << " " << test.left;
        EXPECT_EQ(place.height, test.expected.height) << test.divider << " " << test.left;
        if (place.placed) {
            EXPECT_EQ(place.left, test.expected.left);
            EXPECT_EQ(place.top, test.expected.top);
        }
    }
}

// The right-hand column's width is what a resize leaves; a divider dragged afterwards widens
// the next run's window by as much, as it always has.
TEST(Settings, DividerDraggedAfterAResizeWidensTheNextWindow) {
    Settings settings;
    settings.windowDivider = 260;
    NoteWindowSize(settings, 700, 520);
    EXPECT_EQ(settings.windowRightWidth, 440);
    settings.windowDivider = 300;
    NoteWindowPosition(settings, 5, 6);
    EXPECT_EQ(StartingWindowPlace(settings).width, 740);
    EXPECT_EQ(StartingWindowPlace(settings).height, 520);
}

// A window made narrower than the divider keeps the divider inside it; the value passed in is
// not changed, and a wide window shows it again.
TEST(Layout, NarrowWindowKeepsTheDividerInside) {
    const int divider = 500;
    const Layout narrow = ComputeLayout(divider, 28, 300, 400);
    EXPECT_EQ(narrow.divider.x + narrow.divider.width, 300 - 6 - kMinimumColumnWidth + 1);
    EXPECT_GE(narrow.description.width, kMinimumColumnWidth);
    EXPECT_LE(narrow.tree.x + narrow.tree.width, 300);
    const Layout wide = ComputeLayout(divider, 28, 900, 400);
    EXPECT_EQ(wide.divider.x, divider - 4);
    EXPECT_EQ(wide.tree.width, divider - 4);
}

}  // namespace
}  // namespace tarnwick::testing
