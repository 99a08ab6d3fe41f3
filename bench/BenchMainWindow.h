// Shared by the window latency benchmarks: a shown main window in simulator
// mode over a temporary settings file (no real serial port), with messages
// swallowed so that nothing waits for a click.
#pragma once

#include "shell/frmMain.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>

struct BenchMainWindow {
    QTemporaryDir dir;
    std::unique_ptr<QSettings> qs;
    std::unique_ptr<zelk::SettingsStore> store;
    std::unique_ptr<zelk::frmMain> main;

    BenchMainWindow(int width, int height)
    {
        qs = std::make_unique<QSettings>(dir.filePath("zelk.ini"), QSettings::IniFormat);
        qs->setValue("Settings/COMDevice", "/nonexistent/zelk-bench-port");
        store = std::make_unique<zelk::SettingsStore>(qs.get());
        main = std::make_unique<zelk::frmMain>(store.get());
        main->messageHook = [](const QString&, const QString&, zelk::MessageIcon) {};
        main->forceSimulator();
        main->resize(width, height);
        main->show();
    }
};

// The main of a window benchmark: the offscreen platform unless another is
// set, the application, the benchmarks; atEnd runs while the application
// still exists (to drop windows kept between benchmarks).
inline int runQtBenchmarks(int argc, char** argv, const std::function<void()>& atEnd = {})
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (atEnd)
        atEnd();
    return 0;
}
