// Apache 2.4 itself (Debian's apache2 from apache2-bin) at work on what Tarnwick makes and
// reads. Quick Config: whether Apache accepts what Quick Config makes of the package's
// starting configuration with the package's own presets, checked (-t) in a temporary server
// root; the Windows paths of the presets are mapped into that folder, blanks and all; modules
// that Debian's Apache has built in are not loaded again, and the process model Windows builds
// have built in (mpm_winnt) is stood in for by Debian's event module. Check with Apache: files
// with faults at known lines, and the item Apache names is the one selected.

#include "apache_check.h"
#include "config_document.h"
#include "config_reader.h"
#include "config_writer.h"
#include "memory_file_store.h"
#include "memory_registry.h"
#include "memory_tree.h"
#include "new_files.h"
#include "posix/posix_file_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kApache = "/usr/sbin/apache2";
constexpr const char* kDebianModules = "/usr/lib/apache2/modules";
constexpr const char* kQuickConfigScriptKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick\\QuickConfig";

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWhole(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::vector<std::string> ScriptLines(const std::string& script) {
    std::vector<std::string> lines;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The Quick Config presets the package's setup.txt writes: registry records of four lines,
// key, name, type and data.
void PutScriptPresets(const std::string& script, MemoryRegistry& registry) {
    const std::vector<std::string> lines = ScriptLines(script);
    for (std::size_t i = 0; i + 3 < lines.size(); ++i)
        if (lines[i] == kQuickConfigScriptKey && lines[i + 2] == "REG_SZ")
            registry.Put(RegistryRoot::LocalMachine, kQuickConfigKey, StringValue(lines[i + 1], lines[i + 3]));
}

struct CommandRun {
    int status = -1;
    std::string output;
};

CommandRun RunCommand(const std::string& command) {
    CommandRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// "log_config_module" for every "mod_log_config.c" that `apache2 -l` lists.
std::set<std::string> BuiltInModules() {
    std::set<std::string> modules;
    std::istringstream listing(RunCommand(std::string(kApache) + " -l").output);
    for (std::string line; std::getline(listing, line);) {
        const std::size_t begin = line.find("mod_"), end = line.rfind(".c");
        if (begin != std::string::npos && end != std::string::npos && end > begin)
            modules.insert(line.substr(begin + 4, end - begin - 4) + "_module");
    }
    return modules;
}

// Every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// httpd.conf as Debian's Apache can check it in `root`.
std::string ForDebian(const std::string& saved, const std::string& windowsRoot, const fs::path& root) {
    const std::set<std::string> builtIn = BuiltInModules();
    std::string checked;
    std::istringstream in(ReplaceAll(saved, windowsRoot, root.string()));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string directive, module;
        words >> directive >> module;
        if (directive == "LoadModule" && builtIn.count(module)) continue;
        checked += line + "\n";
    }
    return checked + "LoadModule mpm_event_module modules/mod_mpm_event.so\n";
}

// Apache reads the names in its configuration as UTF-8: a server root and document root in
// folders named in other scripts are found where Tarnwick wrote them.
TEST(ApacheCheck, QuickConfigOfTheStartingConfigurationPassesApachesSyntaxCheck) {
    ASSERT_TRUE(fs::exists(kApache)) << kApache << " is missing: install Debian's apache2-bin (./test.sh does)";
    const char* confVariable = std::getenv("TARNWICK_PACKAGE_CONF");
    const char* scriptVariable = std::getenv("PACKAGE_SCRIPT");
    ASSERT_TRUE(confVariable && scriptVariable) << "TARNWICK_PACKAGE_CONF and PACKAGE_SCRIPT name the package's files";
    struct Case {
        const char* serverRoot;  // none: the presets'
        const char* documentFolder;  // below the server root
        const char* mappedRoot;  // where it stands in the scratch folder
    };
    const Case cases[] = {
        {nullptr, "htdocs", "Program Files/Apache Group/Apache"},  // with the blanks of the presets' path
        {"C:/Users/Zo\xC3\xAB/Apache", "\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88", "Users/Zo\xC3\xAB/Apache"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mappedRoot);
        MemoryTree tree;
        MemoryFileStore files;
        MemoryRegistry registry;
        ConfigDocument document{tree, files, "C:\\conf\\"};
        const std::string conf = "C:\\Program Files\\Tarnwick\\Conf\\";
        for (const char* name : {"httpd.conf-dist-win", "access.conf-dist-win", "srm.conf-dist-win"}) {
            const std::string bytes = ReadWhole(fs::path(confVariable) / name);
            ASSERT_FALSE(bytes.empty()) << name;
            files.AddFile(conf + name, bytes);
        }
        PutScriptPresets(ReadWhole(scriptVariable), registry);
        QuickConfigValues values = ReadQuickConfigPresets(registry);
        ASSERT_EQ(values.serverRoot, "C:/Program Files/Apache Group/Apache");
        if (c.serverRoot) values.serverRoot = c.serverRoot;
        values.documentRoot = values.serverRoot + "/" + c.documentFolder;
        values.port = 8080;
        ApplyQuickConfig(document, conf, values);
        ASSERT_TRUE(SaveAllFiles(document).empty());
        const std::string saved = files.ReadFileBytes(conf + "httpd.conf").value_or("");
        ASSERT_NE(saved.find(values.documentRoot), std::string::npos) << saved;

        const fs::path scratch = fs::temp_directory_path() / ("tarnwick-apache-" + std::to_string(::getpid()));
        const fs::path root = scratch / fs::path(std::u8string(reinterpret_cast<const char8_t*>(c.mappedRoot)));
        for (const char* folder : {"conf", "logs", c.documentFolder})
            fs::create_directories(root / fs::path(std::u8string(reinterpret_cast<const char8_t*>(folder))));
        fs::create_symlink(kDebianModules, root / "modules");
        WriteWhole(root / "conf" / "mime.types", "text/html html htm\n");
        WriteWhole(root / "conf" / "httpd.conf", ForDebian(saved, values.serverRoot, root));

        const CommandRun check = RunCommand(std::string(kApache) + " -t -f " + Quoted((root / "conf" / "httpd.conf").string()));
        EXPECT_EQ(check.status, 0) << "Apache refused the configuration Quick Config made:\n"
                                   << check.output << "\n--- the file it checked ---\n"
                                   << ReadWhole(root / "conf" / "httpd.conf");
        EXPECT_NE(check.output.find("Syntax OK"), std::string::npos) << check.output;
        // The document root is the folder made for it, found by its name.
        EXPECT_EQ(check.output.find("does not exist"), std::string::npos) << check.output;
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }
}

// Runs the command line Tarnwick builds through the shell, with the time limit as `timeout`
// keeps it: Debian's apache2 stands where httpd.exe stands on Windows.
class ShellRunner final : public ProgramRunner {
public:
    ProgramRun Run(const std::string&, const std::string& commandLine, std::uint32_t timeLimitMs) override {
        std::string command = commandLine;
        for (char& c : command)
            if (c == '\\') c = '/';
        const CommandRun run = RunCommand("timeout " + std::to_string(timeLimitMs / 1000) + " " + command);
        return {run.status == 124 ? ProgramRun::Outcome::TimedOut : ProgramRun::Outcome::Finished,
                static_cast<std::uint32_t>(run.status), run.output};
    }
};

struct NamedLineCase {
    const char* what;
    std::string mainTail;   // lines after the main file's six lines of settings
    std::string extra;      // conf/extra.conf, which the main file includes, not opened by hand
    bool accepted;
    const char* file;       // the file item the named item stands in
    const char* item;       // the name of the item Apache names
};

class ApacheNamesALine : public ::testing::TestWithParam<NamedLineCase> {};

// Apache's own check of files with faults at known lines: the item it names is selected.
TEST_P(ApacheNamesALine, TheItemApacheNamesIsSelected) {
    ASSERT_TRUE(fs::exists(kApache)) << kApache << " is missing: install Debian's apache2-bin (./test.sh does)";
    const NamedLineCase& given = GetParam();
    const fs::path root = fs::temp_directory_path() / ("tarnwick-named-" + std::to_string(::getpid()));
    fs::create_directories(root / "conf");
    fs::create_directories(root / "logs");
    WriteWhole(root / "conf" / "httpd.conf",
               "ServerRoot \"" + root.string() + "\"\n"
               "LoadModule mpm_event_module " + std::string(kDebianModules) + "/mod_mpm_event.so\n"
               "ServerName localhost\n"
               "ErrorLog logs/error.log\n"
               "PidFile logs/httpd.pid\n"
               "Include conf/extra.conf\n" + given.mainTail);
    WriteWhole(root / "conf" / "extra.conf", given.extra);

    MemoryTree tree;
    PosixFileStore files;
    MemoryRegistry registry;
    const std::string conf = PosixFileStore::ToWindowsPath((root / "conf").string()) + "\\";
    ConfigDocument document{tree, files, conf};
    ASSERT_TRUE(ReadConfigFile(document, conf, "httpd.conf", "httpd.conf").read);
    ShellRunner runner;
    const ApacheCheckOutcome outcome = CheckWithApache(document, registry, kApache, runner);
    EXPECT_EQ(outcome.accepted, given.accepted) << outcome.message;
    ASSERT_NE(outcome.named, kNoItem) << given.what << ": " << outcome.message;
    EXPECT_EQ(tree.SelectedItem(), outcome.named);
    EXPECT_EQ(tree.GetItem(outcome.named).text, given.item) << given.what << ": " << outcome.message;
    ItemHandle file = outcome.named;
    while (tree.Parent(file) != kNoItem) file = tree.Parent(file);
    EXPECT_EQ(tree.GetItem(file).text, given.file) << given.what;
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

INSTANTIATE_TEST_SUITE_P(
    ApacheCheck, ApacheNamesALine,
    ::testing::Values(
        NamedLineCase{"a misspelt directive in the main file", "Listen 8080\nKeepAliveTimout 5\n", "# nothing\n", false,
                      "httpd.conf", "KeepAliveTimout"},
        NamedLineCase{"an error inside the included file", "Listen 8080\n", "# extra\nListen 8081\nFoo bar\n", false,
                      "extra.conf", "Foo"},
        NamedLineCase{"a continued directive, named at its last line", "Listen 8080\n",
                      "# extra\nKeepAlive \\\n   Maybe\n", false, "extra.conf", "KeepAlive"},
        NamedLineCase{"a section left open", "Listen 8080\n<Directory /tmp>\nOptions None\n", "", false, "httpd.conf",
                      "Directory"},
        NamedLineCase{"accepted with a warning", "Listen 8080\nNameVirtualHost *:8080\n", "", true, "httpd.conf",
                      "NameVirtualHost"}));

}  // namespace
}  // namespace tarnwick::testing
