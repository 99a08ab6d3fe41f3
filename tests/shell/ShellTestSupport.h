// Shared by the main-window tests: a main window over a temporary settings
// file, and small helpers to put a program into the simulator's image.
#pragma once

#include "shell/frmMain.h"

#include <QSettings>
#include <QTemporaryDir>

#include <initializer_list>
#include <memory>

struct ShellFixture {
    QTemporaryDir dir;
    std::unique_ptr<QSettings> qs;
    std::unique_ptr<zelk::SettingsStore> store;
    std::unique_ptr<zelk::frmMain> main;
    QStringList messages;  // "caption|text" of every message shown

    // A fresh settings file, optionally pre-filled with key=value pairs
    // ("Settings/COMPort" = "3").
    explicit ShellFixture(std::initializer_list<std::pair<const char*, const char*>> keys = {})
    {
        qs = std::make_unique<QSettings>(dir.filePath("zelk.ini"), QSettings::IniFormat);
        // No real serial port in tests: a device that cannot exist.
        qs->setValue("Settings/COMDevice", "/nonexistent/zelk-test-port");
        for (auto [k, v] : keys)
            qs->setValue(QString::fromLatin1(k), QString::fromLatin1(v));
        qs->sync();
        store = std::make_unique<zelk::SettingsStore>(qs.get());
    }

    zelk::frmMain& start(bool simulator = true)
    {
        main = std::make_unique<zelk::frmMain>(store.get());
        main->messageHook = [this](const QString& c, const QString& t, zelk::MessageIcon) {
            messages << c + "|" + t;
        };
        if (simulator)
            main->forceSimulator();
        return *main;
    }

    // Puts bytes into the image from address on.
    void put(int address, std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            main->access().image()[address++ & 0xFFFF] = static_cast<uint8_t>(b);
    }
};
