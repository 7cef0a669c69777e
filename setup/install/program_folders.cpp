#include "program_folders.h"

#include "install_actions.h"
#include "primitives.h"

namespace kelsetup {

std::vector<std::string> ProgramFolderChoices(SetupPlatform& platform, const std::string& productName) {
    std::vector<std::string> choices;
    if (const auto programs = ReadShellFolder(platform, "Programs")) {
        std::string pattern = *programs + "*";
        CutToLimit(pattern);
        for (const FoundFile& entry : platform.FindFiles(pattern))
            if (entry.isDirectory && !entry.name.empty() && entry.name[0] != '.' && !IsMarker(entry.name, "KelLaunch"))
                choices.push_back(entry.name);
    }
    choices.push_back(productName);
    return choices;
}

}  // namespace kelsetup
