// The product's generated installation script, read back and run with the installer's own
// core against the recording platform: the template store, the template list, the settings
// and the Quick Config presets it writes.

#include "install_run.h"
#include "recording_platform.h"
#include "recording_progress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace kelsetup::testing {
namespace {

constexpr RootKey kMachine = RootKey::LocalMachine;
const std::string kTemplates = "SOFTWARE\\Velmora\\Tarnwick\\Templates";

// A file of the package folder, which holds setup.txt and the files it installs.
std::string ReadPackageFile(const std::string& name) {
    const char* path = std::getenv("PACKAGE_SCRIPT");
    std::string file = path ? path : "package/setup.txt";
    file = file.substr(0, file.find_last_of("/\\") + 1) + name;
#ifdef _WIN32
    if (!file.empty() && file[0] == '/') file = "Z:" + file;
#endif
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::uint32_t Number(const std::optional<std::string>& data) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; data && i < data->size() && i < 4; ++i)
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>((*data)[i])) << (8 * i);
    return number;
}

class PackageScript : public ::testing::Test {
protected:
    void SetUp() override {
        script = ReadPackageFile("setup.txt");
        ASSERT_FALSE(script.empty());
        platform.AddFile("setup.txt", script);
        ASSERT_EQ(ReadSetupInfo(script, info), SetupInfoResult::Read);
        InstallContext context{.platform = platform, .progress = progress, .info = info,
                               .installDir = "C:\\Program Files\\Tarnwick", .options = {false, false, false, false},
                               .folderName = ""};
        RunInstall(context);
    }

    std::string script;
    RecordingPlatform platform;
    RecordingProgress progress;
    SetupInfo info;
};

TEST_F(PackageScript, SettingsNameTheProduct) {
    EXPECT_EQ(ReadProductInfo(script).publisher, "Velmora");
    EXPECT_EQ(ReadProductInfo(script).displayVersion, "1.0");
    EXPECT_EQ(info.productName, "Tarnwick");
    EXPECT_EQ(info.launchProgram, "Tarnwick.exe");
    EXPECT_EQ(info.dirKeyRoot, kMachine);
    EXPECT_EQ(info.dirKeyPath, "SOFTWARE\\Velmora\\Tarnwick");
    EXPECT_GT(info.requiredKilobytes, 0u);
    const std::string config = "SOFTWARE\\Velmora\\Tarnwick\\Config";
    EXPECT_EQ(platform.Value(kMachine, config, "HelpPath"), std::string("C:\\Program Files\\Tarnwick\\Help\0", 31));
    EXPECT_EQ(platform.Value(kMachine, config, "DefaultConfigFilePath"), std::string("C:\\Program Files\\Tarnwick\\Conf\0", 31));
    EXPECT_EQ(platform.Value(kMachine, "SOFTWARE\\Velmora\\Tarnwick\\QuickConfig", "Port"), std::string("80\0", 3));
}

TEST_F(PackageScript, EveryTemplateHasAPaneARankAndADescription) {
    const std::vector<std::string> names = platform.EnumerateKeys(kMachine, kTemplates);
    EXPECT_GE(names.size(), 120u);
    const std::set<std::uint32_t> panes{117, 118, 119, 120, 123, 124};
    for (const std::string& name : names) {
        const std::string key = kTemplates + "\\" + name;
        EXPECT_EQ(panes.count(Number(platform.Value(kMachine, key, "Template"))), 1u) << name;
        EXPECT_TRUE(platform.Value(kMachine, key, "Parent").has_value()) << name;
        const auto description = platform.Value(kMachine, key, "Description");
        ASSERT_TRUE(description.has_value()) << name;
        EXPECT_GT(description->size(), 20u) << name;
        EXPECT_LE(description->size(), 10240u) << name;
    }
    const std::pair<const char*, std::uint32_t> expected[] = {
        {"port", 120}, {"timeout", 120}, {"keepalivetimeout", 120}, {"keepalive", 119}, {"hostnamelookups", 119},
        {"serverroot", 123}, {"documentroot", 123}, {"directory", 123}, {"servername", 117}};
    for (const auto& [name, pane] : expected)
        EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\" + name, "Template")), pane) << name;
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\directory", "Parent")), 1u);
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\ifmodule", "Parent")), 2u);
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\port", "Parent")), 0u);
    EXPECT_EQ(platform.Value(kMachine, kTemplates + "\\location", "Default"), std::string("/\0", 2));
    EXPECT_EQ(platform.Value(kMachine, kTemplates + "\\port", "Default"), std::string("80\0", 3));
}

// Whatever the starting configuration says, the editor has a pane and a description for.
TEST_F(PackageScript, EveryNameTheStartingConfigurationUsesHasATemplate) {
    std::set<std::string> names;
    for (const char* file : {"httpd.conf-dist-win", "access.conf-dist-win", "srm.conf-dist-win"}) {
        std::istringstream lines(ReadPackageFile(file));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string name;
            words >> name;
            if (name.empty() || name[0] == '#' || name.rfind("</", 0) == 0) continue;
            if (name[0] == '<') name = name.substr(1, name.find('>') == std::string::npos ? std::string::npos : name.find('>') - 1);
            names.insert(name);
        }
    }
    EXPECT_GE(names.size(), 20u);
    for (const std::string& name : names)
        EXPECT_TRUE(platform.KeyExists(kMachine, kTemplates + "\\" + name)) << name;
    EXPECT_TRUE(platform.KeyExists(kMachine, kTemplates + "\\IncludeOptional"));
}

TEST_F(PackageScript, TemplateListOffersEveryPaneKind) {
    std::set<std::uint32_t> numbers;
    const std::string list = "SOFTWARE\\Velmora\\Tarnwick\\Config\\TemplateList";
    for (const char* label : {"Plain text", "Yes or No", "On or Off", "Number from 0 to 32767", "Directory, written with /",
                              "Directory, written with \\"})
        numbers.insert(Number(platform.Value(kMachine, list, label)));
    EXPECT_EQ(numbers, (std::set<std::uint32_t>{117, 118, 119, 120, 123, 124}));
}

}  // namespace
}  // namespace kelsetup::testing
