// The Assemble and Load Symbols commands.
#include "editor/ui/AssembleCommand.h"

#include "editor/ProgramFiles.h"

#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/frmEditor.h"
#include "editor/ui/frmError.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>

#include <memory>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace zelk {

QString AssembleSettings::programDir;
std::chrono::milliseconds AssembleSettings::markerTimeout = std::chrono::seconds(60);

namespace {

// The one script process of the program; a new run replaces a finished one.
std::unique_ptr<QProcess>& scriptProcess()
{
    static std::unique_ptr<QProcess> p;
    return p;
}

std::filesystem::path fsPath(const QString& s) { return std::filesystem::path(QFile::encodeName(s).toStdString()); }
QString qPath(const std::filesystem::path& p) { return QFile::decodeName(QByteArray::fromStdString(p.string())); }

} // namespace

// The folder of the script (and of the assembler beside it): the program's
// folder, or the data folder of an installed tree.
QString AssembleSettings::effectiveProgramDir()
{
    if (!programDir.isEmpty())
        return programDir;
    const std::filesystem::path appDir = fsPath(QCoreApplication::applicationDirPath());
    return qPath(findProgramFile(appDir, AssembleTools{}.script).parent_path());
}

QProcessRunner::~QProcessRunner() = default;

bool QProcessRunner::start(const std::filesystem::path& script, const std::filesystem::path& workDir,
                           const std::filesystem::path& programDir, std::string& error)
{
    auto& p = scriptProcess();
    if (p && p->state() != QProcess::NotRunning)
        stop();
    p = std::make_unique<QProcess>();
    p->setWorkingDirectory(qPath(workDir));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZELK_PROGRAM_DIR"), qPath(programDir));
    p->setProcessEnvironment(env);
    p->setStandardInputFile(QProcess::nullDevice());
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    // The run gets a process group of its own, so that stopping it reaches
    // every process the script started, not only the shell.
    p->setChildProcessModifier([] { ::setpgid(0, 0); });
    // The marker also follows a script that ends without writing it (a
    // broken script, a shell error), so the wait ends when the script does;
    // a run that leaves no result at all is then reported as failed. Then
    // the wrapper ends its group: a process the script left running in the
    // background could otherwise write scratch files or the marker into a
    // later assembly. ("-$$" names the group only if the wrapper leads it.)
    p->start(QStringLiteral("/bin/sh"),
             {QStringLiteral("-c"),
              QStringLiteral("/bin/sh \"$1\"; : > '%1'; kill -KILL -$$").arg(QString::fromLatin1(scratch::Marker)),
              QStringLiteral("asm"), qPath(script)});
    if (!p->waitForStarted(5000)) {
        error = p->errorString().toStdString();
        return false;
    }
    return true;
}

void QProcessRunner::waitFinished(int ms)
{
    if (auto& p = scriptProcess(); p && p->state() != QProcess::NotRunning)
        p->waitForFinished(ms);
}

void QProcessRunner::stop()
{
    auto& p = scriptProcess();
    if (!p || p->state() == QProcess::NotRunning)
        return;
    // While QProcess has not seen the shell end, its pid (and so the group
    // it leads) cannot have been given to another process.
    if (const qint64 pid = p->processId(); pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    p->kill();
    p->waitForFinished(2000);
}

bool AsmSaved(frmMain& m)
{
    QAction* save = m.menuItem(QStringLiteral("mnuFileSave"));
    frmEditor* e = activeEditor(m);
    if (!save || !save->isEnabled() || !e)
        return true;
    const auto answer = EditorPrompts::question(&m, QString::fromLatin1(AsmSaveCaption),
                                                QString::fromStdString(asmSaveQuestion(e->EditorTitle.toStdString())),
                                                QMessageBox::Yes | QMessageBox::No, QMessageBox::Information);
    if (answer != QMessageBox::Yes)
        return false;
    m.runCommand(QStringLiteral("mnuFileSave"));
    return !save->isEnabled();
}

void mnuFileAssemble(frmMain& m)
{
    if (!AsmSaved(m))
        return;
    ProgramFiles& files = programFiles();
    switch (assembleAction(files.assemblyTargetTitle.toStdString(), fsPath(QDir::currentPath()))) {
    case AssembleAction::Assemble:
        FileAssemble(m);
        return;
    case AssembleAction::Nothing:
        return;
    case AssembleAction::AskForFile:
        break;
    }
    int index = 1;
    const QString path = EditorPrompts::fileDialog(&m, QString::fromLatin1(AssembleDialogTitle),
                                                   QString::fromLatin1(AssembleDialogFilter), index,
                                                   files.assemblyTargetTitle, false);
    if (path.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(path).absolutePath());
    files.assemblyTargetTitle = QFileInfo(path).fileName();
    FileAssemble(m);
}

void FileAssembleClick(frmMain& m)
{
    // Save question, then the existing target or the menu command's choice:
    // exactly the steps of the menu command.
    mnuFileAssemble(m);
}

void FileAssemble(frmMain& m)
{
    ProgramFiles& files = programFiles();
    AssembleRequest req;
    req.sourceDir = fsPath(QDir::currentPath());
    req.targetTitle = files.assemblyTargetTitle.toStdString();
    req.tools.programDir = fsPath(AssembleSettings::effectiveProgramDir());
    req.markerTimeout = AssembleSettings::markerTimeout;

    QProcessRunner runner;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    AssembleOutcome out = zelk::FileAssemble(req, runner);
    // A script that is still running after its marker (or never wrote it)
    // is stopped with everything it started.
    if (out.status != AssembleStatus::TimedOut)
        runner.waitFinished(2000);
    runner.stop();
    // No scratch file outlives the run (the copy of the source, a result
    // that could not be moved, the half-written files of a stopped script).
    if (!out.scratchDir.empty() && out.status != AssembleStatus::Refused) {
        std::string ignored;
        deleteScratchFiles(out.scratchDir, ignored);
    }
    QApplication::restoreOverrideCursor();

    if (out.status != AssembleStatus::Done) {
        m.message(AssembleErrorCaption, out.message, MessageIcon::Exclamation);
        return;
    }
    files.listingTitle = QString::fromStdString(out.titles.listing);
    files.errorTitle = QString::fromStdString(out.titles.error);
    files.machineCodeTitle = QString::fromStdString(out.titles.machineCode);
    if (out.results.machineCode)
        files.downloadFileName = qPath(req.sourceDir / out.titles.machineCode);
    if (!out.message.empty())
        m.message(AssembleErrorCaption, out.message, MessageIcon::Exclamation);
    else if (!out.results.listing && !out.results.errors && !out.results.machineCode)
        m.message(AssembleErrorCaption, NoResultsMessage, MessageIcon::Exclamation);
    if (out.results.listing) {
        FileLoadSymbols(m, qPath(out.listingPath), qPath(req.sourceDir / req.targetTitle));
        m.message(AssemblyDoneCaption, assemblyDoneMessage(out.titles), MessageIcon::Information);
    }
    if (out.results.errors) {
        files.errorSourceTitle = QString::fromStdString(out.errorSourceTitle);
        files.errorSourcePath = qPath(out.errorSourcePath);
        frmError* list = frmError::instance();
        if (!list)
            list = new frmError(m);
        list->ErrorShow(qPath(out.errorPath));
    }
    if (frmEditor* e = activeEditor(m); e && !e->EditorName.isEmpty())
        files.assemblyTargetTitle = e->EditorTitle;
}

void mnuFileLoadSymbols(frmMain& m)
{
    ProgramFiles& files = programFiles();
    int index = 1;
    const QString path = EditorPrompts::fileDialog(&m, QString::fromLatin1(LoadSymbolsDialogTitle),
                                                   QString::fromLatin1(LoadSymbolsDialogFilter), index,
                                                   files.listingTitle, false);
    if (path.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(path).absolutePath());
    files.listingTitle = QFileInfo(path).fileName();
    FileLoadSymbols(m, path);
}

namespace {

void installAssembleCommands(frmMain& m)
{
    frmMain* mp = &m;
    m.setCommand(QStringLiteral("mnuFileAssemble"), [mp] { mnuFileAssemble(*mp); });
    m.setCommand(QStringLiteral("Assemble"), [mp] { FileAssembleClick(*mp); });
    m.setCommand(QStringLiteral("mnuFileLoadSymbols"), [mp] { mnuFileLoadSymbols(*mp); });
}

} // namespace

ZELK_REGISTER_EXTENSION(assemble, installAssembleCommands);

} // namespace zelk
