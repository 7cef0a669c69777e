#pragma once
// The registry as the editor uses it: values read as bytes under two roots, keys created,
// values written, keys and values listed and deleted. Key paths are backslash-separated and,
// as in the real registry, key and value names compare without regard to case.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

enum class RegistryRoot { LocalMachine, CurrentUser };

// The registry's own type numbers.
enum class RegistryType : std::uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, Number = 4 };

struct RegistryValue {
    std::string name;
    RegistryType type = RegistryType::None;
    std::string data;
};

class Registry {
public:
    virtual ~Registry() = default;
    // The value's bytes; nothing when the key or value is missing or the data is larger than
    // `capacity` bytes (the data is never cut).
    virtual std::optional<std::string> QueryValue(RegistryRoot root, const std::string& key, const std::string& name,
                                                  std::size_t capacity) const = 0;
    virtual bool KeyExists(RegistryRoot root, const std::string& key) const = 0;
    // Creates the key and any missing keys above it; true when it exists afterwards.
    virtual bool CreateKey(RegistryRoot root, const std::string& key) = 0;
    // Writes a value into an existing key; false, writing nothing, when the key is missing.
    virtual bool SetValue(RegistryRoot root, const std::string& key, const RegistryValue& value) = 0;
    // The names of the key's direct subkeys.
    virtual std::vector<std::string> EnumerateKeys(RegistryRoot root, const std::string& key) const = 0;
    // The key's values in the registry's order, up to (not including) the first whose name is
    // longer than `maxName` characters or whose data is larger than `maxData` bytes.
    virtual std::vector<RegistryValue> EnumerateValues(RegistryRoot root, const std::string& key, std::size_t maxName,
                                                       std::size_t maxData) const = 0;
    // Deletes the key with everything below it.
    virtual bool DeleteKey(RegistryRoot root, const std::string& key) = 0;
    virtual bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) = 0;
};

// A number as the registry stores it: 4 bytes, least significant first.
std::string NumberData(std::uint32_t number);
RegistryValue NumberValue(std::string name, std::uint32_t number);
// A string with its terminating zero, as the registry stores REG_SZ data.
RegistryValue StringValue(std::string name, const std::string& text);

}  // namespace tarnwick
