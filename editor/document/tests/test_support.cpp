#include "test_support.h"

#include "config_document.h"
#include "tree_walk.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>
#include <string_view>

#ifdef _WIN32
#include "win32/win32_file_store.h"
#include <windows.h>
#else
#include "posix/posix_file_store.h"
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick::testing {

namespace {

char KindOf(const ItemView& item) {
    if (item.image == kFileImage) return 'F';
    if (item.image == kSectionImage) return 'S';
    return 'D';
}

void DumpInto(std::string& out, const ConfigTree& tree, ItemHandle item, int depth) {
    // Pre-order with an explicit path: dumps of deep trees must not recurse either.
    const ItemHandle stop = tree.Parent(item);
    while (item != kNoItem) {
        const ItemView view = tree.GetItem(item);
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
        out += KindOf(view);
        out += ' ';
        out += view.text;
        out += view.hasValue ? " = " + std::string(view.value) : std::string(" (none)");
        out += '\n';
        if (const ItemHandle child = tree.FirstChild(item)) {
            item = child;
            ++depth;
            continue;
        }
        while (item != kNoItem && tree.NextSibling(item) == kNoItem) {
            item = tree.Parent(item);
            --depth;
            if (item == stop) item = kNoItem;
        }
        if (item != kNoItem) item = tree.NextSibling(item);
    }
}

// Removes the scratch folders of this run when the test program ends.
class ScratchFolders {
public:
    ~ScratchFolders() {
        std::error_code ignored;
        for (const std::string& folder : folders_) {
            // Read-only files (made by the tests) would stop the removal on Windows.
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                             std::filesystem::perm_options::add, ignored);
            std::filesystem::remove_all(folder, ignored);
        }
    }
    void Add(std::string folder) { folders_.push_back(std::move(folder)); }

private:
    std::vector<std::string> folders_;
};

ScratchFolders& Scratch() {
    static ScratchFolders folders;
    return folders;
}

std::string UniqueName() {
    static std::atomic<int> counter{0};
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    return "tarnwick-test-" + std::to_string(process) + "-" + std::to_string(counter++);
}

}  // namespace

std::string DumpTree(const ConfigTree& tree) {
    std::string out;
    DumpInto(out, tree, tree.FirstFileItem(), 0);
    return out;
}

std::string DumpItem(const ConfigTree& tree, ItemHandle item) {
    std::string out;
    const ItemView view = tree.GetItem(item);
    out += KindOf(view);
    out += ' ';
    out += view.text;
    out += view.hasValue ? " = " + std::string(view.value) : std::string(" (none)");
    if (const ItemHandle child = tree.FirstChild(item)) {
        out += '\n';
        DumpInto(out, tree, child, 1);
    }
    return out;
}

std::string DumpChildren(const ConfigTree& tree, ItemHandle item) {
    std::string out;
    DumpInto(out, tree, tree.FirstChild(item), 0);
    return out;
}

ItemHandle InsertNewFileItem(ConfigTree& tree, std::string_view name) {
    return tree.InsertItem(kNoItem, InsertPosition::First(), FileItemView(name));
}

std::size_t CountValues(const ConfigTree& tree) {
    std::size_t count = 0;
    VisitChildrenFirst(tree, tree.FirstFileItem(), [&](ItemHandle item) {
        count += tree.GetItem(item).hasValue ? 1 : 0;
        return false;
    });
    return count;
}

#ifdef _WIN32

std::unique_ptr<FileStore> MakePlatformFileStore() { return std::make_unique<Win32FileStore>(); }

std::string TestDataPath(const std::string& relative) {
    const char* root = std::getenv("TARNWICK_TESTDATA");
    std::string path = root ? root : "testdata";
    // Under Wine the folder arrives as a POSIX path; drive Z: is the POSIX root.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    path += "\\" + relative;
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

std::string MakeScratchDirectory() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    // A folder left by an earlier run under the same name is not reused: it may hold files.
    std::string directory;
    do directory = std::string(temp) + UniqueName();
    while (!CreateDirectoryA(directory.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    Scratch().Add(directory);
    return directory + "\\";
}

std::string MakeUnwritableDirectory() {
    // A path below a file cannot hold files on any platform, Wine included.
    const std::string scratch = MakeScratchDirectory();
    Win32FileStore files;
    files.ReplaceFileBytes(scratch + "plain-file", "x");
    return scratch + "plain-file\\";
}

std::optional<std::string> LinkFixture(const std::string& part) {
    const char* root = std::getenv("TARNWICK_LINK_FIXTURE");
    if (!root || !*root) return std::nullopt;
    std::string path = root;
    if (path[0] == '/') path = "Z:" + path;  // under Wine drive Z: is the POSIX root
    for (char& c : path) if (c == '/') c = '\\';
    path += "\\" + part + "\\";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return path;
}

#else

std::unique_ptr<FileStore> MakePlatformFileStore() { return std::make_unique<PosixFileStore>(); }

std::string TestDataPath(const std::string& relative) {
    const char* root = std::getenv("TARNWICK_TESTDATA");
    return PosixFileStore::ToWindowsPath(std::string(root ? root : "testdata") + "/" + relative);
}

std::string MakeScratchDirectory() {
    const char* temp = std::getenv("TMPDIR");
    // A folder left by an earlier run under the same name is not reused: it may hold files.
    std::string directory;
    do directory = std::string(temp ? temp : "/tmp") + "/" + UniqueName();
    while (::mkdir(directory.c_str(), 0755) != 0 && errno == EEXIST);
    Scratch().Add(directory);
    return PosixFileStore::ToWindowsPath(directory) + "\\";
}

std::string MakeUnwritableDirectory() {
    const std::string scratch = MakeScratchDirectory();
    PosixFileStore files;
    files.ReplaceFileBytes(scratch + "plain-file", "x");
    return scratch + "plain-file\\";
}

#endif

}  // namespace tarnwick::testing
