// Frame builders shared by the board tests.
#pragma once

#include "BoardProcess.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zelk::test {

struct Regs9 {
    uint8_t a = 0, b = 0;
    uint16_t ix = 0, iy = 0, sp = 0;
    uint8_t ccr = 0;
};

inline std::vector<uint8_t> regBody(const Regs9& r)
{
    return {r.a, r.b, uint8_t(r.ix >> 8), uint8_t(r.ix), uint8_t(r.iy >> 8), uint8_t(r.iy),
            uint8_t(r.sp >> 8), uint8_t(r.sp), r.ccr};
}

inline std::vector<uint8_t> readFrame(uint16_t address, uint8_t n)
{
    return makeFrame('R', {uint8_t(address >> 8), uint8_t(address), n});
}

inline std::vector<uint8_t> dataFrame(char letter, uint16_t address, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> body{uint8_t(address >> 8), uint8_t(address), uint8_t(data.size())};
    body.insert(body.end(), data.begin(), data.end());
    return makeFrame(letter, body);
}

inline std::vector<uint8_t> stepFrame(const Regs9& r, std::array<uint8_t, 4> slot)
{
    auto body = regBody(r);
    body.insert(body.end(), slot.begin(), slot.end());
    return makeFrame('S', body);
}

inline std::vector<uint8_t> runFrame(const Regs9& r, uint16_t pc)
{
    auto body = regBody(r);
    body.insert(body.end(), {0x7E, uint8_t(pc >> 8), uint8_t(pc)});
    return makeFrame('X', body);
}

inline Regs9 regsOfReply(const std::vector<uint8_t>& reply)
{
    Regs9 r;
    r.a = reply[1];
    r.b = reply[2];
    r.ix = uint16_t(reply[3] << 8 | reply[4]);
    r.iy = uint16_t(reply[5] << 8 | reply[6]);
    r.sp = uint16_t(reply[7] << 8 | reply[8]);
    r.ccr = reply[9];
    return r;
}

inline const std::vector<uint8_t> EraseFrame{'E', 'E', 'E', 0x76};

// Prints "hello" on the SCI, waiting for TDRE before each byte, then stops
// in a branch to itself. Placed at $E000.
inline const std::vector<uint8_t> HelloProgram{
    0xCE, 0xE0, 0x14,        // E000 LDX  #msg
    0xA6, 0x00,              // E003 LDAA 0,X
    0x27, 0xFE,              // E005 BEQ  *          end of text: stay here
    0xF6, 0x10, 0x2E,        // E007 LDAB $102E      wait for TDRE
    0xC5, 0x80,              // E00A BITB #$80
    0x27, 0xF9,              // E00C BEQ  $E007
    0xB7, 0x10, 0x2F,        // E00E STAA $102F
    0x08,                    // E011 INX
    0x20, 0xEF,              // E012 BRA  $E003
    'h', 'e', 'l', 'l', 'o', 0x00};

// Answers every received byte with that byte + 1. Placed at $E000.
inline const std::vector<uint8_t> EchoPlusOneProgram{
    0xF6, 0x10, 0x2E,        // E000 LDAB $102E      wait for RDRF
    0xC5, 0x20,              // E003 BITB #$20
    0x27, 0xF9,              // E005 BEQ  $E000
    0xB6, 0x10, 0x2F,        // E007 LDAA $102F
    0x4C,                    // E00A INCA
    0xF6, 0x10, 0x2E,        // E00B LDAB $102E      wait for TDRE
    0xC5, 0x80,              // E00E BITB #$80
    0x27, 0xF9,              // E010 BEQ  $E00B
    0xB7, 0x10, 0x2F,        // E012 STAA $102F
    0x20, 0xE9};             // E015 BRA  $E000

} // namespace zelk::test
