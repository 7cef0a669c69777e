#pragma once
// The editor's one way of reading the registry: a value under HKEY_CURRENT_USER wins over the
// same value under HKEY_LOCAL_MACHINE, which wins over the caller's default. A root where the
// key or value is missing, or where the value is larger than the capacity, changes nothing.

#include "registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Capacities the callers use, in bytes with the terminating zero.
inline constexpr std::size_t kTextCapacity = 1024;
inline constexpr std::size_t kDescriptionCapacity = 10240;

struct RegistryText {
    std::string text;          // the winning value's bytes up to their first zero
    std::uint32_t byteCount;   // what the registry reported for it, or the default's length, or 0
};

RegistryText ReadRegistryValue(const Registry& registry, const std::string& key, const std::string& name,
                               std::size_t capacity, std::optional<std::string_view> defaultText);

// The number form: the winning value's bytes (at most 4) read least significant first.
std::uint32_t ReadRegistryValue(const Registry& registry, const std::string& key, const std::string& name,
                                std::uint32_t defaultNumber);

}  // namespace tarnwick
