#pragma once
// The installer's settings: the fifteen positional lines after "KelSetup:SetupInfo".

#include "setup_platform.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kelsetup {

// The two finish texts may be this long; every other line kMaxTextLength.
inline constexpr std::size_t kMaxFinishTextLength = 10239;

struct SetupInfo {
    std::string productName;
    std::string launchProgram;
    RootKey dirKeyRoot = RootKey::CurrentUser;
    std::string dirKeyPath;
    std::string dirValueName;
    std::string defaultInstallDir;
    std::array<std::int32_t, 4> initialChecks{};  // check boxes 1002, 1003, 1004, 1005
    std::string installTitle;
    std::string uninstallTitle;
    std::string installFinishText;
    std::string uninstallFinishText;
    std::uint32_t requiredKilobytes = 0;
};

enum class SetupInfoResult { Read = 0, NoScript = -1, NoSection = -2 };

// What the optional "KelSetup:ProductInfo" section says about the product, for the list of
// installed programs: lines "Publisher=<text>" and "DisplayVersion=<text>", up to the next
// line that holds "KelSetup:". Scripts without it leave both empty.
struct ProductInfo {
    std::string publisher;
    std::string displayVersion;
};
ProductInfo ReadProductInfo(const std::string& script);

// Reads the section from the script's bytes (nothing: the script could not be opened). A
// section cut short by the end of the file leaves the missing fields empty or 0.
SetupInfoResult ReadSetupInfo(const std::optional<std::string>& script, SetupInfo& info);

// Whether there is room for the installation: free kilobytes at least the required ones.
// Unknown free space, like too little, is put to the user.
enum class SpaceVerdict { Enough, AskUser };
SpaceVerdict CheckFreeSpace(std::optional<std::uint64_t> freeKilobytes, std::uint32_t requiredKilobytes);

// The drive root of an install directory: "C:\" for "C:\Apps\X".
std::string DriveRootOf(const std::string& installDir);

// Free kilobytes from the platform's cluster figures, without overflow.
std::uint64_t FreeKilobytesOf(std::uint32_t sectorsPerCluster, std::uint32_t bytesPerSector, std::uint32_t freeClusters);

}  // namespace kelsetup
