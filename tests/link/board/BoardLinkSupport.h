// The IDE's side of the board link for the pty tests: an access layer and
// run control over the real serial port (QSerialPort through SerialBytePort)
// attached to a zelk-board process, next to a simulator-mode access layer
// for comparisons.
#pragma once

#include "../LinkTestSupport.h"
#include "BoardProcess.h"

#include "link/AccessLayer.h"
#include "link/BoardTarget.h"
#include "link/ui/SerialBytePort.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <QSerialPort>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelk::test {

struct BoardSession {
    explicit BoardSession(std::vector<std::string> args = {"--baud", "0"}) : process(args)
    {
        if (!process.started())
            return;
        serial.setPortName(QString::fromStdString(process.ptyPath()));
        std::string error;
        opened = port.open(error);
        openError = error;
        link.setBoard(&board);
        link.setMode(TargetMode::Board);
        link.setLinkReady(true);
    }
    // Writes bytes into the board's memory through the link.
    void put(int32_t address, const std::vector<uint8_t>& bytes)
    {
        link.OutBytes(address, bytes, static_cast<int32_t>(bytes.size()));
    }
    std::vector<uint8_t> get(int32_t address, int count)
    {
        std::vector<uint8_t> b;
        link.InBytes(address, b, count);
        return b;
    }

    BoardProcess process;
    QSerialPort serial;
    SerialBytePort port{serial};
    RecordingNotifier notifier;
    CountingHooks hooks;
    AccessLayer link{&notifier, &hooks};
    BoardTarget board{link, port};
    BreakpointTable breakpoints;
    ExecutionControl control{link, breakpoints};
    bool opened = false;
    std::string openError;
};

#define ASSERT_BOARD(s)                                                                  \
    ASSERT_TRUE((s).process.started()) << (s).process.error();                           \
    ASSERT_TRUE((s).opened) << (s).openError

} // namespace zelk::test
