// zelk: the ZELK program.
//
//   zelk [--simulator | --board] [--port DEVICE] [FILE.asm | FILE.s19]
//
// --simulator and --board choose the target mode this time without changing
// the stored setting; --port opens the board's serial line on DEVICE (a
// serial device or a pseudo-terminal such as zelk-board's /dev/pts/N) for
// this run, leaving the stored port as it is. A .s19 file is loaded into the target with PC from its reset
// vector; a source file opens in an editor (or, without one, its .s19
// sibling is loaded).
#include "shell/frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

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
    QCommandLineOption boardMode(QStringLiteral("board"), QStringLiteral("Use the board for this run."));
    cl.addOption(boardMode);
    QCommandLineOption port(QStringLiteral("port"),
                            QStringLiteral("Open the board's serial line on this device for this run."),
                            QStringLiteral("DEVICE"));
    cl.addOption(port);
    cl.addPositionalArgument(QStringLiteral("file"), QStringLiteral("An .asm source or an .s19 program."),
                             QStringLiteral("[FILE]"));
    cl.process(app);
    // The main window makes the program's folder the current directory as
    // it starts: resolve a file named on the command line before that.
    QStringList files;
    for (const QString& f : cl.positionalArguments())
        files << QFileInfo(f).absoluteFilePath();

    if (cl.isSet(sim) && cl.isSet(boardMode)) {
        std::fprintf(stderr, "zelk: --simulator and --board exclude each other\n");
        return 2;
    }

    zelk::frmMain w;
    if (cl.isSet(port))
        w.usePortDevice(cl.value(port));
    if (cl.isSet(sim))
        w.forceSimulator();
    if (cl.isSet(boardMode))
        w.forceBoard();
    w.showAsStored();
    if (!files.isEmpty()) {
        const QString f = files.first();
        QTimer::singleShot(0, &w, [&w, f] { w.openFile(f); });
    }
    return app.exec();
}
