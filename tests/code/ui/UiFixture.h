// Shared by the disassembler and stack window tests: a shown main window in
// simulator mode over a temporary settings file, with messages recorded (the
// main-window fixture), and helpers to put code into the image and to open a
// window at a known size.
#pragma once

#include "../../shell/ShellTestSupport.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

struct UiFixture : ShellFixture {
    UiFixture() : ShellFixture({{"Settings/SimEnabled", "True"}})
    {
        start();
        main->resize(1000, 900);
        main->show();
    }

    zelk::frmMain& m() { return *main; }

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
