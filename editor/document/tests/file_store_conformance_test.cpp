// One suite for every binding of the file store: bytes pass unchanged, a replacement is all
// or nothing, and failures leave the disk as it was.

#include "config_document.h"
#include "memory_file_store.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include "win32/win32_file_store.h"
#include <windows.h>
#else
#include "posix/posix_file_store.h"
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick::testing {
namespace {

struct MemoryStoreBinding {
    MemoryFileStore files;
    std::string NewDirectory() {
        const std::string directory = "C:\\scratch" + std::to_string(next++) + "\\";
        files.AddDirectory(directory);
        return directory;
    }
    std::string UnwritableDirectory() { return "C:\\no-such-directory\\"; }
    void MakeReadOnly(const std::string& path) { files.MakeReadOnly(path); }
    void MakeDirectory(const std::string& path) { files.AddDirectory(path); }
    // A folder with available\site.conf's place and enabled\site.conf leading to it.
    std::optional<std::string> LinkedFolder() {
        const std::string directory = NewDirectory();
        files.AddDirectory(directory + "available");
        files.AddLink(directory + "enabled\\site.conf", directory + "available\\site.conf");
        return directory;
    }
    int next = 0;
};

#ifdef _WIN32
struct PlatformStoreBinding {
    Win32FileStore files;
    std::string NewDirectory() { return MakeScratchDirectory(); }
    std::string UnwritableDirectory() { return MakeUnwritableDirectory(); }
    void MakeReadOnly(const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }
    void MakeDirectory(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }
    std::optional<std::string> LinkedFolder() { return LinkFixture("store"); }
};
#else
struct PlatformStoreBinding {
    PosixFileStore files;
    std::string NewDirectory() { return MakeScratchDirectory(); }
    std::string UnwritableDirectory() { return MakeUnwritableDirectory(); }
    // Root may write anywhere, so a read-only file is made a directory's name instead.
    void MakeReadOnly(const std::string& path) {
        const std::string posix = PosixFileStore::ToPosixPath(path);
        ::unlink(posix.c_str());
        ::mkdir(posix.c_str(), 0755);
    }
    void MakeDirectory(const std::string& path) { ::mkdir(PosixFileStore::ToPosixPath(path).c_str(), 0755); }
    std::optional<std::string> LinkedFolder() {
        const std::string directory = NewDirectory();
        MakeDirectory(directory + "available");
        MakeDirectory(directory + "enabled");
        if (::symlink("../available/site.conf", PosixFileStore::ToPosixPath(directory + "enabled/site.conf").c_str()) != 0)
            return std::nullopt;
        return directory;
    }
};
#endif

template <typename Binding>
class FileStoreConformance : public ::testing::Test {
protected:
    Binding binding;
    FileStore& files = binding.files;
};
using FileStoreBindings = ::testing::Types<MemoryStoreBinding, PlatformStoreBinding>;
TYPED_TEST_SUITE(FileStoreConformance, FileStoreBindings);

TYPED_TEST(FileStoreConformance, BytesPassUnchanged) {
    const std::string directory = this->binding.NewDirectory();
    std::string bytes = "Port 80\r\nUser x\n\rlone\x1a after ctrl-z";
    bytes += std::string("\0\xff\0", 3);
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "a.conf", bytes));
    EXPECT_EQ(this->files.ReadFileBytes(directory + "a.conf"), bytes);
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "empty.conf", ""));
    EXPECT_EQ(this->files.ReadFileBytes(directory + "empty.conf"), "");
}

TYPED_TEST(FileStoreConformance, ReplacingOverwritesTheWholeFile) {
    const std::string directory = this->binding.NewDirectory();
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "a.conf", std::string(100000, 'x')));
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "a.conf", "short"));
    EXPECT_EQ(this->files.ReadFileBytes(directory + "a.conf"), "short");
}

TYPED_TEST(FileStoreConformance, MissingFilesReadAsNothing) {
    const std::string directory = this->binding.NewDirectory();
    EXPECT_FALSE(this->files.ReadFileBytes(directory + "missing.conf").has_value());
    EXPECT_FALSE(this->files.ReadFileBytes(directory + "no\\such\\path.conf").has_value());
}

TYPED_TEST(FileStoreConformance, FailedReplacementsLeaveTheDiskAsItWas) {
    const std::string directory = this->binding.NewDirectory();
    EXPECT_FALSE(this->files.ReplaceFileBytes(this->binding.UnwritableDirectory() + "a.conf", "x"));
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "locked.conf", "old"));
    this->binding.MakeReadOnly(directory + "locked.conf");
    EXPECT_FALSE(this->files.ReplaceFileBytes(directory + "locked.conf", "new"));
    const auto after = this->files.ReadFileBytes(directory + "locked.conf");
    EXPECT_NE(after, std::optional<std::string>("new"));
}

TYPED_TEST(FileStoreConformance, ListsDirectoriesAndTellsWhatAPathNames) {
    const std::string directory = this->binding.NewDirectory();
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "Vhosts.conf", "x"));
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + ".hidden", ""));
    this->binding.MakeDirectory(directory + "sites");
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "sites\\a.conf", "a"));

    auto entries = this->files.ListDirectory(directory);
    ASSERT_TRUE(entries.has_value());
    std::sort(entries->begin(), entries->end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    EXPECT_EQ(*entries, (std::vector<DirectoryEntry>{{".hidden", false}, {"Vhosts.conf", false}, {"sites", true}}));
    EXPECT_EQ(this->files.ListDirectory(directory + "sites\\"),
              (std::optional<std::vector<DirectoryEntry>>{{{"a.conf", false}}}));
    this->binding.MakeDirectory(directory + "empty");
    EXPECT_EQ(this->files.ListDirectory(directory + "empty"), std::optional(std::vector<DirectoryEntry>{}));
    EXPECT_FALSE(this->files.ListDirectory(directory + "missing").has_value());
    EXPECT_FALSE(this->files.ListDirectory(directory + "Vhosts.conf").has_value());

    EXPECT_EQ(this->files.KindOf(directory + "Vhosts.conf"), PathKind::File);
    EXPECT_EQ(this->files.KindOf(directory + "sites"), PathKind::Directory);
    EXPECT_EQ(this->files.KindOf(directory + "sites\\"), PathKind::Directory);
    EXPECT_EQ(this->files.KindOf(directory + "missing.conf"), PathKind::Missing);
}

// The spellings Windows takes as one path, and one file reached under several of them.
TYPED_TEST(FileStoreConformance, AliasesOfAFileAreThatFile) {
    const std::string directory = this->binding.NewDirectory();
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "httpd.conf", "A 1\n"));
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "other.conf", "B 2\n"));
    this->binding.MakeDirectory(directory + "sub");
    const std::string full = this->files.FullPath(directory + "httpd.conf");
    const auto identity = this->files.IdentityOf(directory + "httpd.conf");
    ASSERT_TRUE(identity.has_value());
    for (const std::string alias : {"httpd.conf.", "httpd.conf ", "httpd.conf. .", ".\\httpd.conf", "sub\\..\\httpd.conf",
                                    "sub/../httpd.conf"}) {
        SCOPED_TRACE(alias);
        EXPECT_EQ(PathKey(this->files.FullPath(directory + alias)), PathKey(full));
        EXPECT_EQ(this->files.IdentityOf(directory + alias), identity);
        EXPECT_EQ(SameFileKey(this->files, directory + alias), SameFileKey(this->files, directory + "httpd.conf"));
    }
    EXPECT_NE(this->files.IdentityOf(directory + "other.conf"), identity);
    EXPECT_FALSE(this->files.IdentityOf(directory + "missing.conf").has_value());
    // A file not there yet is told by its full path.
    EXPECT_EQ(SameFileKey(this->files, directory + "new.conf."), SameFileKey(this->files, directory + "sub\\..\\NEW.conf"));
    EXPECT_NE(SameFileKey(this->files, directory + "new.conf"), SameFileKey(this->files, directory + "new2.conf"));
}

TYPED_TEST(FileStoreConformance, WritingThroughALinkWritesWhereItLeads) {
    const std::optional<std::string> folder = this->binding.LinkedFolder();
    if (!folder) GTEST_SKIP() << "no symbolic link was made for this run (TARNWICK_LINK_FIXTURE)";
    const std::string directory = *folder;
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "available\\site.conf", "old\n"));
    EXPECT_EQ(this->files.IdentityOf(directory + "enabled\\site.conf"), this->files.IdentityOf(directory + "available\\site.conf"));
    const auto before = this->files.StampOf(directory + "available\\site.conf");
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "enabled\\site.conf", "new content\n"));
    EXPECT_EQ(this->files.ReadFileBytes(directory + "available\\site.conf"), "new content\n");
    EXPECT_EQ(this->files.ReadFileBytes(directory + "enabled\\site.conf"), "new content\n");
    // Still a link: the two names still reach one file.
    EXPECT_EQ(this->files.IdentityOf(directory + "enabled\\site.conf"), this->files.IdentityOf(directory + "available\\site.conf"));
    EXPECT_NE(this->files.StampOf(directory + "available\\site.conf"), before);
}

TYPED_TEST(FileStoreConformance, AStampChangesWhenTheFileIsWritten) {
    const std::string directory = this->binding.NewDirectory();
    EXPECT_FALSE(this->files.StampOf(directory + "a.conf").has_value());
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "a.conf", "one\n"));
    const auto first = this->files.StampOf(directory + "a.conf");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(this->files.StampOf(directory + "a.conf"), first);
    ASSERT_TRUE(this->files.ReplaceFileBytes(directory + "a.conf", "two, longer\n"));
    EXPECT_NE(this->files.StampOf(directory + "a.conf"), first);
}

}  // namespace
}  // namespace tarnwick::testing
