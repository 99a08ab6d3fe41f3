// Shared by the disassembler and stack window tests: a shown main window in
// simulator mode over a temporary settings file, with messages recorded, and
// helpers to put code into the image and to open a window at a known size.
#pragma once

#include "shell/frmMain.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <initializer_list>
#include <memory>

struct UiFixture {
    QTemporaryDir dir;
    std::unique_ptr<QSettings> qs;
    std::unique_ptr<zelk::SettingsStore> store;
    std::unique_ptr<zelk::frmMain> main;
    QStringList messages;  // "caption|text"

    UiFixture()
    {
        qs = std::make_unique<QSettings>(dir.filePath("zelk.ini"), QSettings::IniFormat);
        qs->setValue("Settings/COMDevice", "/nonexistent/zelk-test-port");
        qs->setValue("Settings/SimEnabled", "True");
        qs->sync();
        store = std::make_unique<zelk::SettingsStore>(qs.get());
        main = std::make_unique<zelk::frmMain>(store.get());
        main->messageHook = [this](const QString& c, const QString& t, zelk::MessageIcon) {
            messages << c + "|" + t;
        };
        main->forceSimulator();
        main->resize(1000, 900);
        main->show();
    }

    zelk::frmMain& m() { return *main; }

    void put(int address, std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            main->access().image()[address++ & 0xFFFF] = static_cast<uint8_t>(b);
    }
    void fill(int from, int count, uint8_t value)
    {
        for (int i = 0; i < count; ++i)
            main->access().image()[(from + i) & 0xFFFF] = value;
    }

    // PC and SP of the stopped program (SP also in the register save area).
    void setRegs(int pc, int sp)
    {
        auto& r = main->access().regs;
        r.PC = pc;
        r.SP = sp;
        uint8_t* img = main->access().image();
        img[6] = uint8_t(sp >> 8);
        img[7] = uint8_t(sp);
    }

    // Opens the window of a View item and gives it height for `rows` rows of
    // its row list (or leaves the default size when rows is 0).
    template <class W>
    W* open(const char* item, int rows = 0)
    {
        auto* w = qobject_cast<W*>(main->openView(QString::fromLatin1(item)));
        if (!w)
            return nullptr;
        auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        if (rows > 0 && sub) {
            const int extra = sub->height() - w->rowView()->height();
            sub->resize(520, rows * w->rowView()->rowHeight() + extra + w->rowView()->rowHeight() / 2);
        }
        if (sub)
            main->mdiArea()->setActiveSubWindow(sub);
        QCoreApplication::processEvents();
        return w;
    }
};
