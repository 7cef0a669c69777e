#include "template_store.h"

#include "config_tree.h"
#include "registry_value.h"

namespace tarnwick {

bool IsPaneKind(std::uint32_t templateNumber) {
    switch (templateNumber) {
        case kGeneralPane:
        case kYesNoPane:
        case kOnOffPane:
        case kNumericalPane:
        case kSlashDirectoryPane:
        case kBackslashDirectoryPane: return true;
        default: return false;
    }
}

std::string TemplateKey(std::string_view name) {
    return std::string(kTemplatesKey) + "\\" + std::string(name.substr(0, kMaxItemTextLength));
}

std::uint32_t TemplateNumber(const Registry& registry, std::string_view name) {
    return ReadRegistryValue(registry, TemplateKey(name), "Template", kGeneralPane);
}

std::uint32_t NestingRank(const Registry& registry, std::string_view name, std::uint32_t whenMissing) {
    return ReadRegistryValue(registry, TemplateKey(name), "Parent", whenMissing);
}

std::string DefaultValue(const Registry& registry, std::string_view name) {
    return ReadRegistryValue(registry, TemplateKey(name), "Default", kTextCapacity, "").text;
}

std::string Description(const Registry& registry, std::string_view name) {
    return ReadRegistryValue(registry, TemplateKey(name), "Description", kDescriptionCapacity, kNoDescription).text;
}

std::vector<TemplateChoice> ReadTemplateList(const Registry& registry) {
    std::vector<TemplateChoice> choices;
    for (const RegistryValue& value :
         registry.EnumerateValues(RegistryRoot::LocalMachine, kTemplateListKey, kMaxItemTextLength, 4)) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < value.data.size(); ++i)
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
        choices.push_back({value.name, number});
    }
    return choices;
}

bool AssignTemplate(Registry& registry, std::string_view name, std::uint32_t templateNumber) {
    return registry.SetValue(RegistryRoot::LocalMachine, TemplateKey(name), NumberValue("Template", templateNumber));
}

}  // namespace tarnwick
