// The user-over-machine-over-default rule, the template lookups and the pane conversions.

#include "memory_registry.h"
#include "pane_values.h"
#include "registry_value.h"
#include "template_store.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarnwick::testing {
namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

TEST(ReadRegistryValue, UserOverMachineOverDefault) {
    MemoryRegistry registry;
    const std::string key = "SOFTWARE\\Velmora\\Tarnwick\\Config";
    registry.Put(kMachine, key, StringValue("Both", "machine"));
    registry.Put(kUser, key, StringValue("Both", "user"));
    registry.Put(kMachine, key, StringValue("MachineOnly", "machine"));
    struct Case {
        const char* name;
        std::string text;
        std::uint32_t byteCount;
    } cases[] = {{"Both", "user", 5}, {"MachineOnly", "machine", 8}, {"Neither", "fallback", 8}};
    for (const Case& test : cases) {
        const RegistryText read = ReadRegistryValue(registry, key, test.name, kTextCapacity, "fallback");
        EXPECT_EQ(read.text, test.text) << test.name;
        EXPECT_EQ(read.byteCount, test.byteCount) << test.name;
    }
    EXPECT_EQ(ReadRegistryValue(registry, key, "Neither", kTextCapacity, std::nullopt).byteCount, 0u);
}

TEST(ReadRegistryValue, TooLargeAtOneRootFallsBackToTheOther) {
    MemoryRegistry registry;
    const std::string key = TemplateKey("Port");
    const std::string exact(kDescriptionCapacity - 1, 'e');
    registry.Put(kMachine, key, StringValue("Description", exact));
    registry.Put(kUser, key, StringValue("Description", exact + "longer"));
    EXPECT_EQ(Description(registry, "Port"), exact);
    registry.DeleteValue(kMachine, key, "Description");
    EXPECT_EQ(Description(registry, "Port"), kNoDescription);
}

TEST(ReadRegistryValue, NumbersAreTakenAsTheirBytes) {
    MemoryRegistry registry;
    const std::string key = TemplateKey("Port");
    registry.Put(kMachine, key, NumberValue("Template", 256));
    registry.Put(kMachine, key, {"Parent", RegistryType::String, std::string("1\0", 2)});
    registry.Put(kMachine, key, {"Short", RegistryType::Binary, std::string("\x05", 1)});
    registry.Put(kMachine, key, {"Long", RegistryType::Binary, std::string(5, '\x01')});
    EXPECT_EQ(ReadRegistryValue(registry, key, "Template", 117), 256u);
    EXPECT_EQ(ReadRegistryValue(registry, key, "Parent", 0), 49u);  // the text "1" read as bytes
    EXPECT_EQ(ReadRegistryValue(registry, key, "Short", 0xFFFFFFFF), 5u);
    EXPECT_EQ(ReadRegistryValue(registry, key, "Long", 7), 7u);  // too large: the default stays
    EXPECT_EQ(ReadRegistryValue(registry, key, "Missing", 0xDEADBEEF), 0xDEADBEEFu);
}

TEST(TemplateStore, MissingTemplatesGiveTheDefaults) {
    MemoryRegistry registry;
    EXPECT_EQ(TemplateNumber(registry, "NoSuchDirective"), kGeneralPane);
    EXPECT_EQ(NestingRank(registry, "NoSuchDirective"), 0u);
    EXPECT_EQ(NestingRank(registry, "NoSuchDirective", 2), 2u);
    EXPECT_EQ(DefaultValue(registry, "NoSuchDirective"), "");
    EXPECT_EQ(Description(registry, "NoSuchDirective"), "No description available.");
}

TEST(TemplateStore, LookupIgnoresCaseAndUsesOnlyTheName) {
    MemoryRegistry registry;
    registry.Put(kMachine, "SOFTWARE\\Velmora\\Tarnwick\\Templates\\KeepAlive", NumberValue("Template", kOnOffPane));
    registry.Put(kMachine, "Software\\Velmora\\Tarnwick\\Templates\\KeepAlive", StringValue("Default", "On"));
    EXPECT_EQ(TemplateNumber(registry, "keepalive"), kOnOffPane);
    EXPECT_EQ(DefaultValue(registry, "KEEPALIVE"), "On");
    EXPECT_EQ(TemplateKey(std::string(2000, 'n')).size(), std::string(kTemplatesKey).size() + 1 + 1023);
}

TEST(TemplateStore, TemplateListAndAssignment) {
    MemoryRegistry registry;
    registry.Put(kMachine, kTemplateListKey, NumberValue("Plain text", kGeneralPane));
    registry.Put(kMachine, kTemplateListKey, NumberValue("On or Off", kOnOffPane));
    registry.Put(kMachine, kTemplateListKey, StringValue("Broken", "too long"));
    registry.Put(kMachine, kTemplateListKey, NumberValue("Hidden", kNumericalPane));
    const auto choices = ReadTemplateList(registry);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[1].label, "On or Off");
    EXPECT_EQ(choices[1].templateNumber, kOnOffPane);

    EXPECT_FALSE(AssignTemplate(registry, "Port", kNumericalPane));  // no template key: nothing written
    EXPECT_FALSE(registry.KeyExists(kMachine, TemplateKey("Port")));
    registry.CreateKey(kMachine, TemplateKey("Port"));
    registry.Put(kUser, TemplateKey("Port"), NumberValue("Template", kGeneralPane));
    EXPECT_TRUE(AssignTemplate(registry, "port", kNumericalPane));
    EXPECT_EQ(ReadRegistryValue(registry, TemplateKey("Port"), "Template", 0), kGeneralPane);  // the user's wins
    registry.DeleteValue(kUser, TemplateKey("Port"), "Template");
    EXPECT_EQ(TemplateNumber(registry, "Port"), kNumericalPane);
}

TEST(PaneValues, SwitchesAndNumbers) {
    EXPECT_TRUE(ShowsOn("ON"));
    EXPECT_TRUE(ShowsOn("on"));
    EXPECT_FALSE(ShowsOn("yes"));
    EXPECT_FALSE(ShowsOn(" on"));
    EXPECT_EQ(SwitchValue(true), "On");
    EXPECT_EQ(SwitchValue(false), "Off");
    const std::pair<const char*, std::uint16_t> numbers[] = {
        {"80", 80}, {"08", 8}, {"  443 secure", 443}, {"abc", 0}, {"", 0}, {"-1", 65535}, {"65616", 80}, {"+7", 7},
    };
    for (const auto& [text, position] : numbers) EXPECT_EQ(UpDownPosition(text), position) << text;
    EXPECT_TRUE(IsPaneKind(kBackslashDirectoryPane));
    EXPECT_FALSE(IsPaneKind(121));
}

TEST(PaneValues, YesNoChoiceReadsTheUsualSpellings) {
    const std::pair<const char*, std::optional<bool>> values[] = {
        {"Yes", true},    {"ON", true},      {"true", true},  {"1", true},        {"\"yes\"", true}, {" On ", true},
        {"\" on \"", true}, {"no", false},     {"Off", false},  {"FALSE", false},   {"0", false},      {"\"No\"", false},
        {"", std::nullopt}, {"maybe", std::nullopt}, {"yes please", std::nullopt}, {"\"yes", std::nullopt},
        {"01", std::nullopt}, {"\"\"", std::nullopt}, {"y", std::nullopt},
    };
    for (const auto& [value, choice] : values) EXPECT_EQ(YesNoChoice(value), choice) << value;
}

}  // namespace
}  // namespace tarnwick::testing
