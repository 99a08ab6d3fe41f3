// The frames of the board's serial monitor protocol and the checks of its
// replies. The IDE is the master: one request frame, one reply. Every frame
// starts with an ASCII command letter and ends with a checksum chosen so that
// the bytes after the letter, checksum included, add up to 0 modulo 256; a
// data reply is checked the same way (its first byte is not examined).
//
//   read     "R" hi lo n cs                      -> any, n data, cs  (n 0 = 256)
//   write    "W" hi lo n data... cs              -> ACK
//   program  "P" hi lo n data... cs              -> ACK
//   erase    "E" "E" "E" cs                      -> ACK | NAK
//   run      "X" A B IXh IXl IYh IYl SPh SPl CCR $7E PCh PCl cs  -> ACK
//   step     "S" A B IXh IXl IYh IYl SPh SPl CCR s0 s1 s2 s3 cs  -> any, A .. CCR, cs
#pragma once

#include "link/CpuRegisters.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk::board {

constexpr uint8_t Ack = 0x06;
constexpr uint8_t Nak = 0x15;
// The reset notice: three "B" at the end of a received block.
constexpr uint8_t ResetByte = 'B';

// Reply windows in milliseconds.
constexpr int ReplyWindowMs = 100;
constexpr int CodeWindowReplyMs = 200;
constexpr int EraseWindowMs = 3000;

// Reply lengths.
constexpr int AckReplyLength = 1;
constexpr int StepReplyLength = 11;
constexpr int readReplyLength(int count) { return count + 2; }  // count 1..256

// Frame lengths.
constexpr int RunFrameLength = 14;
constexpr int StepFrameLength = 15;
constexpr int dataFrameLength(int count) { return count + 5; }  // write, program

// The largest count a read frame (256, sent as 0) and a write or program
// frame (255) can carry.
constexpr int MaxReadCount = 256;
constexpr int MaxWriteCount = 255;

// (-(sum of bytes)) AND $FF.
uint8_t checksum(const uint8_t* bytes, size_t n);

std::vector<uint8_t> readFrame(int32_t address, int count);
std::vector<uint8_t> writeFrame(int32_t address, const uint8_t* data, int count);
std::vector<uint8_t> programFrame(int32_t address, const uint8_t* data, int count);
std::vector<uint8_t> eraseFrame();
// The run frame ends with JMP extended to regs.PC.
std::vector<uint8_t> runFrame(const CpuRegisters& regs);
// slot: the four instruction-slot bytes the monitor executes.
std::vector<uint8_t> stepFrame(const CpuRegisters& regs, const uint8_t slot[4]);

// The bytes after the first, checksum included, add up to 0 modulo 256.
bool replyChecksumOk(const uint8_t* reply, size_t n);
// A step reply's nine register bytes (A .. CCR) into regs, flags included.
void loadStepReply(CpuRegisters& regs, const uint8_t reply[StepReplyLength]);
// Whether a received block ends with the reset notice "BBB".
bool endsWithResetNotice(const uint8_t* bytes, size_t n);

} // namespace zelk::board
