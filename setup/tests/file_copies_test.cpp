// Copies handed over as a batch, on every binding of the platform: each copy gets its own
// outcome in the order given, whatever order the binding carries them out in.

#include "recording_platform.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "win32_platform.h"
#include <windows.h>
#endif

namespace kelsetup::testing {
namespace {

struct RecordingBinding {
    RecordingPlatform platform;
    std::string NewDirectory() {
        const std::string directory = "C:\\Scratch" + std::to_string(next++);
        platform.AddDirectories(directory);
        return directory;
    }
    int next = 0;
};

#ifdef _WIN32
struct Win32Binding {
    Win32Platform platform;
    std::vector<std::string> made;
    std::string NewDirectory() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const std::string directory = std::string(temp) + "kelsetup-copies-" + std::to_string(GetCurrentProcessId()) +
                                      "-" + std::to_string(made.size());
        CreateDirectoryA(directory.c_str(), nullptr);
        made.push_back(directory);
        return directory;
    }
    ~Win32Binding() {
        for (const std::string& directory : made) {
            for (const FoundFile& file : platform.FindFiles(directory + "\\*"))
                if (!file.isDirectory) platform.RemoveFile(directory + "\\" + file.name);
            platform.RemoveEmptyDirectory(directory);
        }
    }
};
using Bindings = ::testing::Types<RecordingBinding, Win32Binding>;
#else
using Bindings = ::testing::Types<RecordingBinding>;
#endif

template <typename Binding>
class FileCopies : public ::testing::Test {
protected:
    Binding binding;
    SetupPlatform& platform = binding.platform;
};
TYPED_TEST_SUITE(FileCopies, Bindings);

TYPED_TEST(FileCopies, EveryCopyGetsItsOwnOutcomeInOrder) {
    const std::string from = this->binding.NewDirectory(), to = this->binding.NewDirectory();
    constexpr std::size_t kMissingSource = 7, kMissingDirectory = 23, kReplacing = 31;
    std::vector<FileCopy> copies;
    for (std::size_t i = 0; i < 40; ++i) {
        const std::string name = "\\file" + std::to_string(i) + ".dat";
        if (i != kMissingSource) {
            ASSERT_TRUE(this->platform.AppendText(from + name, "contents " + std::to_string(i)));
        }
        copies.push_back({from + name, (i == kMissingDirectory ? to + "\\absent" : to) + name});
    }
    ASSERT_TRUE(this->platform.AppendText(copies[kReplacing].to, "what was there before"));

    const std::vector<PlatformError> errors = this->platform.CopyFilesOver(copies);
    ASSERT_EQ(errors.size(), copies.size());
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const bool fails = i == kMissingSource || i == kMissingDirectory;
        EXPECT_EQ(errors[i].kind, fails ? ErrorKind::NotFound : ErrorKind::None) << i;
        EXPECT_EQ(errors[i].text.empty(), !fails) << i;
        const auto copied = this->platform.ReadFile(copies[i].to);
        if (fails) EXPECT_FALSE(copied) << i;
        else EXPECT_EQ(copied, "contents " + std::to_string(i)) << i;
    }
    EXPECT_TRUE(this->platform.CopyFilesOver({}).empty());
}

// Whether two paths name one file is decided as the file system decides it, not by spelling.
TYPED_TEST(FileCopies, OneFileUnderManySpellings) {
    const std::string directory = this->binding.NewDirectory();
    struct Case {
        const char* first;
        const char* second;
        bool same;
    };
    const Case cases[] = {
        {"a.bin", "A.BIN", true},           {"a.bin", "a.bin.", true},      {"a.bin", "a.bin  ", true},
        {"a.bin", "sub\\..\\a.bin", true}, {"a.bin", ".\\a.bin", true},   {"\xC4.bin", "\xE4.bin", true},
        {"\xC9t\xE9.txt", "\xE9T\xC9.TXT", true},
        {"a.bin", "b.bin", false},          {"\xC4.bin", "A.bin", false},  {"a.bin", "a.bin.x", false},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(this->platform.SameFile(directory + "\\" + test.first, directory + "\\" + test.second), test.same)
            << test.first << " | " << test.second;
    }
}

}  // namespace
}  // namespace kelsetup::testing
