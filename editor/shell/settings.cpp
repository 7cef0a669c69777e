#include "settings.h"

#include "registry_value.h"
#include "template_store.h"

namespace tarnwick {

namespace {

std::string ReadText(const Registry& registry, const char* name, const std::string& fallback) {
    return ReadRegistryValue(registry, kConfigKey, name, kTextCapacity, fallback).text;
}

}  // namespace

WindowPlace StartingWindowPlace(const Settings& settings) {
    const Settings defaults;
    WindowPlace place;
    place.placed = settings.windowLeft != kNoWindowPlace && settings.windowTop != kNoWindowPlace;
    if (place.placed) {
        place.left = settings.windowLeft;
        place.top = settings.windowTop;
    }
    const std::int32_t right = settings.windowRightWidth > 0 ? settings.windowRightWidth : defaults.windowRightWidth;
    place.width = settings.windowDivider + right;
    place.height = settings.windowHeight > 0 ? settings.windowHeight : defaults.windowHeight;
    return place;
}

void NoteWindowPosition(Settings& settings, int left, int top) {
    settings.windowLeft = left;
    settings.windowTop = top;
}

void NoteWindowSize(Settings& settings, int width, int height) {
    settings.windowHeight = height;
    settings.windowRightWidth = width - settings.windowDivider;
}

void CreateSettingKeys(Registry& registry) {
    registry.CreateKey(RegistryRoot::CurrentUser, kConfigKey);
    registry.CreateKey(RegistryRoot::LocalMachine, kConfigKey);
    registry.CreateKey(RegistryRoot::LocalMachine, kTemplatesKey);
}

Settings LoadSettings(Registry& registry, const ExpandEnvironment& expand) {
    CreateSettingKeys(registry);
    Settings settings;
    settings.defaultConfigFilePath = expand(ReadText(registry, "DefaultConfigFilePath", settings.defaultConfigFilePath));
    settings.helpPath = ReadText(registry, "HelpPath", settings.helpPath);
    settings.defaultConfigPath = ReadText(registry, "DefaultConfigPath", settings.defaultConfigPath);
    settings.confirmDelete = ReadRegistryValue(registry, kConfigKey, "ConfirmDelete", settings.confirmDelete);
    settings.saveOnExit = ReadRegistryValue(registry, kConfigKey, "SaveOnExit", settings.saveOnExit);
    settings.saveConfigPath = ReadRegistryValue(registry, kConfigKey, "SaveConfigPath", settings.saveConfigPath);
    settings.saveWindowPos = ReadRegistryValue(registry, kConfigKey, "SaveWindowPos", settings.saveWindowPos);
    settings.windowDivider = static_cast<std::int32_t>(
        ReadRegistryValue(registry, kConfigKey, "WindowDivider", static_cast<std::uint32_t>(settings.windowDivider)));
    settings.toolBarDesc = ReadRegistryValue(registry, kConfigKey, "ToolBarDesc", settings.toolBarDesc);
    settings.keepLayout = ReadRegistryValue(registry, kConfigKey, "KeepLayout", settings.keepLayout);
    settings.apacheProgram = ReadText(registry, "ApacheProgram", settings.apacheProgram);
    settings.showValues = ReadRegistryValue(registry, kConfigKey, "ShowValues", settings.showValues);
    const auto readSigned = [&registry](const char* name, std::int32_t fallback) {
        return static_cast<std::int32_t>(ReadRegistryValue(registry, kConfigKey, name, static_cast<std::uint32_t>(fallback)));
    };
    settings.windowLeft = readSigned("WindowLeft", settings.windowLeft);
    settings.windowTop = readSigned("WindowTop", settings.windowTop);
    settings.windowHeight = readSigned("WindowHeight", settings.windowHeight);
    settings.windowRightWidth = readSigned("WindowRightWidth", settings.windowRightWidth);
    return settings;
}

void SaveSettings(Registry& registry, const Settings& settings, const std::string& configDirectory) {
    // Writes into a key that cannot be opened are lost without notice, as the program has always done.
    const auto write = [&registry](const RegistryValue& value) {
        registry.SetValue(RegistryRoot::CurrentUser, kConfigKey, value);
    };
    write(NumberValue("SaveOnExit", settings.saveOnExit));
    if (!settings.SavesOnExit()) return;
    write(NumberValue("SaveConfigPath", settings.saveConfigPath));
    write(NumberValue("SaveWindowPos", settings.saveWindowPos));
    write(NumberValue("ConfirmDelete", settings.confirmDelete));
    write(NumberValue("ToolBarDesc", settings.toolBarDesc));
    write(NumberValue("KeepLayout", settings.keepLayout));
    write(StringValue("ApacheProgram", settings.apacheProgram));
    write(NumberValue("ShowValues", settings.showValues));
    if (settings.SavesConfigPath()) write(StringValue("DefaultConfigPath", configDirectory));
    if (!settings.SavesWindowPosition()) return;
    const auto writeSigned = [&write](const char* name, std::int32_t value) {
        write(NumberValue(name, static_cast<std::uint32_t>(value)));
    };
    writeSigned("WindowDivider", settings.windowDivider);
    if (settings.windowLeft != kNoWindowPlace && settings.windowTop != kNoWindowPlace) {
        writeSigned("WindowLeft", settings.windowLeft);
        writeSigned("WindowTop", settings.windowTop);
    }
    writeSigned("WindowHeight", settings.windowHeight);
    writeSigned("WindowRightWidth", settings.windowRightWidth);
}

}  // namespace tarnwick
