// Shared by the window latency benchmarks: a shown main window in simulator
// mode over a temporary settings file (no real serial port), with messages
// swallowed so that nothing waits for a click.
#pragma once

#include "shell/frmMain.h"

#include <QSettings>
#include <QTemporaryDir>

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
