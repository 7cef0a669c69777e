#pragma once
// Helpers shared by the document tests: a readable dump of a tree, the test data folder, and
// scratch folders on the real file system of the platform under test.

#include "config_tree.h"
#include "file_store.h"

#include <memory>
#include <optional>
#include <string>

namespace tarnwick::testing {

// One line per item, indented two spaces per level: "F name = value", "S ...", "D ...";
// "(none)" stands for a missing value string. Kinds come from the images.
std::string DumpTree(const ConfigTree& tree);
std::string DumpItem(const ConfigTree& tree, ItemHandle item);
// The dump of everything below the item, without the item's own line.
std::string DumpChildren(const ConfigTree& tree, ItemHandle item);

// Inserts a file item as New File makes it (no directory of its own) before all others.
ItemHandle InsertNewFileItem(ConfigTree& tree, std::string_view name);

// Counts the items of the tree that hold a value string.
std::size_t CountValues(const ConfigTree& tree);

// The file store of the platform the tests run on (POSIX natively, Win32 under Wine).
std::unique_ptr<FileStore> MakePlatformFileStore();

// A Windows path (as the core uses them) to a file in the repository's test data.
std::string TestDataPath(const std::string& relative);

// A new empty folder for one test, as a Windows path ending in a backslash.
std::string MakeScratchDirectory();
// Makes a folder that files cannot be written into (read-only on the platform).
std::string MakeUnwritableDirectory();

#ifdef _WIN32
// A folder of symbolic links made before the tests started (tools/make-link-fixture.sh), as
// a Windows path ending in a backslash: "store" holds enabled\site.conf leading to
// available\site.conf; "apache2" the same and available\loop leading back up. Nothing when
// the run made none.
std::optional<std::string> LinkFixture(const std::string& part);
#endif

}  // namespace tarnwick::testing
