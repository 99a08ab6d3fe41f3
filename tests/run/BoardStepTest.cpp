// The board half of MakeStep, Step Over and Step Out, over a fake board that
// serves memory and records the instruction slots it is asked to execute.
#include "RunTestSupport.h"

#include <array>

using namespace zelk;
using namespace zelk::test;

namespace {

class SteppingBoard : public Target {
public:
    TargetMode mode() const override { return TargetMode::Board; }
    bool findBoard() override { return true; }
    bool read(int32_t address, uint8_t* out, int count, bool) override
    {
        if (count == 1)
            byteReads.push_back(address);
        for (int i = 0; i < count; ++i)
            out[i] = mem[static_cast<size_t>((address + i) & 0xFFFF)];
        return true;
    }
    bool write(int32_t address, const uint8_t* data, int count) override
    {
        for (int i = 0; i < count; ++i)
            mem[static_cast<size_t>((address + i) & 0xFFFF)] = data[i];
        return true;
    }
    bool program(int32_t a, const uint8_t* d, int n) override { return write(a, d, n); }
    bool erase() override { return true; }
    bool step(CpuRegisters& regs, const uint8_t instr[5], StepKind kind) override
    {
        slots.push_back({instr[0], instr[1], instr[2], instr[3]});
        kinds.push_back(kind);
        pcAtSend.push_back(pcSource ? pcSource->PC : -1);
        if (failSteps)
            return false;
        regs.A = replyA;
        return true;
    }

    std::vector<uint8_t> mem = std::vector<uint8_t>(0x10000);
    std::vector<std::array<uint8_t, 4>> slots;
    std::vector<StepKind> kinds;
    std::vector<int32_t> pcAtSend;
    std::vector<int32_t> byteReads;  // single-byte reads (InByte)
    const CpuRegisters* pcSource = nullptr;
    bool failSteps = false;
    uint8_t replyA = 0x5A;
};

class BoardStepTest : public RunFixture {
protected:
    BoardStepTest()
    {
        board.pcSource = &link.regs;
        link.setBoard(&board);
        link.setMode(TargetMode::Board);
        link.setLinkReady(true);
    }
    void loadBoard(int32_t address, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes)
            board.mem[static_cast<size_t>(address++ & 0xFFFF)] = b;
    }
    SteppingBoard board;
};

TEST_F(BoardStepTest, StepIntoSendsTheInstructionPaddedWithNops)
{
    loadBoard(0xC000, {0x86, 0x12});
    link.regs.PC = 0xC000;
    ASSERT_TRUE(control.StepInto());
    ASSERT_EQ(board.slots.size(), 1u);
    EXPECT_EQ(board.slots[0], (std::array<uint8_t, 4>{0x86, 0x12, 0x01, 0x01}));
    EXPECT_EQ(board.kinds[0], StepKind::StepInto);
    EXPECT_EQ(board.pcAtSend[0], 0xC002);  // PC moves before the frame goes out
    EXPECT_EQ(link.regs.PC, 0xC002);
    EXPECT_EQ(link.regs.A, 0x5A);
    EXPECT_EQ(hooks.refresh, 1);  // a single step (stop flag set) refreshes
    EXPECT_EQ(control.clockCounter, 2u);
}

TEST_F(BoardStepTest, FailedStepLeavesPcMovedAndTheLinkDown)
{
    loadBoard(0xC000, {0x86, 0x12, 0x01});
    link.regs.PC = 0xC000;
    board.failSteps = true;
    EXPECT_FALSE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC002);
    EXPECT_FALSE(link.linkReady());
    EXPECT_EQ(hooks.refresh, 0);
    EXPECT_EQ(hooks.clockCountUpdate, 1);
}

TEST_F(BoardStepTest, TakenBranchIsNotSent)
{
    loadBoard(0xC000, {0x20, 0x10});  // BRA $C012
    link.regs.PC = 0xC000;
    control.StepInto();
    EXPECT_TRUE(board.slots.empty());
    EXPECT_EQ(link.regs.PC, 0xC012);
}

TEST_F(BoardStepTest, StepOverSendsTheCallAsOneJsr)
{
    loadBoard(0xC000, {0xBD, 0xC1, 0x00});
    link.regs.PC = 0xC000;
    control.StepOver();
    ASSERT_EQ(board.slots.size(), 1u);
    EXPECT_EQ(board.slots[0], (std::array<uint8_t, 4>{0xBD, 0xC1, 0x00, 0x01}));
    EXPECT_EQ(board.kinds[0], StepKind::StepOver);
    EXPECT_EQ(link.regs.PC, 0xC003);
    EXPECT_EQ(hooks.freeze, 1);
    EXPECT_EQ(hooks.thaw, 1);
}

TEST_F(BoardStepTest, StepOverOfABitBranchReadsItsOperandOnce)
{
    loadBoard(0xC000, {0x12, 0x40, 0x01, 0x10});  // BRSET $40 $01 $C014
    board.mem[0x0040] = 0x01;
    link.regs.PC = 0xC000;
    EXPECT_EQ(control.StepOver(), StopReason::None);
    EXPECT_EQ(board.byteReads, std::vector<int32_t>{0x0040});
    EXPECT_TRUE(board.slots.empty());
    EXPECT_EQ(link.regs.PC, 0xC014);
}

TEST_F(BoardStepTest, StepOutTrapsTheReturnAndResumesAtIt)
{
    loadBoard(0xC100, {0x86, 0x55, 0x39});
    loadBoard(0x00FE, {0xC0, 0x03});
    link.regs.PC = 0xC100;
    link.regs.SP = 0x00FD;
    control.StepOut();
    EXPECT_EQ(board.mem[0x00FE], 0x00);
    EXPECT_EQ(board.mem[0x00FF], 0x0D);
    ASSERT_EQ(board.slots.size(), 1u);
    EXPECT_EQ(board.slots[0], (std::array<uint8_t, 4>{0x7E, 0xC1, 0x00, 0x01}));
    EXPECT_EQ(board.kinds[0], StepKind::StepOut);
    EXPECT_EQ(link.regs.PC, 0xC003);
}

TEST_F(BoardStepTest, CodeIsReadAgainBeforeEachSingleStep)
{
    loadBoard(0xC000, {0x01, 0x86, 0x11});
    link.regs.PC = 0xC000;
    control.StepInto();
    board.mem[0xC002] = 0x22;  // the board's program changed its code
    control.StepInto();
    EXPECT_EQ(board.slots.back(), (std::array<uint8_t, 4>{0x86, 0x22, 0x01, 0x01}));
}

} // namespace

TEST_F(BoardStepTest, SingleStepAfterABranchReadsCodeChangedMeanwhile)
{
    loadBoard(0xC000, {0x20, 0x00, 0x86, 0x11});  // BRA $C002; LDAA #$11
    link.regs.PC = 0xC000;
    control.StepInto();  // taken: the IDE moves PC, nothing is sent
    ASSERT_EQ(link.regs.PC, 0xC002);
    loadBoard(0xC002, {0xC6, 0x22});  // the user writes LDAB #$22 there
    control.StepInto();
    ASSERT_EQ(board.slots.size(), 1u);
    EXPECT_EQ(board.slots[0], (std::array<uint8_t, 4>{0xC6, 0x22, 0x01, 0x01}));
}

TEST_F(BoardStepTest, FiveByteInstructionNotTakenIsNotSent)
{
    // BRSET 0,Y #$01 +$10 with the bit clear: not taken.
    loadBoard(0xC000, {0x18, 0x1E, 0x00, 0x01, 0x10});
    link.regs.IY = 0x0040;
    link.regs.PC = 0xC000;
    link.regs.A = 0x33;
    ASSERT_TRUE(control.StepInto());
    EXPECT_TRUE(board.slots.empty());
    EXPECT_EQ(link.regs.PC, 0xC005);
    EXPECT_EQ(link.regs.A, 0x33);
    EXPECT_EQ(hooks.refresh, 1);
}

TEST_F(BoardStepTest, RtiIsDoneFromTheStack)
{
    loadBoard(0xC000, {0x3B});
    // Above SP: CCR, B, A, IX, IY, PC.
    loadBoard(0x0101, {0xC4, 0x22, 0x11, 0x33, 0x44, 0x55, 0x66, 0xC1, 0x23});
    link.regs.SP = 0x0100;
    link.regs.PC = 0xC000;
    ASSERT_TRUE(control.StepInto());
    EXPECT_TRUE(board.slots.empty());
    EXPECT_EQ(link.regs.PC, 0xC123);
    EXPECT_EQ(link.regs.SP, 0x0109);
    EXPECT_EQ(link.regs.A, 0x11);
    EXPECT_EQ(link.regs.B, 0x22);
    EXPECT_EQ(link.regs.IX, 0x3344);
    EXPECT_EQ(link.regs.IY, 0x5566);
    EXPECT_EQ(link.regs.CCR, 0xC4);
    EXPECT_TRUE(link.regs.Z);
    // The save area follows.
    EXPECT_EQ(board.mem[0x0006], 0x01);
    EXPECT_EQ(board.mem[0x0007], 0x09);
    EXPECT_EQ(board.mem[0x0000], 0x11);
}

TEST_F(BoardStepTest, PlayOnTheBoardLetsEventsRunAfterEveryStep)
{
    // $C000: NOP x 10, then BRA $C000.
    for (int i = 0; i < 10; ++i)
        loadBoard(0xC000 + i, {0x01});
    loadBoard(0xC00A, {0x20, 0xF4});
    link.regs.PC = 0xC000;
    RunOptions options;
    options.eventEverySteps = 1u << 20;  // the main window's slice for the simulator
    options.eventEveryMs = 5;
    // Pause from the event loop after the 25th step.
    hooks.onEvents = [this] {
        if (hooks.events == 25)
            control.Pause();
    };
    EXPECT_EQ(control.Play(options), StopReason::Paused);
    EXPECT_EQ(hooks.events, 25);
    EXPECT_EQ(hooks.redrawCpuWindow, 25);  // one step per round of events
}
