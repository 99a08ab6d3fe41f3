// Shared by the register and memory window tests: a main window in simulator
// mode over a temporary settings file that records every message (the
// main-window fixture), and a board stand-in whose memory has a ROM area that
// ignores writes.
#pragma once

#include "../../shell/ShellTestSupport.h"

#include "link/Target.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

#include <array>
#include <cstring>

struct WindowFixture : ShellFixture {
    // The register block is plain memory unless a test asks for the
    // simulated peripherals ("Settings/SimulatePeripherals" = "1").
    explicit WindowFixture(std::initializer_list<std::pair<const char*, const char*>> keys = {})
        : ShellFixture(keys)
    {
        if (!qs->contains("Settings/SimulatePeripherals")) {
            qs->setValue("Settings/SimulatePeripherals", "0");
            qs->sync();
        }
    }

    // Shows the main window in simulator mode.
    zelk::frmMain& start()
    {
        ShellFixture::start();
        main->resize(1400, 900);
        main->show();
        return *main;
    }

    uint8_t* image() { return main->access().image(); }

    // Makes the window's subwindow the active one (of an active main window,
    // as the refresh timer only serves the main window's active child).
    void activate(QWidget* w)
    {
        if (!main->isActiveWindow()) {
            main->activateWindow();
            if (!QTest::qWaitForWindowActive(main.get()))
                qWarning("the main window did not become active");
        }
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
            main->mdiArea()->setActiveSubWindow(sub);
    }
};

// A board that answers from its own 64 KB, where $E000-$FFFF is ROM: writes
// there are acknowledged but change nothing. `online` false makes every
// exchange fail as a silent board does.
class RomBoard : public zelk::Target {
public:
    std::array<uint8_t, 0x10000> mem{};
    bool online = true;

    zelk::TargetMode mode() const override { return zelk::TargetMode::Board; }
    bool findBoard() override { return online; }
    bool read(int32_t address, uint8_t* out, int count, bool) override
    {
        if (!online)
            return false;
        for (int i = 0; i < count; ++i)
            out[i] = mem[size_t((address + i) & 0xFFFF)];
        return true;
    }
    bool write(int32_t address, const uint8_t* data, int count) override
    {
        if (!online)
            return false;
        for (int i = 0; i < count; ++i) {
            const int a = (address + i) & 0xFFFF;
            if (a < 0xE000)
                mem[size_t(a)] = data[i];
        }
        return true;
    }
    bool program(int32_t address, const uint8_t* data, int count) override { return write(address, data, count); }
    bool erase() override { return online; }
    bool step(zelk::CpuRegisters&, const uint8_t*, zelk::StepKind) override { return false; }
};
