// Measures the install walk against the recording platform on generated scripts:
//   install_bench [COPY_RECORDS] [REGISTRY_VALUES]   (default 10,000 and 5,000)
// Runs the script at its size and at ten times its size, and prints records per second, the
// time per script line, and how much longer the tenfold script took (linear: about 10). Each
// figure is the best of three runs.

#include "install_actions.h"
#include "install_run.h"
#include "recording_platform.h"
#include "recording_progress.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kelsetup;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
    double seconds = 0;
    std::size_t lines = 0;
    std::size_t records = 0;
};

std::string Script(int copies, int values, std::size_t& lines) {
    std::string script =
        "KelSetup:SetupInfo\nBench\nBench.exe\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Bench\nInstallDir\nC:\\Bench\n"
        "0\n0\n0\n0\n0\nBench Setup\nBench Uninstall\nDone.\nRemoved.\n0\n\nKelSetup:AddDirectory\nfiles\n\n"
        "KelSetup:RegistryKey\nHKEY_CURRENT_USER\\Software\\Bench\n\nKelSetup:CopyFile\n";
    for (int i = 0; i < copies; ++i) script += "files\nsource" + std::to_string(i % 100) + ".dat\n";
    script += "\nKelSetup:RegistryValue\n";
    for (int i = 0; i < values; ++i)
        script += "HKEY_CURRENT_USER\\Software\\Bench\nValue" + std::to_string(i) + "\nREG_SZ\n%InstallDir%files\\" +
                  std::to_string(i) + "\n";
    lines = 0;
    for (char c : script) lines += c == '\n';
    return script;
}

Figures Walk(int copies, int values) {
    Figures figures;
    const std::string script = Script(copies, values, figures.lines);
    figures.records = static_cast<std::size_t>(copies + values);
    RecordingPlatform platform;
    platform.AddFile("setup.txt", script);
    for (int i = 0; i < 100; ++i) platform.AddFile("source" + std::to_string(i) + ".dat", "data");
    RecordingProgress progress;
    SetupInfo info;
    ReadSetupInfo(script, info);
    InstallContext context{.platform = platform, .progress = progress, .info = info,
                           .installDir = "C:\\Bench", .options = {}, .folderName = ""};
    const auto start = Clock::now();
    RunInstall(context);
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const int copies = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int values = argc > 2 ? std::atoi(argv[2]) : 5000;
    const auto best = [](int copyRecords, int valueRecords) {
        Figures best = Walk(copyRecords, valueRecords);
        for (int run = 0; run < 2; ++run) {
            const Figures again = Walk(copyRecords, valueRecords);
            if (again.seconds < best.seconds) best = again;
        }
        return best;
    };
    const Figures full = best(copies, values);
    const Figures tenfold = best(copies * 10, values * 10);
    std::printf("records: %zu\n", full.records);
    std::printf("script_lines: %zu\n", full.lines);
    std::printf("walk_ms: %.1f\n", full.seconds * 1000);
    std::printf("records_per_s: %.0f\n", static_cast<double>(full.records) / full.seconds);
    std::printf("us_per_line: %.3f\n", full.seconds * 1e6 / static_cast<double>(full.lines));
    std::printf("tenfold_walk_ms: %.1f\n", tenfold.seconds * 1000);
    std::printf("tenfold_vs_full_time: %.2f\n", tenfold.seconds / full.seconds);
    return 0;
}
