#pragma once
// The program folders the install dialog offers: those already in the user's Programs
// folder, and the product's own name.

#include "setup_platform.h"

#include <string>
#include <vector>

namespace kelsetup {

// The sub-folders of the Programs folder in search order, leaving out those beginning with "."
// and "KelLaunch" (any case), then the product name. Nothing but the product name when the
// Programs folder cannot be read or searched.
std::vector<std::string> ProgramFolderChoices(SetupPlatform& platform, const std::string& productName);

}  // namespace kelsetup
