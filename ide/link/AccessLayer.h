// The target access layer: the one way every view, the download and run
// control read and write the 68HC11 target. It owns the CPU register record,
// the link-ready flag, the target mode and the working copies the views draw
// from, and serves each operation from the target of the current mode (the
// simulator's memory image, or a board attached later through setBoard()).
//
// Failure reporting: no operation returns a status. A failed board exchange
// has shown its own message and leaves linkReady() false and its destination
// unchanged; callers test linkReady() where they care.
#pragma once

#include "code/CodeWindow.h"
#include "link/BoardTarget.h"
#include "link/BytePort.h"
#include "link/CpuRegisters.h"
#include "link/IoUnit.h"
#include "link/Notifier.h"
#include "link/SimulatorTarget.h"
#include "link/Target.h"
#include "link/ViewHooks.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelk {

class AccessLayer {
public:
    // The address of each I/O unit register.
    static constexpr int32_t IoInFresh = 0x6000, IoInData = 0x6001, IoOutFresh = 0x6002, IoOutData = 0x6003;

    // notifier shows the board's failure messages; hooks receive BoardStatus.
    // Either may be null (messages are then dropped, hooks do nothing).
    explicit AccessLayer(Notifier* notifier = nullptr, ViewHooks* hooks = nullptr);
    AccessLayer(const AccessLayer&) = delete;
    AccessLayer& operator=(const AccessLayer&) = delete;
    ~AccessLayer();

    void setNotifier(Notifier* notifier);
    void setHooks(ViewHooks* hooks);
    Notifier& notifier() { return *notifier_; }
    ViewHooks& hooks() { return *hooks_; }
    // False while no hooks are attached (headless): run control then skips
    // the per-step view calls altogether.
    bool hasHooks() const { return hooks_ != &noHooks_; }

    // ---- Target mode and link state -------------------------------------
    // Every operation looks at the mode when it runs. Choosing the simulator
    // makes the link ready (the simulator is always reachable); the image is
    // kept across mode changes.
    void setMode(TargetMode mode);
    TargetMode mode() const { return mode_; }
    bool simulatorMode() const { return mode_ == TargetMode::Simulator; }
    // The board target used in board mode (not owned; null = no serial port
    // attached: every board operation then reports that the port cannot be
    // opened).
    void setBoard(Target* board);
    Target& target();

    // Board link state beside the link-ready flag: the board runs freely
    // (after an acknowledged Run, until its reset notice), and the text
    // appended to "HC11 Board: Ready" ("" or " (Reset)").
    bool boardRunning = false;
    std::string statusSuffix;

    bool linkReady() const { return linkReady_; }
    void setLinkReady(bool ready) { linkReady_ = ready; }
    // FindBoard: makes sure the target of the current mode is reachable and
    // sets the link-ready flag (always true in simulator mode).
    bool FindBoard();

    // ---- The operations ---------------------------------------------------
    // Address arithmetic wraps modulo $10000 everywhere.
    void InByte(int32_t address, uint8_t& value);
    // Buffer is resized to count (0..$10000) and filled on success.
    void InBytes(int32_t address, std::vector<uint8_t>& buffer, int32_t count);
    // Registers A, B, IX, IY, SP, CCR (and the flags) from the register save
    // area $0000-$0008 into regs. PC is never read from the target.
    void InCPU();
    // memoryBuffer = 1,024 bytes from DisplayAddress (four 256-byte reads,
    // stopping at the first failure).
    void InMemory();
    // codeWindow.bytes = 256 bytes from codeWindow.base.
    void InProgram();
    // stackBuffer = the 10 bytes at SP..SP+9 (SP+8..SP+9 hold an RTI frame's
    // return address).
    void InStack();
    // The word at $FFFE-$FFFF; value unchanged on failure.
    void InResetVector(int32_t& value);
    // Writes one byte. Writing $6000-$6003 first tells the I/O unit (in
    // either mode, shown or not).
    void OutByte(int32_t address, uint8_t value);
    // Writes count bytes, only while the link is already ready (no
    // FindBoard, no message otherwise).
    void OutBytes(int32_t address, const uint8_t* data, int32_t count);
    void OutBytes(int32_t address, const std::vector<uint8_t>& data, int32_t count);
    // Erases $E000-$FFFF (simulator: sets them to $FF). No status report.
    void FlashErase();
    // Programs count bytes (one S-record's data) at address.
    void Programm(int32_t address, const uint8_t* data, int32_t count);

    // registerImage = the 64 bytes of the register block $1000-$103F (the
    // refresh cycle's fill for the register-block windows).
    void fillRegisterImage();

    // Fills a code window at base for a caller that decodes on its own.
    void fillCodeWindow(CodeWindow& window, int32_t base);

    // ---- Shared state -------------------------------------------------------
    CpuRegisters regs;                       // the one CPU register record
    std::array<uint8_t, 1024> memoryBuffer{}; // the memory window's copy
    int32_t DisplayAddress = 0;              // ... and its start address
    CodeWindow codeWindow;                   // the disassembler's copy
    std::array<uint8_t, 10> stackBuffer{};    // SP..SP+9
    std::array<uint8_t, 64> registerImage{};  // $1000-$103F

    // ---- The simulator ------------------------------------------------------
    SimulatorTarget& simulator() { return sim_; }
    uint8_t* image() { return sim_.image(); }
    // The I/O unit (not owned) and whether its View item is checked.
    void setIoUnit(IoUnit* unit) { sim_.setIoUnit(unit); }
    void setIoActive(bool active) { sim_.setIoActive(active); }
    bool ioActive() const { return sim_.ioActive(); }

private:
    bool ensureLink() { return FindBoard(); }
    bool readInto(int32_t address, uint8_t* out, int32_t count, bool codeWindow = false);
    void reportStatus()
    {
        if (hasHooks())
            hooks_->BoardStatus();
    }

    Notifier* notifier_;
    ViewHooks* hooks_;
    std::unique_ptr<Notifier> silentNotifier_;
    ViewHooks noHooks_;
    std::unique_ptr<BytePort> noPort_;
    std::unique_ptr<BoardTarget> noBoard_;
    SimulatorTarget sim_;
    Target* board_ = nullptr;
    TargetMode mode_ = TargetMode::Simulator;
    bool linkReady_ = true;
};

} // namespace zelk
