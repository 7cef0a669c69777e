#include "settings.h"

#include "registry_value.h"
#include "template_store.h"

namespace tarnwick {

namespace {

std::string ReadText(const Registry& registry, const char* name, const std::string& fallback) {
    return ReadRegistryValue(registry, kConfigKey, name, kTextCapacity, fallback).text;
}

}  // namespace

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
    if (settings.SavesConfigPath()) write(StringValue("DefaultConfigPath", configDirectory));
    if (settings.SavesWindowPosition())
        write(NumberValue("WindowDivider", static_cast<std::uint32_t>(settings.windowDivider)));
}

}  // namespace tarnwick
