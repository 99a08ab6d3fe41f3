// The assemble command without widgets: the result file titles derived from
// the source title, and the run of the external assembler through its batch
// script under the fixed scratch names (copy the source to "Temp$$$.asm",
// start the script, wait for the marker "Temp$$$.$$$", move the listing,
// error listing and S-records beside the source under the source's base
// name). The script is started through a CommandRunner so that the IDE can
// use its own process class and tests a fake.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace zelk {

// Fixed names of the scratch files, in the scratch directory.
namespace scratch {
inline constexpr const char* Source = "Temp$$$.asm";
inline constexpr const char* Listing = "Temp$$$.lst";
inline constexpr const char* Errors = "Temp$$$.err";
inline constexpr const char* MachineCode = "Temp$$$.s19";
inline constexpr const char* Marker = "Temp$$$.$$$";
}

// The titles (file names without directory) of one assembly.
struct AssembleTitles {
    std::string target;       // the source, e.g. prog.asm
    std::string base;         // up to the last "."; the whole title without "."
    std::string listing;      // base & ".lst"
    std::string error;        // base & ".err"
    std::string machineCode;  // base & ".s19"
};
std::string assembleBaseName(std::string_view title);
AssembleTitles assembleTitles(std::string_view targetTitle);

// What the Assemble menu command and the toolbar button do with the
// remembered target title: assemble it when it names a file in the current
// directory, ask for a file with the Assemble dialog when there is no title,
// and nothing when the title's file is gone.
enum class AssembleAction { Assemble, AskForFile, Nothing };
AssembleAction assembleAction(std::string_view targetTitle, const std::filesystem::path& currentDir);

// The save question before assembling an editor with unsaved changes.
std::string asmSaveQuestion(std::string_view editorTitle);
inline constexpr const char* AsmSaveCaption = "Tarvine - Assemble File";
// The Assemble and Load Symbols file dialogs.
inline constexpr const char* AssembleDialogTitle = "Assemble";
inline constexpr const char* AssembleDialogFilter = "Assembly Source (*.asm)|*.asm|All Files (*.*)|*.*";
inline constexpr const char* LoadSymbolsDialogTitle = "Load Symbols";
inline constexpr const char* LoadSymbolsDialogFilter = "Listing Files (*.lst)|*.lst|All Files (*.*)|*.*";

// The text of the "Assembling Done" box.
std::string assemblyDoneMessage(const AssembleTitles& titles);
inline constexpr const char* AssemblyDoneCaption = "Tarvine - Assembling Done";
inline constexpr const char* AssembleErrorCaption = "Tarvine - Assemble Error";

// Where the assembler and its script live (the program's directory) and
// their file names.
struct AssembleTools {
    std::filesystem::path programDir;
    std::string assembler = "as11";
    std::string script = "asm.sh";
    std::filesystem::path assemblerPath() const { return programDir / assembler; }
    std::filesystem::path scriptPath() const { return programDir / script; }
};
// "Can't Find <name> !" for the first of the two files that is missing, or
// empty when both exist.
std::string missingToolMessage(const AssembleTools& tools);

// The scratch directory. The program directory when it is writable, as the
// script expects; otherwise `userScratch`, created if needed, with the same
// file contract (the script is started with it as working directory).
// Returns an empty path when neither can be used.
std::filesystem::path chooseScratchDir(const std::filesystem::path& programDir,
                                       const std::filesystem::path& userScratch);
// The per-user fallback: $XDG_CACHE_HOME/zelk/assemble, else
// $HOME/.cache/zelk/assemble, else a "zelk-assemble-<uid>" folder in the
// system's temporary directory.
std::filesystem::path defaultUserScratchDir();
bool directoryWritable(const std::filesystem::path& dir);

// Starts the batch script as a separate process and returns at once.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // Starts `script` with `workDir` as its working directory and
    // `programDir` in its environment as ZELK_PROGRAM_DIR (where the
    // assembler is). Returns false with a description in `error` when it
    // cannot be started.
    virtual bool start(const std::filesystem::path& script, const std::filesystem::path& workDir,
                       const std::filesystem::path& programDir, std::string& error) = 0;
};

// A CommandRunner for Qt-free callers (the tests, the headless tools): runs
// the script with /bin/sh, stdin from /dev/null, in a process group of its
// own. Children that have ended are reaped at the next start; destruction
// stops what is still running.
class SpawnRunner final : public CommandRunner {
public:
    ~SpawnRunner() override;
    bool start(const std::filesystem::path& script, const std::filesystem::path& workDir,
               const std::filesystem::path& programDir, std::string& error) override;
    // Waits up to `timeout` for every started child to end; true when all have.
    bool waitAll(std::chrono::milliseconds timeout);
    // Kills the process group of every started script (the script and all
    // it started, also those it left running in the background) and reaps
    // the scripts.
    void stopAll();

private:
    void reap(bool block);
    std::vector<pid_t> children_;
};

// ---- The steps, each usable on its own --------------------------------

// Deletes "Temp$$$.$$$", "Temp$$$.asm", "Temp$$$.lst", "Temp$$$.err",
// "Temp$$$.s19" where they exist, in this order. False (with the system's
// description) when one exists and cannot be deleted.
bool deleteScratchFiles(const std::filesystem::path& scratchDir, std::string& error);
// Copies the source file to "Temp$$$.asm" in the scratch directory.
bool copySourceToScratch(const std::filesystem::path& source, const std::filesystem::path& scratchDir,
                         std::string& error);
// Polls for the marker until it exists (true) or `timeout` has passed (false).
bool waitForMarker(const std::filesystem::path& scratchDir, std::chrono::milliseconds timeout,
                   std::chrono::milliseconds poll = std::chrono::milliseconds(50));
// Deletes the marker, retrying while the script still holds it, up to `timeout`.
bool removeMarker(const std::filesystem::path& scratchDir, std::chrono::milliseconds timeout,
                  std::chrono::milliseconds poll = std::chrono::milliseconds(50));
// Deletes the listing, error and machine-code titles in the source directory.
void removeStaleResults(const std::filesystem::path& sourceDir, const AssembleTitles& titles);

// Which results were moved beside the source.
struct MovedResults {
    bool machineCode = false;
    bool listing = false;
    bool errors = false;
    std::string error;  // description of a result that existed but could not be moved
};
// Moves "Temp$$$.s19", "Temp$$$.lst", "Temp$$$.err" (each where it exists)
// to the machine-code, listing and error titles in the source directory.
MovedResults moveResults(const std::filesystem::path& scratchDir, const std::filesystem::path& sourceDir,
                         const AssembleTitles& titles);

// ---- The whole run ------------------------------------------------------

struct AssembleRequest {
    std::filesystem::path sourceDir;   // where the source is and the results go
    std::string targetTitle;           // the source's file name
    AssembleTools tools;
    std::filesystem::path scratchDir;  // empty: chooseScratchDir(programDir, defaultUserScratchDir())
    // The script has this long to create its marker; a run that never does
    // is given up with a message rather than hanging the IDE.
    std::chrono::milliseconds markerTimeout = std::chrono::seconds(60);
    std::chrono::milliseconds releaseTimeout = std::chrono::seconds(5);
    std::chrono::milliseconds poll = std::chrono::milliseconds(50);
};

enum class AssembleStatus {
    Done,         // the script ran; see the flags for the results
    MissingTool,  // assembler or script not found; nothing done
    NoScratch,    // no writable scratch directory
    Failed,       // a file step failed (message says which)
    StartFailed,  // the script could not be started
    TimedOut,     // no marker within markerTimeout
    Refused,      // the source would be lost: it carries a result or scratch name
};

struct AssembleOutcome {
    AssembleStatus status = AssembleStatus::Failed;
    // For every status but Done: the warning box (AssembleErrorCaption).
    std::string message;
    AssembleTitles titles;
    std::filesystem::path scratchDir;
    MovedResults results;
    // With a listing: the file to load the symbols from.
    std::filesystem::path listingPath;
    // With an error listing: the file for the error list, and the error
    // source path and title that Show Error opens.
    std::filesystem::path errorPath;
    std::string errorSourcePath;
    std::string errorSourceTitle;
};

// Why the source cannot be assembled without losing it, or empty: a source
// whose title is one of its own result titles (prog.lst) would be deleted as
// a stale result, and the scratch copy "Temp$$$.asm" itself would be
// deleted before it is copied.
std::string sourceConflictMessage(const std::filesystem::path& sourceDir, const AssembleTitles& titles,
                                  const std::filesystem::path& scratchDir);

// FileAssemble without its windows: steps 1-14 of the command. The caller
// then loads the symbols (listingPath) and shows the "Assembling Done" box
// when a listing came, and the error list when an error listing came.
AssembleOutcome FileAssemble(const AssembleRequest& request, CommandRunner& runner);

} // namespace zelk
