// Check with Apache, the portable part: where Apache's program is found (over every registry
// binding and the open files), which file it is given, the command, and how its answer is
// read. Running the real Apache is in apache_check_test.cpp, the window in the Windows tests.

#include "apache_check.h"

#include "config_reader.h"
#include "memory_file_store.h"
#include "memory_registry.h"
#include "memory_tree.h"

#ifdef _WIN32
#include "win32/win32_registry.h"
#endif

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tarnwick::testing {
namespace {

const std::string kServices = kServicesKey;

struct SearchCase {
    const char* what;
    std::string setting;
    std::string httpdConf;                                   // the open file, empty for none
    std::vector<std::string> programsOnDisk;                 // files that exist
    std::vector<std::pair<std::string, std::string>> services;  // service name, ImagePath
    std::string expected;
};

// The registry bindings the search runs over: the in-memory one, and in the Windows build the
// real registry, whose service keys the test writes and removes again.
std::vector<std::unique_ptr<Registry>> RegistryBindings() {
    std::vector<std::unique_ptr<Registry>> bindings;
    bindings.push_back(std::make_unique<MemoryRegistry>());
#ifdef _WIN32
    bindings.push_back(std::make_unique<Win32Registry>());
#endif
    return bindings;
}

class ProgramSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(ProgramSearch, FindsTheProgramInOrder) {
    const SearchCase& given = GetParam();
    MemoryTree tree;
    MemoryFileStore files;
    ConfigDocument document{tree, files, "C:\\conf\\"};
    for (const std::string& program : given.programsOnDisk) files.AddFile(program, "MZ");
    if (!given.httpdConf.empty()) {
        files.AddFile("C:\\conf\\httpd.conf", given.httpdConf);
        ASSERT_TRUE(ReadConfigFile(document, "C:\\conf\\", "httpd.conf", "httpd.conf").read);
    }
    for (const std::unique_ptr<Registry>& binding : RegistryBindings()) {
        Registry& registry = *binding;
        std::vector<std::string> made;  // service keys this test made, to be removed again
        for (const auto& [service, image] : given.services) {
            const std::string key = kServices + "\\" + service;
            if (!registry.KeyExists(RegistryRoot::LocalMachine, key)) made.push_back(key);
            ASSERT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, key));
            registry.SetValue(RegistryRoot::LocalMachine, key, RegistryValue{"ImagePath", RegistryType::ExpandString, image + '\0'});
        }
        EXPECT_EQ(FindApacheProgram(document, registry, given.setting), given.expected) << given.what;
        for (const std::string& key : made) registry.DeleteKey(RegistryRoot::LocalMachine, key);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ApacheCheck, ProgramSearch,
    ::testing::Values(
        SearchCase{"the setting wins", "D:\\Apache\\bin\\httpd.exe", "ServerRoot \"C:/Apache24\"\n",
                   {"C:\\Apache24\\bin\\httpd.exe"}, {{"Apache2.4", "\"C:\\Other\\httpd.exe\" -k runservice"}},
                   "D:\\Apache\\bin\\httpd.exe"},
        SearchCase{"ServerRoot with a Define", "", "Define SRVROOT \"C:/Apache24\"\nServerRoot \"${SRVROOT}\"\n",
                   {"C:\\Apache24\\bin\\httpd.exe"}, {{"Apache2.4", "\"C:\\Other\\httpd.exe\" -k runservice"}},
                   "C:\\Apache24\\bin\\httpd.exe"},
        SearchCase{"the first ServerRoot", "", "ServerRoot C:/First\nServerRoot C:/Second\n",
                   {"C:\\First\\bin\\httpd.exe", "C:\\Second\\bin\\httpd.exe"}, {}, "C:\\First\\bin\\httpd.exe"},
        SearchCase{"no httpd.exe under ServerRoot: the service", "", "ServerRoot \"C:/Apache24\"\n", {},
                   {{"AppleService", "C:\\apple.exe"}, {"Apache2.4", "\"C:\\Program Files\\Apache\\bin\\httpd.exe\" -k runservice"}},
                   "C:\\Program Files\\Apache\\bin\\httpd.exe"},
        SearchCase{"an unquoted ImagePath with blanks and arguments", "", "", {},
                   {{"apache", "C:\\Program Files\\Apache Group\\Apache\\Apache.exe -k runservice"}},
                   "C:\\Program Files\\Apache Group\\Apache\\Apache.exe"},
        SearchCase{"only services whose names begin with Apache", "", "", {},
                   {{"W3SVC", "C:\\Windows\\system32\\svchost.exe -k iissvcs"}, {"MyApache", "C:\\x\\httpd.exe"}}, ""},
        SearchCase{"nothing at all", "", "Listen 80\n", {}, {}, ""}));

TEST(ApacheCheck, ProgramOfImagePathDropsQuotesAndArguments) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Apache24\\bin\\httpd.exe\" -k runservice", "C:\\Apache24\\bin\\httpd.exe"},
        {"C:\\Apache24\\bin\\httpd.exe -k runservice", "C:\\Apache24\\bin\\httpd.exe"},
        {"C:\\Program Files\\Apache\\bin\\httpd.exe", "C:\\Program Files\\Apache\\bin\\httpd.exe"},
        {"  \"C:\\a b\\httpd.exe\"", "C:\\a b\\httpd.exe"},
        {"\"C:\\unclosed\\httpd.exe -k", "C:\\unclosed\\httpd.exe -k"},
        {"C:\\Apache\\httpd", "C:\\Apache\\httpd"},
        {"", ""}};
    for (const auto& [image, program] : cases) EXPECT_EQ(ProgramOfImagePath(image), program) << image;
}

TEST(ApacheCheck, TheMainFileIsTheOneNoOtherOpenFileIncludes) {
    MemoryTree tree;
    MemoryFileStore files;
    ConfigDocument document{tree, files, "C:\\Apache24\\conf\\"};
    files.AddFile("C:\\Apache24\\conf\\extra\\ssl.conf", "Listen 443\n");
    files.AddFile("C:\\Apache24\\conf\\vhosts.conf", "ServerAdmin a@b\n");
    files.AddFile("C:\\Apache24\\conf\\httpd.conf",
                  "Define SRVROOT \"C:/Apache24\"\nServerRoot \"${SRVROOT}\"\nInclude conf/extra/*.conf\n"
                  "IncludeOptional \"${SRVROOT}/conf/vhosts.conf\"\n");
    EXPECT_EQ(MainFileItem(document), kNoItem);
    ASSERT_TRUE(ReadConfigFile(document, "C:\\Apache24\\conf\\extra\\", "ssl.conf", "ssl.conf").read);
    const ItemHandle vhosts = ReadConfigFile(document, "C:\\Apache24\\conf\\", "vhosts.conf", "vhosts.conf").item;
    EXPECT_EQ(MainFileItem(document), tree.FirstFileItem()) << "nothing includes anything yet: the first file";
    const ItemHandle httpd = ReadConfigFile(document, "C:\\Apache24\\conf\\", "httpd.conf", "httpd.conf").item;
    ASSERT_NE(httpd, kNoItem);
    EXPECT_EQ(MainFileItem(document), httpd);
    EXPECT_NE(MainFileItem(document), vhosts);
}

TEST(ApacheCheck, CommandLineQuotesProgramAndFile) {
    EXPECT_EQ(ApacheCheckCommandLine("C:\\Program Files\\Apache\\bin\\httpd.exe", "C:\\conf\\httpd.conf"),
              "\"C:\\Program Files\\Apache\\bin\\httpd.exe\" -t -f \"C:\\conf\\httpd.conf\"");
}

struct OutputCase {
    const char* output;
    std::optional<ApacheLocation> expected;
};

TEST(ApacheCheck, LocationIsTheLastFileAndLineApacheNames) {
    const OutputCase cases[] = {
        {"AH00526: Syntax error on line 52 of C:/Apache24/conf/httpd.conf:\nInvalid command 'Foo', perhaps misspelled\n",
         ApacheLocation{"C:/Apache24/conf/httpd.conf", 52}},
        {"httpd.exe: Syntax error on line 530 of C:/Apache24/conf/httpd.conf: Syntax error on line 4 of "
         "C:/Apache24/conf/extra/httpd-ssl.conf: SSLCertificateFile: file 'x' does not exist or is empty\n",
         ApacheLocation{"C:/Apache24/conf/extra/httpd-ssl.conf", 4}},
        {"apache2: Syntax error on line 2 of /tmp/s.conf: /tmp/s.conf:2: <Directory> was not closed.\n",
         ApacheLocation{"/tmp/s.conf", 2}},
        {"AH00548: NameVirtualHost has no effect and will be removed in the next release C:/Apache24/conf/httpd.conf:5\n"
         "Syntax OK\n",
         ApacheLocation{"C:/Apache24/conf/httpd.conf", 5}},
        {"Syntax error on line 7 of C:/Program Files/Apache Group/Apache/conf/httpd.conf:\r\nbad\r\n",
         ApacheLocation{"C:/Program Files/Apache Group/Apache/conf/httpd.conf", 7}},
        {"AH00534: httpd.exe: Configuration error: No MPM loaded.\n", std::nullopt},
        {"Syntax OK\n", std::nullopt},
        {"on line  of nothing", std::nullopt},
        {"", std::nullopt}};
    for (const OutputCase& given : cases) {
        const auto found = LocationInApacheOutput(given.output);
        ASSERT_EQ(found.has_value(), given.expected.has_value()) << given.output;
        if (!found) continue;
        EXPECT_EQ(found->file, given.expected->file) << given.output;
        EXPECT_EQ(found->line, given.expected->line) << given.output;
    }
}

TEST(ApacheCheck, MessageSaysWhatApacheSaid) {
    const std::string program = "C:\\Apache24\\bin\\httpd.exe";
    EXPECT_EQ(ApacheCheckMessage({ProgramRun::Outcome::Finished, 0, "Syntax OK\r\n"}, program), kApacheAcceptsMessage);
    const std::string warned = ApacheCheckMessage({ProgramRun::Outcome::Finished, 0, "AH00548: warn x:5\nSyntax OK\n"}, program);
    EXPECT_EQ(warned.rfind(kApacheAcceptsMessage, 0), 0u);
    EXPECT_NE(warned.find("AH00548: warn x:5"), std::string::npos);
    EXPECT_EQ(ApacheCheckMessage({ProgramRun::Outcome::Finished, 1, "AH00526: Syntax error\n"}, program), "AH00526: Syntax error\n");
    EXPECT_NE(ApacheCheckMessage({ProgramRun::Outcome::Finished, 1, ""}, program).find("exit code 1"), std::string::npos);
    EXPECT_NE(ApacheCheckMessage({ProgramRun::Outcome::TimedOut, 0, ""}, program).find("30 seconds and was ended"),
              std::string::npos);
    EXPECT_NE(ApacheCheckMessage({ProgramRun::Outcome::NotStarted, 0, ""}, program).find(program), std::string::npos);
}

// Plays Apache: answers every run with the output given, and remembers the command.
class RecordedRunner final : public ProgramRunner {
public:
    ProgramRun Run(const std::string& program, const std::string& commandLine, std::uint32_t limit) override {
        runs.push_back({program, commandLine});
        timeLimit = limit;
        return answer;
    }
    ProgramRun answer;
    std::vector<std::pair<std::string, std::string>> runs;
    std::uint32_t timeLimit = 0;
};

TEST(ApacheCheck, CheckRunsTheProgramOnTheMainFileAndSelectsTheItemNamed) {
    MemoryTree tree;
    MemoryFileStore files;
    MemoryRegistry registry;
    ConfigDocument document{tree, files, "C:\\Apache24\\conf\\"};
    files.AddFile("C:\\Apache24\\conf\\httpd.conf", "ServerRoot C:/Apache24\nInclude conf/extra.conf\n");
    files.AddFile("C:\\Apache24\\conf\\extra.conf", "# extra\r\nListen 80\r\n<Directory x>\r\n  Options \\\r\n   None\r\n</Directory>\r\n");
    ASSERT_TRUE(ReadConfigFile(document, "C:\\Apache24\\conf\\", "httpd.conf", "httpd.conf").read);
    RecordedRunner runner;

    ApacheCheckOutcome outcome = CheckWithApache(document, registry, "", runner);
    EXPECT_EQ(outcome.message, kApacheNotFoundMessage);
    EXPECT_TRUE(runner.runs.empty());

    runner.answer = {ProgramRun::Outcome::Finished, 1,
                     "AH00526: Syntax error on line 5 of C:/Apache24/conf/extra.conf:\nbad Options\n"};
    outcome = CheckWithApache(document, registry, "C:\\Apache24\\bin\\httpd.exe", runner);
    ASSERT_EQ(runner.runs.size(), 1u);
    EXPECT_EQ(runner.runs[0].second, "\"C:\\Apache24\\bin\\httpd.exe\" -t -f \"C:\\Apache24\\conf\\httpd.conf\"");
    EXPECT_EQ(runner.timeLimit, kApacheCheckTimeLimitMs);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.message, runner.answer.output);
    ASSERT_NE(outcome.named, kNoItem) << "extra.conf is opened and its item found";
    EXPECT_EQ(tree.GetItem(outcome.named).text, "Options");
    EXPECT_EQ(tree.SelectedItem(), outcome.named);
    EXPECT_EQ(tree.GetItem(tree.Parent(tree.Parent(outcome.named))).text, "extra.conf");

    // Lines 3 and 6 are the section's own; line 1 is a comment, line 99 is past the end.
    const std::pair<std::uint32_t, const char*> lines[] = {{2, "Listen"}, {3, "Directory"}, {4, "Options"}, {6, "Directory"}};
    for (const auto& [line, name] : lines)
        EXPECT_EQ(tree.GetItem(ItemAtFileLine(document, "C:/Apache24/conf/extra.conf", line)).text, name) << line;
    EXPECT_EQ(ItemAtFileLine(document, "C:/Apache24/conf/extra.conf", 1), kNoItem);
    EXPECT_EQ(ItemAtFileLine(document, "C:/Apache24/conf/extra.conf", 99), kNoItem);
    EXPECT_EQ(ItemAtFileLine(document, "C:/Apache24/conf/missing.conf", 1), kNoItem);
    std::size_t fileItems = 0;
    for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file)) ++fileItems;
    EXPECT_EQ(fileItems, 2u) << "extra.conf is opened once";
}

}  // namespace
}  // namespace tarnwick::testing
