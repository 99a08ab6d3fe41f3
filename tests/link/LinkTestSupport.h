// Recording stand-ins for the IDE's windows, shared by the target link and
// run control tests: a notifier that keeps every message, view hooks that
// count their calls, an I/O unit that logs what the access layer told it.
#pragma once

#include "link/IoUnit.h"
#include "link/Notifier.h"
#include "link/ViewHooks.h"

#include <functional>
#include <string>
#include <vector>

namespace zelk::test {

struct Message {
    std::string caption, text;
    MessageIcon icon;
};

class RecordingNotifier : public Notifier {
public:
    void message(std::string caption, std::string text, MessageIcon icon) override
    {
        messages.push_back({std::move(caption), std::move(text), icon});
    }
    std::vector<Message> messages;
};

class CountingHooks : public ViewHooks {
public:
    void BoardStatus() override { ++boardStatus; }
    void ClockCountUpdate() override { ++clockCountUpdate; }
    void Refresh() override { ++refresh; }
    void RefreshCpuWindow() override { ++refreshCpuWindow; }
    void RedrawCpuWindow() override { ++redrawCpuWindow; }
    void GoToPCAddress() override { ++goToPC; }
    void FreezeDisplay() override { ++freeze; }
    void ThawDisplay() override { ++thaw; }
    void Menus() override { ++menus; }
    void processEvents() override
    {
        ++events;
        if (onEvents)
            onEvents();
    }
    void runStarted(RunKind) override { ++started; }
    void runStopped(RunKind) override { ++stopped; }
    bool deferStepUpdates() const override { return defer; }

    int boardStatus = 0, clockCountUpdate = 0, refresh = 0, refreshCpuWindow = 0, redrawCpuWindow = 0;
    int goToPC = 0, freeze = 0, thaw = 0, menus = 0, events = 0, started = 0, stopped = 0;
    std::function<void()> onEvents;
    bool defer = false;  // what deferStepUpdates() answers
};

// Logs each call as text: "InFresh 0", "OutData 65", ...
class LoggingIoUnit : public IoUnit {
public:
    void setInFresh(uint8_t v) override { log.push_back("InFresh " + std::to_string(v)); }
    void setInDataRegister(uint8_t v) override { log.push_back("InData " + std::to_string(v)); }
    void setOutFresh(uint8_t v) override { log.push_back("OutFresh " + std::to_string(v)); }
    void setOutDataRegister(uint8_t v) override { log.push_back("OutData " + std::to_string(v)); }
    std::vector<std::string> log;
};

} // namespace zelk::test
