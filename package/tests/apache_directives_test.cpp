// The package's template store against Apache 2.4 itself: Debian's apache2 with every module of
// apache2-bin loaded (one process model only: event) lists the directives it knows (-L); every
// name must have a template, unless the package names it as Unix only, and no description may
// repeat the help text Apache prints for its name.

#include "package_script_fixture.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <unistd.h>

namespace kelsetup::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kApache = "/usr/sbin/apache2";
constexpr const char* kDebianModules = "/usr/lib/apache2/modules";
// Modules others link against load first; the process models other than event are left out,
// since only one loads at a time.
const char* const kLoadFirst[] = {"proxy", "ldap", "session", "dav", "cache", "socache_shmcb", "slotmem_shm",
                                  "authn_core", "authz_core", "http2", "xml2enc", "dbd"};
const char* const kOtherProcessModels[] = {"mpm_prefork", "mpm_worker"};

std::string Folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Lower case, blanks collapsed, a final full stop dropped: how two texts are compared for copying.
std::string Comparable(const std::string& text) {
    std::string out;
    for (const char c : Folded(text)) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    return out;
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    pclose(pipe);
    return output;
}

// A configuration that loads every module of apache2-bin but the other process models.
std::string EveryModuleConfiguration(const fs::path& scratch) {
    std::vector<std::string> modules;
    for (const auto& entry : fs::directory_iterator(kDebianModules)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("mod_", 0) != 0 || entry.path().extension() != ".so") continue;
        const std::string module = file.substr(4, file.size() - 7);
        if (std::find(std::begin(kOtherProcessModels), std::end(kOtherProcessModels), module) == std::end(kOtherProcessModels))
            modules.push_back(module);
    }
    const auto rank = [](const std::string& module) {
        const auto at = std::find(std::begin(kLoadFirst), std::end(kLoadFirst), module);
        return at == std::end(kLoadFirst) ? std::size(kLoadFirst) : static_cast<std::size_t>(at - std::begin(kLoadFirst));
    };
    std::sort(modules.begin(), modules.end(), [&](const std::string& a, const std::string& b) {
        return std::make_pair(rank(a), a) < std::make_pair(rank(b), b);
    });
    std::string conf;
    for (const std::string& module : modules)
        conf += "LoadModule " + module + "_module " + std::string(kDebianModules) + "/mod_" + module + ".so\n";
    const std::string dir = scratch.string();
    conf += "ServerName localhost\nErrorLog " + dir + "/error.log\nPidFile " + dir + "/httpd.pid\nDefaultRuntimeDir " + dir + "\n";
    return conf;
}

struct ListedDirective {
    std::string name;  // without the "<" of a section
    std::string help;  // the help text, without the lines that say where it may stand
};

// `apache2 -L`: "Name (module.c)" and below it, indented, the help text and "Allowed in ...".
std::vector<ListedDirective> ListDirectives(const std::string& listing) {
    std::vector<ListedDirective> listed;
    const std::regex heading(R"(^<?(\S+) \([a-z0-9_]+\.c\)$)");
    bool inHelp = false;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, heading)) {
            listed.push_back({match[1], ""});
            inHelp = true;
        } else if (!listed.empty() && inHelp) {
            const std::string text = line.substr(std::min(line.find_first_not_of(" \t"), line.size()));
            if (text.rfind("Allowed in ", 0) == 0) {
                inHelp = false;
            } else {
                listed.back().help += (listed.back().help.empty() ? "" : " ") + text;
            }
        }
    }
    return listed;
}

// The package's list of Unix-only names: name and reason between a tab.
std::map<std::string, std::string> UnixOnlyNames() {
    std::map<std::string, std::string> names;
    const char* path = std::getenv("TARNWICK_UNIX_ONLY");
    std::ifstream in(path ? path : "package/unix_only.tsv");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line.rfind("name\t", 0) == 0) continue;
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos && tab + 1 < line.size()) names[Folded(line.substr(0, tab))] = line.substr(tab + 1);
    }
    return names;
}

class ApacheDirectives : public PackageScript {
protected:
    void SetUp() override {
        PackageScript::SetUp();
        ASSERT_TRUE(fs::exists(kApache)) << kApache << " is missing: install Debian's apache2-bin (./test.sh does)";
        const fs::path scratch = fs::temp_directory_path() / ("tarnwick-directives-" + std::to_string(::getpid()));
        fs::create_directories(scratch);
        std::ofstream(scratch / "every-module.conf") << EveryModuleConfiguration(scratch);
        const std::string listing = RunCommand(std::string(kApache) + " -L -f '" + (scratch / "every-module.conf").string() + "'");
        fs::remove_all(scratch);
        listed = ListDirectives(listing);
        ASSERT_GT(listed.size(), 600u) << listing.substr(0, 2000);
        unixOnly = UnixOnlyNames();
        ASSERT_FALSE(unixOnly.empty());
    }

    std::string Description(const std::string& name) {
        const auto value = platform.Value(kMachine, kTemplates + "\\" + name, "Description");
        return value ? value->substr(0, value->find('\0')) : std::string();
    }

    std::vector<ListedDirective> listed;
    std::map<std::string, std::string> unixOnly;
};

TEST_F(ApacheDirectives, EveryNameApacheListsHasATemplateButTheUnixOnlyOnes) {
    std::set<std::string> names, covered, excluded, missing;
    for (const ListedDirective& directive : listed) {
        const std::string name = Folded(directive.name);
        names.insert(name);
        if (unixOnly.count(name)) {
            excluded.insert(name);
            EXPECT_FALSE(platform.KeyExists(kMachine, kTemplates + "\\" + directive.name)) << directive.name << " is Unix only";
        } else if (platform.KeyExists(kMachine, kTemplates + "\\" + directive.name)) {
            covered.insert(name);
        } else {
            missing.insert(directive.name);
        }
    }
    for (const std::string& name : missing) ADD_FAILURE() << "no template for " << name;
    for (const auto& [name, reason] : unixOnly) {
        EXPECT_TRUE(names.count(name)) << name << " is listed as Unix only but Apache does not list it";
        EXPECT_GT(reason.size(), 20u) << name << " needs its reason";
    }
    for (const char* windowsOnly : {"ISAPICacheFile", "ISAPIReadAheadBuffer", "ISAPILogNotSupported", "ISAPIAppendLogToErrors",
                                    "ISAPIAppendLogToQuery", "ISAPIFakeAsync", "ScriptInterpreterSource"})
        EXPECT_TRUE(platform.KeyExists(kMachine, kTemplates + "\\" + windowsOnly)) << windowsOnly;
    const std::size_t templates = platform.EnumerateKeys(kMachine, kTemplates).size();
    std::printf("apache2 -L: %zu entries, %zu names; covered %zu; Unix only, left out %zu; templates in the package %zu\n",
                listed.size(), names.size(), covered.size(), excluded.size(), templates);
    RecordProperty("listed", static_cast<int>(listed.size()));
    RecordProperty("covered", static_cast<int>(covered.size()));
    RecordProperty("templates", static_cast<int>(templates));
}

// The descriptions are the package's own words: none holds the help text Apache prints.
TEST_F(ApacheDirectives, NoDescriptionRepeatsApachesHelpText) {
    std::size_t compared = 0;
    for (const ListedDirective& directive : listed) {
        const std::string help = Comparable(directive.help);
        if (help.empty() || unixOnly.count(Folded(directive.name))) continue;
        const std::string description = Comparable(Description(directive.name));
        ASSERT_FALSE(description.empty()) << directive.name;
        ++compared;
        EXPECT_EQ(description.find(help), std::string::npos) << directive.name << " repeats Apache's help: " << directive.help;
    }
    EXPECT_GT(compared, 600u);
}

}  // namespace
}  // namespace kelsetup::testing
