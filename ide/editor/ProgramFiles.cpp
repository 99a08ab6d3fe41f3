// Where ZELK finds the files it ships with.
#include "editor/ProgramFiles.h"

#include <system_error>

// Set by the build from the install layout (bin and data folders); the
// default is the usual GNU layout.
#ifndef ZELK_DATA_FROM_BIN
#define ZELK_DATA_FROM_BIN "../share/zelk"
#endif

namespace zelk {

namespace fs = std::filesystem;

fs::path installedDataDir(const fs::path& programDir)
{
    return (programDir / ZELK_DATA_FROM_BIN).lexically_normal();
}

std::vector<fs::path> programFilePlaces(const fs::path& programDir)
{
    return {programDir, installedDataDir(programDir)};
}

fs::path findProgramFile(const fs::path& programDir, const std::string& name)
{
    for (const fs::path& dir : programFilePlaces(programDir)) {
        std::error_code ec;
        const fs::path p = dir / name;
        if (fs::is_regular_file(p, ec))
            return p;
    }
    return programDir / name;
}

} // namespace zelk
