// The assemble run: scratch files, the batch script, the marker wait and the
// results beside the source.
#include "editor/AssembleFlow.h"
#include "link/FileOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zelk {

namespace fs = std::filesystem;

std::string assembleBaseName(std::string_view title)
{
    size_t dot = title.rfind('.');
    return std::string(dot == std::string_view::npos ? title : title.substr(0, dot));
}

AssembleTitles assembleTitles(std::string_view targetTitle)
{
    AssembleTitles t;
    t.target = std::string(targetTitle);
    t.base = assembleBaseName(targetTitle);
    t.listing = t.base + ".lst";
    t.error = t.base + ".err";
    t.machineCode = t.base + ".s19";
    return t;
}

AssembleAction assembleAction(std::string_view targetTitle, const fs::path& currentDir)
{
    if (targetTitle.empty())
        return AssembleAction::AskForFile;
    std::error_code ec;
    if (fs::is_regular_file(currentDir / fs::path(std::string(targetTitle)), ec))
        return AssembleAction::Assemble;
    return AssembleAction::Nothing;
}

std::string asmSaveQuestion(std::string_view editorTitle)
{
    return "Save " + std::string(editorTitle) + " ?";
}

std::string assemblyDoneMessage(const AssembleTitles& titles)
{
    const std::string lineBreak = "\n\r";
    return "Assembly Source:\t" + titles.target + lineBreak + "Listing (Symbol):\t" + titles.listing + lineBreak +
           "Machine Code:\t" + titles.machineCode;
}

std::string missingToolMessage(const AssembleTools& tools)
{
    std::error_code ec;
    if (!fs::is_regular_file(tools.assemblerPath(), ec))
        return "Can't Find " + tools.assembler + " !";
    if (!fs::is_regular_file(tools.scriptPath(), ec))
        return "Can't Find " + tools.script + " !";
    return {};
}

bool directoryWritable(const fs::path& dir)
{
    std::error_code ec;
    if (dir.empty() || !fs::is_directory(dir, ec))
        return false;
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

fs::path defaultUserScratchDir()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return fs::path(cache) / "zelk" / "assemble";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return fs::path(home) / ".cache" / "zelk" / "assemble";
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    if (ec)
        tmp = "/tmp";
    return tmp / ("zelk-assemble-" + std::to_string(::getuid()));
}

fs::path chooseScratchDir(const fs::path& programDir, const fs::path& userScratch)
{
    if (directoryWritable(programDir))
        return programDir;
    if (userScratch.empty())
        return {};
    std::error_code ec;
    fs::create_directories(userScratch, ec);
    if (directoryWritable(userScratch))
        return userScratch;
    return {};
}

// ---- SpawnRunner ---------------------------------------------------------

SpawnRunner::~SpawnRunner()
{
    stopAll();
}

void SpawnRunner::stopAll()
{
    // A child not yet reaped keeps its pid, and so the group it leads,
    // from being given to another process: the group is still ours.
    for (pid_t pid : children_)
        ::kill(-pid, SIGKILL);
    reap(true);
}

void SpawnRunner::reap(bool block)
{
    for (size_t i = 0; i < children_.size();) {
        int status = 0;
        pid_t r = ::waitpid(children_[i], &status, block ? 0 : WNOHANG);
        if (r == children_[i] || (r < 0 && errno == ECHILD))
            children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

bool SpawnRunner::waitAll(std::chrono::milliseconds timeout)
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        reap(false);
        if (children_.empty())
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool SpawnRunner::start(const fs::path& script, const fs::path& workDir, const fs::path& programDir,
                        std::string& error)
{
    reap(false);
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        error = std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());

    // The environment plus ZELK_PROGRAM_DIR, so the script finds the
    // assembler wherever its working directory is.
    std::vector<std::string> envStrings;
    for (char** e = environ; e && *e; ++e)
        if (std::strncmp(*e, "ZELK_PROGRAM_DIR=", 17) != 0)
            envStrings.emplace_back(*e);
    envStrings.push_back("ZELK_PROGRAM_DIR=" + programDir.string());
    std::vector<char*> envp;
    for (std::string& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    // Its own process group (pgid = its pid), so that stopAll reaches
    // everything the script starts.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);

    std::string shell = "/bin/sh";
    std::string scriptArg = script.string();
    char* argv[] = {shell.data(), scriptArg.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, shell.c_str(), &actions, &attr, argv, envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        error = std::strerror(rc);
        return false;
    }
    children_.push_back(pid);
    return true;
}

// ---- Steps ------------------------------------------------------------------

bool deleteScratchFiles(const fs::path& scratchDir, std::string& error)
{
    for (const char* name : {scratch::Marker, scratch::Source, scratch::Listing, scratch::Errors,
                             scratch::MachineCode}) {
        std::error_code ec;
        fs::path p = scratchDir / name;
        // remove() reports false without an error when there is nothing to delete.
        fs::remove(p, ec);
        if (ec) {
            error = ec.message();
            return false;
        }
    }
    return true;
}

bool copySourceToScratch(const fs::path& source, const fs::path& scratchDir, std::string& error)
{
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        error = std::strerror(ENOENT);
        return false;
    }
    if (!fs::copy_file(source, scratchDir / scratch::Source, fs::copy_options::overwrite_existing, ec)) {
        error = ec ? ec.message() : std::string(std::strerror(EIO));
        return false;
    }
    return true;
}

bool waitForMarker(const fs::path& scratchDir, std::chrono::milliseconds timeout, std::chrono::milliseconds poll)
{
    const fs::path marker = scratchDir / scratch::Marker;
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::error_code ec;
        if (fs::exists(marker, ec))
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(poll);
    }
}

bool removeMarker(const fs::path& scratchDir, std::chrono::milliseconds timeout, std::chrono::milliseconds poll)
{
    const fs::path marker = scratchDir / scratch::Marker;
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::error_code ec;
        fs::remove(marker, ec);
        if (!fs::exists(fs::symlink_status(marker, ec)))
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(poll);
    }
}

void removeStaleResults(const fs::path& sourceDir, const AssembleTitles& titles)
{
    for (const std::string* title : {&titles.listing, &titles.error, &titles.machineCode}) {
        std::error_code ec;
        fs::remove(sourceDir / *title, ec);
    }
}

namespace {

// Moves a file, copying across file systems (a scratch directory on another
// disk than the source) when a rename cannot; the result beside the source
// is replaced whole or not at all.
bool moveFile(const fs::path& from, const fs::path& to, std::string& error)
{
    error = moveFileAtomically(from, to);
    return error.empty();
}

} // namespace

MovedResults moveResults(const fs::path& scratchDir, const fs::path& sourceDir, const AssembleTitles& titles)
{
    MovedResults moved;
    struct Item {
        const char* scratchName;
        const std::string& title;
        bool& flag;
    };
    Item items[] = {
        {scratch::MachineCode, titles.machineCode, moved.machineCode},
        {scratch::Listing, titles.listing, moved.listing},
        {scratch::Errors, titles.error, moved.errors},
    };
    for (Item& item : items) {
        std::error_code ec;
        fs::path from = scratchDir / item.scratchName;
        if (!fs::is_regular_file(from, ec))
            continue;
        std::string error;
        if (moveFile(from, sourceDir / item.title, error))
            item.flag = true;
        else if (moved.error.empty())
            moved.error = error;
    }
    return moved;
}

std::string sourceConflictMessage(const fs::path& sourceDir, const AssembleTitles& titles, const fs::path& scratchDir)
{
    const std::string refusal = "Can't Assemble " + titles.target + " (Same Name As Its Results) !";
    for (const std::string* result : {&titles.listing, &titles.error, &titles.machineCode})
        if (*result == titles.target)
            return refusal;
    std::error_code ec;
    const fs::path source = sourceDir / titles.target;
    for (const char* name : {scratch::Marker, scratch::Source, scratch::Listing, scratch::Errors,
                             scratch::MachineCode}) {
        if (fs::equivalent(source, scratchDir / name, ec))
            return refusal;
    }
    // The results of a source named like the scratch files, in the scratch
    // directory, would be the scratch files themselves.
    if (titles.base == "Temp$$$" && fs::equivalent(sourceDir, scratchDir, ec))
        return refusal;
    return {};
}

AssembleOutcome FileAssemble(const AssembleRequest& request, CommandRunner& runner)
{
    AssembleOutcome out;
    auto fail = [&out](AssembleStatus status, std::string message) {
        out.status = status;
        out.message = std::move(message);
        return out;
    };

    if (std::string missing = missingToolMessage(request.tools); !missing.empty())
        return fail(AssembleStatus::MissingTool, missing);

    out.titles = assembleTitles(request.targetTitle);
    out.scratchDir = request.scratchDir.empty()
                         ? chooseScratchDir(request.tools.programDir, defaultUserScratchDir())
                         : request.scratchDir;
    if (out.scratchDir.empty() || !directoryWritable(out.scratchDir))
        return fail(AssembleStatus::NoScratch, "Can't Write Assembler Files !");

    if (std::string conflict = sourceConflictMessage(request.sourceDir, out.titles, out.scratchDir);
        !conflict.empty())
        return fail(AssembleStatus::Refused, conflict);

    std::string error;
    if (!deleteScratchFiles(out.scratchDir, error))
        return fail(AssembleStatus::Failed, error + " !");
    if (!copySourceToScratch(request.sourceDir / request.targetTitle, out.scratchDir, error))
        return fail(AssembleStatus::Failed, error + " !");
    if (!runner.start(request.tools.scriptPath(), out.scratchDir, request.tools.programDir, error))
        return fail(AssembleStatus::StartFailed, error + " !");
    if (!waitForMarker(out.scratchDir, request.markerTimeout, request.poll))
        return fail(AssembleStatus::TimedOut, "Assembler Did Not Finish !");
    // A marker the script never lets go of does not stop the results.
    removeMarker(out.scratchDir, request.releaseTimeout, request.poll);

    removeStaleResults(request.sourceDir, out.titles);
    out.results = moveResults(out.scratchDir, request.sourceDir, out.titles);
    if (out.results.listing)
        out.listingPath = request.sourceDir / out.titles.listing;
    if (out.results.errors) {
        out.errorPath = request.sourceDir / out.titles.error;
        out.errorSourceTitle = out.titles.target;
        out.errorSourcePath = (request.sourceDir / out.titles.target).string();
    }
    out.status = AssembleStatus::Done;
    if (!out.results.error.empty())
        out.message = out.results.error + " !";
    return out;
}

} // namespace zelk
