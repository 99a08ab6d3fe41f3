// The CPU register record the IDE keeps for the target, shared by all views.
// PC is the IDE's own: it is never read from the target.
#pragma once

#include <cstdint>

namespace zelk {

struct CpuRegisters {
    uint8_t A = 0;
    uint8_t B = 0;
    int32_t IX = 0;   // 0..$FFFF
    int32_t IY = 0;   // 0..$FFFF
    int32_t PC = 0;   // 0..$FFFF
    int32_t SP = 0;   // 0..$FFFF
    uint8_t CCR = 0;  // S X H I N Z V C, bit 7 to bit 0
    // CCR split into flags, bit 0 (C) to bit 7 (S); recomputed by unpackCCR().
    bool C = false, V = false, Z = false, N = false;
    bool I = false, H = false, X = false, S = false;

    uint16_t D() const { return static_cast<uint16_t>(A << 8 | B); }

    // Splits CCR into the eight flags.
    void unpackCCR()
    {
        C = CCR & 0x01; V = CCR & 0x02; Z = CCR & 0x04; N = CCR & 0x08;
        I = CCR & 0x10; H = CCR & 0x20; X = CCR & 0x40; S = CCR & 0x80;
    }

    // Loads A, B, IX, IY, SP, CCR from the nine bytes of the register save
    // area ($0000-$0008: A, B, IX hi/lo, IY hi/lo, SP hi/lo, CCR).
    void loadSaveArea(const uint8_t b[9])
    {
        A = b[0]; B = b[1];
        IX = b[2] << 8 | b[3];
        IY = b[4] << 8 | b[5];
        SP = b[6] << 8 | b[7];
        CCR = b[8];
        unpackCCR();
    }

    // The nine bytes of the register save area for the current registers.
    void storeSaveArea(uint8_t b[9]) const
    {
        b[0] = A; b[1] = B;
        b[2] = static_cast<uint8_t>(IX >> 8); b[3] = static_cast<uint8_t>(IX);
        b[4] = static_cast<uint8_t>(IY >> 8); b[5] = static_cast<uint8_t>(IY);
        b[6] = static_cast<uint8_t>(SP >> 8); b[7] = static_cast<uint8_t>(SP);
        b[8] = CCR;
    }
};

} // namespace zelk
