#pragma once
// The registry binding of the Windows program, on the ANSI registry functions.

#include "../registry.h"

namespace tarnwick {

class Win32Registry final : public Registry {
public:
    std::optional<std::string> QueryValue(RegistryRoot root, const std::string& key, const std::string& name,
                                          std::size_t capacity) const override;
    bool KeyExists(RegistryRoot root, const std::string& key) const override;
    bool CreateKey(RegistryRoot root, const std::string& key) override;
    bool SetValue(RegistryRoot root, const std::string& key, const RegistryValue& value) override;
    std::vector<std::string> EnumerateKeys(RegistryRoot root, const std::string& key) const override;
    std::vector<RegistryValue> EnumerateValues(RegistryRoot root, const std::string& key, std::size_t maxName,
                                               std::size_t maxData) const override;
    bool DeleteKey(RegistryRoot root, const std::string& key) override;
    bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override;
};

}  // namespace tarnwick
