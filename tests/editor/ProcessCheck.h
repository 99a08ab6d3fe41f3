// Whether a process still runs, for the tests that stop a script with all
// it started. A killed process whose parent has not reaped it yet (a
// zombie) no longer runs.
#pragma once

#include <fstream>
#include <string>
#include <sys/types.h>

inline bool processRunning(pid_t pid)
{
    if (pid <= 0)
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    // "pid (command) state ...": the state follows the last ')'.
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return false;
    const char state = line[close + 2];
    return state != 'Z' && state != 'X';
}

// The pid a script wrote into a file (0 when there is none yet).
inline pid_t pidFromFile(const std::string& path)
{
    std::ifstream f(path);
    long pid = 0;
    f >> pid;
    return static_cast<pid_t>(pid);
}
