#pragma once
// What the template store in the registry says about a directive or section name: which pane
// edits it, its nesting rank, the value a new item starts with, and its help text. Only the
// item's own name counts, never where it stands in the tree.

#include "registry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

inline constexpr const char* kTemplatesKey = "SOFTWARE\\Velmora\\Tarnwick\\Templates";
inline constexpr const char* kTemplateListKey = "SOFTWARE\\Velmora\\Tarnwick\\Config\\TemplateList";
inline constexpr const char* kNoDescription = "No description available.";

// Template numbers: the dialog resources of the pane kinds.
inline constexpr std::uint32_t kGeneralPane = 117;
inline constexpr std::uint32_t kYesNoPane = 118;
inline constexpr std::uint32_t kOnOffPane = 119;
inline constexpr std::uint32_t kNumericalPane = 120;
inline constexpr std::uint32_t kSlashDirectoryPane = 123;
inline constexpr std::uint32_t kBackslashDirectoryPane = 124;

bool IsPaneKind(std::uint32_t templateNumber);

// "SOFTWARE\Velmora\Tarnwick\Templates\" and the name (its first kMaxItemTextLength characters).
std::string TemplateKey(std::string_view name);

std::uint32_t TemplateNumber(const Registry& registry, std::string_view name);
std::uint32_t NestingRank(const Registry& registry, std::string_view name, std::uint32_t whenMissing = 0);
std::string DefaultValue(const Registry& registry, std::string_view name);
std::string Description(const Registry& registry, std::string_view name);

// One entry of the template list: a label and the template number it assigns.
struct TemplateChoice {
    std::string label;
    std::uint32_t templateNumber;
};

// The template list in registry order, ending before the first value that is not a number of
// at most 4 bytes with a name of at most 1023 characters.
std::vector<TemplateChoice> ReadTemplateList(const Registry& registry);

// Makes `templateNumber` the template of `name`, in an existing template key under
// HKEY_LOCAL_MACHINE only; false, writing nothing, when there is no such key.
bool AssignTemplate(Registry& registry, std::string_view name, std::uint32_t templateNumber);

}  // namespace tarnwick
