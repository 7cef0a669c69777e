#pragma once
// The product's generated installation script, run with the installer's own core against the
// recording platform; the package's tests look at what it leaves behind.

#include "install_run.h"
#include "recording_platform.h"
#include "recording_progress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kelsetup::testing {

inline constexpr RootKey kMachine = RootKey::LocalMachine;
inline const std::string kTemplates = "SOFTWARE\\Velmora\\Tarnwick\\Templates";

// A file of the package folder, which holds setup.txt and the files it installs.
inline std::string ReadPackageFile(const std::string& name) {
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

inline std::uint32_t Number(const std::optional<std::string>& data) {
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

}  // namespace kelsetup::testing
