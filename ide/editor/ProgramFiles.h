// Where ZELK finds the files it ships with (the assembler, its script, the
// help file): beside the program, as in the build tree, and then in the data
// folder of an installed tree, reached from the program's folder
// (<prefix>/bin -> <prefix>/share/zelk).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelk {

// The data folder of an installed tree, relative to the program's folder.
std::filesystem::path installedDataDir(const std::filesystem::path& programDir);

// The folders searched, in order: the program's folder, the installed data
// folder.
std::vector<std::filesystem::path> programFilePlaces(const std::filesystem::path& programDir);

// The first place that holds `name`; when none does, the path beside the
// program, so that a message about the missing file names the usual place.
std::filesystem::path findProgramFile(const std::filesystem::path& programDir, const std::string& name);

} // namespace zelk
