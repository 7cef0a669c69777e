// One suite for every binding of the registry: the in-memory one, and the real registry in
// the Windows build (under a test key of its own, removed afterwards).

#include "memory_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#ifdef _WIN32
#include "win32/win32_registry.h"
#include <windows.h>
#endif

namespace tarnwick::testing {
namespace {

std::string UniqueBase() {
    static std::atomic<int> counter{0};
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = 0;
#endif
    return "Software\\TarnwickTests\\run-" + std::to_string(process) + "-" + std::to_string(counter++);
}

template <typename Store>
class RegistryConformance : public ::testing::Test {
protected:
    Store store;
    Registry& registry = store;
    const std::string base = UniqueBase();

    ~RegistryConformance() override {
        registry.DeleteKey(RegistryRoot::CurrentUser, base);
        registry.DeleteKey(RegistryRoot::LocalMachine, base);
    }
};

#ifdef _WIN32
using RegistryBindings = ::testing::Types<MemoryRegistry, Win32Registry>;
#else
using RegistryBindings = ::testing::Types<MemoryRegistry>;
#endif
TYPED_TEST_SUITE(RegistryConformance, RegistryBindings);

TYPED_TEST(RegistryConformance, ValuesRoundTripAsBytes) {
    Registry& registry = this->registry;
    const std::string key = this->base + "\\Templates\\Port";
    ASSERT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, key));
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::LocalMachine, key));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, key));
    ASSERT_TRUE(registry.SetValue(RegistryRoot::LocalMachine, key, NumberValue("Template", 256)));
    ASSERT_TRUE(registry.SetValue(RegistryRoot::LocalMachine, key, StringValue("Default", "80")));
    EXPECT_EQ(registry.QueryValue(RegistryRoot::LocalMachine, key, "TEMPLATE", 4), NumberData(256));
    EXPECT_EQ(registry.QueryValue(RegistryRoot::LocalMachine, this->base + "\\TEMPLATES\\port", "Default", 1024),
              std::string("80\0", 3));
    EXPECT_FALSE(registry.QueryValue(RegistryRoot::LocalMachine, key, "Missing", 1024).has_value());
    EXPECT_FALSE(registry.QueryValue(RegistryRoot::LocalMachine, this->base + "\\Nowhere", "Default", 1024));
}

TYPED_TEST(RegistryConformance, DataLargerThanTheCapacityIsNotCut) {
    Registry& registry = this->registry;
    ASSERT_TRUE(registry.CreateKey(RegistryRoot::CurrentUser, this->base));
    const std::string text(10239, 'd');
    ASSERT_TRUE(registry.SetValue(RegistryRoot::CurrentUser, this->base, StringValue("Exact", text)));
    ASSERT_TRUE(registry.SetValue(RegistryRoot::CurrentUser, this->base, StringValue("Longer", text + "x")));
    EXPECT_EQ(registry.QueryValue(RegistryRoot::CurrentUser, this->base, "Exact", 10240)->size(), 10240u);
    EXPECT_FALSE(registry.QueryValue(RegistryRoot::CurrentUser, this->base, "Longer", 10240).has_value());
}

TYPED_TEST(RegistryConformance, WritingNeedsAnExistingKey) {
    EXPECT_FALSE(this->registry.SetValue(RegistryRoot::LocalMachine, this->base + "\\Missing", NumberValue("Template", 1)));
    EXPECT_FALSE(this->registry.KeyExists(RegistryRoot::LocalMachine, this->base + "\\Missing"));
}

TYPED_TEST(RegistryConformance, KeysAndValuesAreListedAndDeleted) {
    Registry& registry = this->registry;
    const std::string list = this->base + "\\TemplateList";
    for (const char* name : {"Port", "ServerRoot", "Directory"})
        ASSERT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, this->base + "\\Templates\\" + name));
    std::vector<std::string> keys = registry.EnumerateKeys(RegistryRoot::LocalMachine, this->base + "\\Templates");
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"Directory", "Port", "ServerRoot"}));

    ASSERT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, list));
    registry.SetValue(RegistryRoot::LocalMachine, list, NumberValue("General", 117));
    registry.SetValue(RegistryRoot::LocalMachine, list, NumberValue("On/Off", 119));
    // Names chosen so that creation order and name order agree: Wine lists values by name.
    registry.SetValue(RegistryRoot::LocalMachine, list, StringValue("Zz too long", "12345678"));
    registry.SetValue(RegistryRoot::LocalMachine, list, NumberValue("Zzz after", 120));
    const auto values = registry.EnumerateValues(RegistryRoot::LocalMachine, list, 1023, 4);
    ASSERT_EQ(values.size(), 2u) << "the listing stops at the first value too large";
    EXPECT_EQ(values[0].name, "General");
    EXPECT_EQ(values[1].data, NumberData(119));

    EXPECT_TRUE(registry.DeleteValue(RegistryRoot::LocalMachine, list, "general"));
    EXPECT_FALSE(registry.QueryValue(RegistryRoot::LocalMachine, list, "General", 4).has_value());
    EXPECT_TRUE(registry.DeleteKey(RegistryRoot::LocalMachine, this->base + "\\Templates"));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, this->base + "\\Templates\\Port"));
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::LocalMachine, list));
}

}  // namespace
}  // namespace tarnwick::testing
