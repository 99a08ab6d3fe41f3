// zelk: the ZELK program.
//
//   zelk [--simulator] [FILE.asm | FILE.s19]
//
// --simulator runs in simulator mode this time without changing the stored
// setting. A .s19 file is loaded into the target with PC from its reset
// vector; a source file opens in an editor (or, without one, its .s19
// sibling is loaded).
#include "shell/frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZELK Tools"));
    QApplication::setApplicationVersion(QStringLiteral(ZELK_VERSION));

    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("ZELK: development environment for the 68HC11"));
    cl.addHelpOption();
    cl.addVersionOption();
    QCommandLineOption sim(QStringLiteral("simulator"), QStringLiteral("Use the simulator for this run."));
    cl.addOption(sim);
    cl.addPositionalArgument(QStringLiteral("file"), QStringLiteral("An .asm source or an .s19 program."),
                             QStringLiteral("[FILE]"));
    cl.process(app);
    // The main window makes the program's folder the current directory as
    // it starts: resolve a file named on the command line before that.
    QStringList files;
    for (const QString& f : cl.positionalArguments())
        files << QFileInfo(f).absoluteFilePath();

    zelk::frmMain w;
    if (cl.isSet(sim))
        w.forceSimulator();
    w.showAsStored();
    if (!files.isEmpty()) {
        const QString f = files.first();
        QTimer::singleShot(0, &w, [&w, f] { w.openFile(f); });
    }
    return app.exec();
}
