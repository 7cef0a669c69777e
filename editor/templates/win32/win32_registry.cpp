#include "win32_registry.h"

#include <windows.h>

namespace tarnwick {

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// An open key, closed when it goes out of scope.
class OpenKey {
public:
    OpenKey(RegistryRoot root, const std::string& path, REGSAM access) {
        if (RegOpenKeyExA(RootKey(root), path.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::optional<std::string> Win32Registry::QueryValue(RegistryRoot root, const std::string& key,
                                                     const std::string& name, std::size_t capacity) const {
    OpenKey open(root, key, KEY_READ);
    if (!open) return std::nullopt;
    // The query fails, and nothing is cut, when the data does not fit the capacity.
    std::string data(capacity, '\0');
    DWORD size = static_cast<DWORD>(capacity);
    if (RegQueryValueExA(open.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

bool Win32Registry::KeyExists(RegistryRoot root, const std::string& key) const {
    return static_cast<bool>(OpenKey(root, key, KEY_READ));
}

bool Win32Registry::CreateKey(RegistryRoot root, const std::string& key) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(RootKey(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(created);
    return true;
}

bool Win32Registry::SetValue(RegistryRoot root, const std::string& key, const RegistryValue& value) {
    OpenKey open(root, key, KEY_WRITE);
    return open && RegSetValueExA(open.get(), value.name.c_str(), 0, static_cast<DWORD>(value.type),
                                  reinterpret_cast<const BYTE*>(value.data.data()),
                                  static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

std::vector<std::string> Win32Registry::EnumerateKeys(RegistryRoot root, const std::string& key) const {
    std::vector<std::string> names;
    OpenKey open(root, key, KEY_READ);
    if (!open) return names;
    for (DWORD index = 0;; ++index) {
        char name[256];  // the registry's own limit for a key name
        DWORD length = sizeof name;
        if (RegEnumKeyExA(open.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<RegistryValue> Win32Registry::EnumerateValues(RegistryRoot root, const std::string& key,
                                                          std::size_t maxName, std::size_t maxData) const {
    std::vector<RegistryValue> values;
    OpenKey open(root, key, KEY_READ);
    if (!open) return values;
    std::string name(maxName + 1, '\0');
    std::string data(maxData, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(open.get(), index, name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back({name.substr(0, nameLength), static_cast<RegistryType>(type), data.substr(0, dataSize)});
    }
    return values;
}

bool Win32Registry::DeleteKey(RegistryRoot root, const std::string& key) {
    // Given a subkey name, RegDeleteTreeA removes that key itself along with its descendants.
    return !key.empty() && RegDeleteTreeA(RootKey(root), key.c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
    OpenKey open(root, key, KEY_WRITE);
    return open && RegDeleteValueA(open.get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace tarnwick
