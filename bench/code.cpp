// Speed of the code analysis that run control pays on every simulated
// instruction (CycleCount and two PredictNext calls), and of decoding a
// disassembler page.
#include "code/Decoder.h"
#include "code/Prediction.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace zelk;

namespace {

// A typical mix: loads, stores, arithmetic, a compare-and-branch, a bit
// branch, a call; walked straight through, wrapping at the end.
CodeWindow typicalCode(int32_t& end)
{
    const uint8_t program[] = {
        0x86, 0x10,             // LDAA #$10
        0x97, 0x40,             // STAA $40
        0xCE, 0x10, 0x00,       // LDX  #$1000
        0x08,                   // INX
        0x8C, 0x10, 0x20,       // CPX  #$1020
        0x26, 0xFA,             // BNE  back
        0xFC, 0x20, 0x00,       // LDD  $2000
        0xC3, 0x00, 0x01,       // ADDD #$0001
        0x18, 0xA6, 0x02,       // LDAA $02,Y
        0x1E, 0x00, 0x80, 0x02, // BRSET $00,X $80 +2
        0xBD, 0xC1, 0x00,       // JSR  $C100
        0x1A, 0x83, 0x12, 0x34, // CPD  #$1234
        0x36,                   // PSHA
        0x32,                   // PULA
        0x3A,                   // ABX
        0x20, 0x00,             // BRA  +0
    };
    CodeWindow w;
    w.base = 0xC000;
    for (size_t i = 0; i < sizeof program; ++i)
        w.bytes[i] = program[i];
    end = static_cast<int32_t>(w.base + sizeof program);
    return w;
}

class MemoryReader : public OperandReader {
public:
    uint8_t memory[0x10000] = {};
    bool readOperandByte(int32_t address, uint8_t& value) override
    {
        value = memory[address & 0xFFFF];
        return true;
    }
};

void StepAnalysis(benchmark::State& state)
{
    int32_t end = 0;
    CodeWindow w = typicalCode(end);
    CpuRegisters regs;
    regs.Z = false;
    uint8_t stack[10] = {0, 0xC0, 0x10, 0, 0, 0, 0, 0, 0xC0, 0x20};
    MemoryReader target;
    int32_t pc = w.base;
    uint32_t clock = 0;
    for (auto _ : state) {
        clock += CycleCount(w, pc);
        int32_t after = 0, next = 0;
        bool taken, isCall, isReturn;
        PredictNext(w, regs, stack, &target, pc, false, after, taken, isCall, isReturn);
        PredictNext(w, regs, stack, &target, pc, true, next, taken, isCall, isReturn);
        // Walk straight on so every instruction of the mix is analysed.
        pc = after < end ? after : w.base;
        benchmark::DoNotOptimize(next);
    }
    benchmark::DoNotOptimize(clock);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(StepAnalysis);

void InstructionLength(benchmark::State& state)
{
    int32_t end = 0;
    CodeWindow w = typicalCode(end);
    int32_t pc = w.base;
    for (auto _ : state) {
        int length = instructionLength(w, pc);
        pc = pc + length < end ? pc + length : w.base;
        benchmark::DoNotOptimize(pc);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(InstructionLength);

// One disassembler page: 50 rows.
void DisassemblePage(benchmark::State& state)
{
    int32_t end = 0;
    CodeWindow w = typicalCode(end);
    std::string text;
    for (auto _ : state) {
        int32_t address = w.base;
        for (int row = 0; row < 50; ++row) {
            int16_t length = 0;
            DisassembleOne(w, address, length, text);
            address += length;
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * 50);
}
BENCHMARK(DisassemblePage);

} // namespace
