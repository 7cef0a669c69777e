#include "registry.h"

namespace tarnwick {

std::string NumberData(std::uint32_t number) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[static_cast<std::size_t>(i)] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return data;
}

RegistryValue NumberValue(std::string name, std::uint32_t number) {
    return {std::move(name), RegistryType::Number, NumberData(number)};
}

RegistryValue StringValue(std::string name, const std::string& text) {
    return {std::move(name), RegistryType::String, text + '\0'};
}

}  // namespace tarnwick
