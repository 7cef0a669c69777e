// The product's generated installation script, read back and run with the installer's own
// core against the recording platform: the template store, the template list, the settings
// and the Quick Config presets it writes.

#include "package_script_fixture.h"

#include <set>

namespace kelsetup::testing {
namespace {

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
    EXPECT_GE(names.size(), 700u);
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
        {"port", 120}, {"timeout", 120}, {"keepalivetimeout", 120}, {"keepalive", 119}, {"hostnamelookups", 117},
        {"serverroot", 123}, {"documentroot", 123}, {"directory", 123}, {"servername", 117},
        // A third word beside On and Off takes the plain text pane; sizes in bytes too.
        {"serversignature", 117}, {"usecanonicalname", 117}, {"adddefaultcharset", 117}, {"limitrequestbody", 117},
        {"sslcertificatefile", 123}, {"loadfile", 123}, {"minsparethreads", 120}, {"sslengine", 119}};
    for (const auto& [name, pane] : expected)
        EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\" + name, "Template")), pane) << name;
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\directory", "Parent")), 1u);
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\ifmodule", "Parent")), 2u);
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\port", "Parent")), 0u);
    EXPECT_EQ(platform.Value(kMachine, kTemplates + "\\location", "Default"), std::string("/\0", 2));
    EXPECT_EQ(platform.Value(kMachine, kTemplates + "\\port", "Default"), std::string("80\0", 3));
    EXPECT_EQ(platform.Value(kMachine, kTemplates + "\\timeout", "Default"), std::string("60\0", 3));
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\requireany", "Parent")), 1u);
    EXPECT_EQ(Number(platform.Value(kMachine, kTemplates + "\\ifversion", "Parent")), 2u);
}

// Each description says what the name does, its syntax, where it may stand, its module and its
// default; names Apache 2.4 no longer takes begin with what it does with them instead.
TEST_F(PackageScript, DescriptionsGiveSyntaxPlaceModuleAndDefault) {
    const auto text = [&](const std::string& name) {
        const auto description = platform.Value(kMachine, kTemplates + "\\" + name, "Description");
        return description ? description->substr(0, description->find('\0')) : std::string();
    };
    for (const std::string& name : platform.EnumerateKeys(kMachine, kTemplates)) {
        if (name.find(".conf") != std::string::npos) continue;
        const std::string description = text(name);
        for (const char* part : {" Syntax: ", ". Where: ", ". Module: ", ". Default: "})
            EXPECT_NE(description.find(part), std::string::npos) << name << ": " << part;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"Port", "Apache 2.4 refuses this directive"}, {"BindAddress", "Apache 2.4 refuses this directive"},
        {"ServerType", "Apache 2.4 refuses this directive"}, {"AccessConfig", "Apache 2.4 refuses this directive"},
        {"ResourceConfig", "Apache 2.4 refuses this directive"}, {"AddModule", "Apache 2.4 refuses this directive"},
        {"ClearModuleList", "Apache 2.4 refuses this directive"},
        {"NameVirtualHost", "Apache 2.4 ignores this directive with a warning"},
        {"Win32DisableAcceptEx", "Apache 2.4 refuses this directive"}, {"FancyIndexing", "Apache 2.4 refuses this directive"}};
    for (const auto& [name, start] : refused) EXPECT_EQ(text(name).rfind(start, 0), 0u) << name << ": " << text(name);
    EXPECT_NE(text("Port").find("Listen"), std::string::npos);
    EXPECT_NE(text("ScriptInterpreterSource").find("Windows only"), std::string::npos);
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
