// The settings section and the free-space arithmetic.

#include "setup_info.h"

#include <gtest/gtest.h>

namespace kelsetup::testing {
namespace {

const char* const kSettings =
    "Free text before it\n"
    "  kelsetup:setupinfo  \n"
    " Tarnwick \n"
    "Tarnwick.exe\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick\n"
    "InstallDir\n"
    "C:\\Program Files\\Tarnwick\n"
    " 1\n"
    "0\n"
    "-3\n"
    "1x\n"
    "unused\n"
    "Tarnwick Setup\n"
    "Tarnwick Uninstall\n"
    "Tarnwick has been installed.\n"
    "Tarnwick has been removed.\n"
    "800\n";

TEST(ReadSetupInfo, TakesTheFifteenLinesByPosition) {
    SetupInfo info;
    ASSERT_EQ(ReadSetupInfo(std::string(kSettings), info), SetupInfoResult::Read);
    EXPECT_EQ(info.productName, "Tarnwick");
    EXPECT_EQ(info.launchProgram, "Tarnwick.exe");
    EXPECT_EQ(info.dirKeyRoot, RootKey::LocalMachine);
    EXPECT_EQ(info.dirKeyPath, "SOFTWARE\\Velmora\\Tarnwick");
    EXPECT_EQ(info.dirValueName, "InstallDir");
    EXPECT_EQ(info.defaultInstallDir, "C:\\Program Files\\Tarnwick");
    EXPECT_EQ(info.initialChecks, (std::array<std::int32_t, 4>{1, 0, -3, 1}));
    EXPECT_EQ(info.installTitle, "Tarnwick Setup");
    EXPECT_EQ(info.uninstallTitle, "Tarnwick Uninstall");
    EXPECT_EQ(info.installFinishText, "Tarnwick has been installed.");
    EXPECT_EQ(info.uninstallFinishText, "Tarnwick has been removed.");
    EXPECT_EQ(info.requiredKilobytes, 800u);
}

TEST(ReadSetupInfo, MissingScriptSectionOrLines) {
    SetupInfo info;
    EXPECT_EQ(ReadSetupInfo(std::nullopt, info), SetupInfoResult::NoScript);
    EXPECT_EQ(ReadSetupInfo(std::string("KelSetup:CopyFile\n.\\\na\n"), info), SetupInfoResult::NoSection);
    EXPECT_EQ(ReadSetupInfo(std::string("KelSetup:SetupInfo"), info), SetupInfoResult::NoSection);  // ends with the marker
    EXPECT_EQ(ReadSetupInfo(std::string(), info), SetupInfoResult::NoSection);
    // Cut short: the missing fields are empty or zero.
    ASSERT_EQ(ReadSetupInfo(std::string("KelSetup:SetupInfo\nProduct\nP.exe\n"), info), SetupInfoResult::Read);
    EXPECT_EQ(info.productName, "Product");
    EXPECT_EQ(info.defaultInstallDir, "");
    EXPECT_EQ(info.requiredKilobytes, 0u);
    // Finish texts are kept up to their own limit; the rest of a longer line is the next line.
    const std::string longText(12000, 'f');
    std::string script = "KelSetup:SetupInfo\n";
    for (int line = 1; line <= 12; ++line) script += "x\n";
    script += longText + "\n" + std::string(3000, 'u') + "\n5\n";
    ASSERT_EQ(ReadSetupInfo(script, info), SetupInfoResult::Read);
    EXPECT_EQ(info.installFinishText.size(), kMaxFinishTextLength);
    EXPECT_EQ(info.uninstallFinishText, std::string(12000 - kMaxFinishTextLength, 'f'));
    EXPECT_EQ(info.requiredKilobytes, 0u);  // the 'u' line took the place of the number
}

TEST(CheckFreeSpace, ComparesWithoutOverflow) {
    EXPECT_EQ(CheckFreeSpace(800, 800), SpaceVerdict::Enough);
    EXPECT_EQ(CheckFreeSpace(799, 800), SpaceVerdict::AskUser);
    EXPECT_EQ(CheckFreeSpace(std::nullopt, 800), SpaceVerdict::AskUser);  // unknown: the user decides
    EXPECT_EQ(CheckFreeSpace(std::nullopt, 0), SpaceVerdict::Enough);     // nothing needed: never asked
    EXPECT_EQ(CheckFreeSpace(std::uint64_t{1} << 40, 0xFFFFFFFFu), SpaceVerdict::Enough);
    EXPECT_EQ(FreeKilobytesOf(8, 512, 1000), 4000u);
    EXPECT_EQ(FreeKilobytesOf(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu), UINT64_MAX);
    EXPECT_EQ(FreeKilobytesOf(1, 512, 3), 1u);
    EXPECT_EQ(DriveRootOf("C:\\Apps\\X"), "C:\\");
    EXPECT_EQ(DriveRootOf("\\\\server\\share"), "\\");
}

}  // namespace
}  // namespace kelsetup::testing
