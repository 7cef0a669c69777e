#include "registry_value.h"

namespace tarnwick {

namespace {

std::optional<std::string> Winning(const Registry& registry, const std::string& key, const std::string& name,
                                   std::size_t capacity) {
    std::optional<std::string> winner = registry.QueryValue(RegistryRoot::LocalMachine, key, name, capacity);
    if (auto user = registry.QueryValue(RegistryRoot::CurrentUser, key, name, capacity)) winner = std::move(user);
    return winner;
}

}  // namespace

RegistryText ReadRegistryValue(const Registry& registry, const std::string& key, const std::string& name,
                               std::size_t capacity, std::optional<std::string_view> defaultText) {
    if (const auto data = Winning(registry, key, name, capacity))
        return {data->substr(0, data->find('\0')), static_cast<std::uint32_t>(data->size())};
    if (!defaultText || capacity == 0) return {std::string(), 0};
    const std::string_view text = defaultText->substr(0, capacity - 1);
    return {std::string(text), static_cast<std::uint32_t>(text.size())};
}

std::uint32_t ReadRegistryValue(const Registry& registry, const std::string& key, const std::string& name,
                                std::uint32_t defaultNumber) {
    const auto data = Winning(registry, key, name, 4);
    if (!data) return defaultNumber;
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < data->size(); ++i)
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>((*data)[i])) << (8 * i);
    return number;
}

}  // namespace tarnwick
