#include "setup_info.h"

#include "primitives.h"

#include <cstdint>

namespace kelsetup {

namespace {

// Reads the next line, up to `limit` characters (a longer line goes on as the next read); an
// empty line when the file has ended.
std::string NextLine(ScriptStream& stream, std::size_t limit) {
    std::string line;
    stream.ReadLine(line, limit);
    return line;
}

std::string Trimmed(std::string line) {
    TrimScriptLine(line);
    return line;
}

}  // namespace

SetupInfoResult ReadSetupInfo(const std::optional<std::string>& script, SetupInfo& info) {
    if (!script) return SetupInfoResult::NoScript;
    ScriptStream stream(*script);
    for (;;) {
        std::string line;
        stream.ReadLine(line);
        if (stream.AtEnd()) return SetupInfoResult::NoSection;
        TrimScriptLine(line);
        if (IsMarker(line, "KelSetup:SetupInfo")) break;
    }
    info = SetupInfo{};
    info.productName = Trimmed(NextLine(stream, kMaxTextLength));
    info.launchProgram = Trimmed(NextLine(stream, kMaxTextLength));
    info.dirKeyPath = Trimmed(NextLine(stream, kMaxTextLength));
    info.dirKeyRoot = SplitRootKey(info.dirKeyPath);
    info.dirValueName = Trimmed(NextLine(stream, kMaxTextLength));
    info.defaultInstallDir = Trimmed(NextLine(stream, kMaxTextLength));
    for (std::int32_t& check : info.initialChecks) check = ReadDecimal(NextLine(stream, kMaxTextLength));
    NextLine(stream, kMaxTextLength);  // line 10 is not used
    info.installTitle = Trimmed(NextLine(stream, kMaxTextLength));
    info.uninstallTitle = Trimmed(NextLine(stream, kMaxTextLength));
    info.installFinishText = Trimmed(NextLine(stream, kMaxFinishTextLength));
    info.uninstallFinishText = Trimmed(NextLine(stream, kMaxFinishTextLength));
    info.requiredKilobytes = static_cast<std::uint32_t>(ReadDecimal(Trimmed(NextLine(stream, kMaxTextLength))));
    return SetupInfoResult::Read;
}

ProductInfo ReadProductInfo(const std::string& script) {
    ProductInfo product;
    ScriptStream stream(script);
    std::string line;
    bool inSection = false;
    while (stream.ReadLine(line = {})) {
        TrimScriptLine(line);
        if (HasMarkerText(line)) {
            inSection = IsMarker(line, "KelSetup:ProductInfo");
            continue;
        }
        if (!inSection) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals), value = line.substr(equals + 1);
        if (IsMarker(name, "Publisher")) product.publisher = value;
        else if (IsMarker(name, "DisplayVersion")) product.displayVersion = value;
    }
    return product;
}

SpaceVerdict CheckFreeSpace(std::optional<std::uint64_t> freeKilobytes, std::uint32_t requiredKilobytes) {
    if (requiredKilobytes == 0) return SpaceVerdict::Enough;
    if (freeKilobytes && *freeKilobytes >= requiredKilobytes) return SpaceVerdict::Enough;
    return SpaceVerdict::AskUser;
}

std::string DriveRootOf(const std::string& installDir) {
    const bool hasDrive = installDir.size() >= 2 && installDir[1] == ':';
    return (hasDrive ? installDir.substr(0, 2) : std::string()) + "\\";
}

std::uint64_t FreeKilobytesOf(std::uint32_t sectorsPerCluster, std::uint32_t bytesPerSector, std::uint32_t freeClusters) {
    // The product of three 32-bit figures needs up to 96 bits: whole kilobytes per cluster and
    // the remainder are multiplied apart, and a result beyond 64 bits is held at the largest.
    const std::uint64_t clusterBytes = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
    const std::uint64_t wholeKilobytes = clusterBytes / 1024;
    const std::uint64_t restBytes = clusterBytes % 1024 * freeClusters;  // below 2^42
    if (wholeKilobytes != 0 && freeClusters > (UINT64_MAX - restBytes / 1024) / wholeKilobytes) return UINT64_MAX;
    return wholeKilobytes * freeClusters + restBytes / 1024;
}

}  // namespace kelsetup
