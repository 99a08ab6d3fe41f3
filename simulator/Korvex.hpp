// Thin C++ owner of a Korvex instance, for the IDE side. Header-only: the
// IDE depends on libkorvex.so through the C interface alone.
#pragma once

#include "korvex.h"

#include <cstdint>

class Korvex {
public:
    Korvex() : k_(korvexCreate()) {}
    ~Korvex() { korvexDestroy(k_); }
    Korvex(const Korvex&) = delete;
    Korvex& operator=(const Korvex&) = delete;

    void setCallbacks(KorvexReadMemory read, KorvexWriteMemory write, void* user)
    {
        korvexSetCallbacks(k_, read, write, user);
    }

    void Step(int16_t* acca, int16_t* accb, int32_t* ix, int32_t* iy, int32_t* sp,
              int16_t* ccr, int16_t i1, int16_t i2, int16_t i3, int16_t i4, int16_t i5)
    {
        korvexStep(k_, acca, accb, ix, iy, sp, ccr, i1, i2, i3, i4, i5);
    }

    // One instruction on a register record and its program counter (see
    // korvexExecute): code holds the instruction's bytes, code[0] the opcode.
    void execute(KorvexRegisters& regs, const uint8_t* code) { korvexExecute(k_, &regs, code); }
    // The instance itself, for a caller's loop of korvexExecute calls.
    KorvexInstance* instance() const { return k_; }

    // Data bytes straight to and from image except on the pages flagged in
    // viaCallbacks (see korvexSetDirectMemory); a null image turns it off.
    void setDirectMemory(uint8_t* image, const uint8_t* viaCallbacks)
    {
        korvexSetDirectMemory(k_, image, viaCallbacks);
    }

    void setPC(int32_t pc) { korvexSetPC(k_, pc); }
    int32_t pc() const { return korvexGetPC(k_); }

    static const char* aboutText() { return korvexAboutText(); }

private:
    KorvexInstance* k_;
};
