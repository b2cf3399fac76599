#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// The run state that start-up sets and the windows read.
struct Shared {
    std::vector<std::string> CmdArgs;      // the command line split at every "--"
    std::string ArgValue;                  // value of the dispatched option
    std::optional<fso::File> TargetFile;   // the file the dispatched option names
    std::string WC3Path;                   // the game folder, or empty
    std::string PackFolder;                // the pack root, parent of the program's folder
};
