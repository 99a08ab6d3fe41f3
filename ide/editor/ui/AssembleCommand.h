// The Assemble and Load Symbols commands in the IDE: the save question, the
// Assemble dialog, the run of the batch script through QProcess (bounded
// wait under the busy pointer; a run that never finishes is stopped and its
// scratch files removed), the symbol load, the "Assembling Done" box and the
// error list.
#pragma once

#include "editor/AssembleFlow.h"

#include <QString>

#include <chrono>

namespace zelk {

class frmMain;

// Where the assembler and its script are looked for, and how long the
// script may take. The defaults are the program's directory and 60 s;
// tests point them elsewhere.
struct AssembleSettings {
    static QString programDir;  // empty: the program's directory
    static std::chrono::milliseconds markerTimeout;
    static QString effectiveProgramDir();
};

// The batch script as a QProcess (/bin/sh script) in the scratch directory.
class QProcessRunner final : public CommandRunner {
public:
    ~QProcessRunner() override;
    bool start(const std::filesystem::path& script, const std::filesystem::path& workDir,
               const std::filesystem::path& programDir, std::string& error) override;
    // Stops the script, with every process of its process group, when it
    // is still running (after a time-out, or after its marker).
    void stop();
    // Waits up to `ms` for the script to end (after its marker appeared).
    void waitFinished(int ms);
};

// A run that ended without a listing, an error listing or S-records.
inline constexpr const char* NoResultsMessage = "Assembler Produced No Results !";

// The save question: true when there is nothing unsaved or the save succeeded.
bool AsmSaved(frmMain& m);
// mnuFileAssemble and the toolbar button's FileAssembleClick.
void mnuFileAssemble(frmMain& m);
void FileAssembleClick(frmMain& m);
// Assembles the assembly target title in the current directory.
void FileAssemble(frmMain& m);
// mnuFileLoadSymbols: the Load Symbols dialog, then FileLoadSymbols.
void mnuFileLoadSymbols(frmMain& m);

} // namespace zelk
