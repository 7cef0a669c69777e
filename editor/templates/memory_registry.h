#pragma once
// The in-memory binding of the registry, with its two roots.

#include "registry.h"

#include <map>

namespace tarnwick {

class MemoryRegistry final : public Registry {
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

    // Test helpers: creates the key if needed and writes the value.
    void Put(RegistryRoot root, const std::string& key, const RegistryValue& value);
    // A key that exists but refuses writes, as a key without write access does.
    void MakeReadOnly(RegistryRoot root, const std::string& key);
    int WriteCount() const { return writes_; }

private:
    struct Key {
        std::string name;                  // as created, for enumeration
        std::vector<RegistryValue> values;  // in creation order
        bool readOnly = false;
    };
    using Tree = std::map<std::string, Key>;  // by lower-case full path

    static std::string Fold(const std::string& path);
    const Tree& RootOf(RegistryRoot root) const { return root == RegistryRoot::LocalMachine ? machine_ : user_; }
    Tree& RootOf(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? machine_ : user_; }

    Tree machine_;
    Tree user_;
    int writes_ = 0;
};

}  // namespace tarnwick
