// The monitor protocol's frames and reply checks (see BoardProtocol.h).
#include "link/BoardProtocol.h"

namespace zelk::board {

namespace {

void putRegisters(std::vector<uint8_t>& f, const CpuRegisters& regs)
{
    uint8_t area[9];
    regs.storeSaveArea(area);
    f.insert(f.end(), area, area + 9);
}

void seal(std::vector<uint8_t>& f)
{
    f.push_back(checksum(f.data() + 1, f.size() - 1));
}

std::vector<uint8_t> dataFrame(char letter, int32_t address, const uint8_t* data, int count)
{
    std::vector<uint8_t> f;
    f.reserve(static_cast<size_t>(dataFrameLength(count)));
    f.push_back(static_cast<uint8_t>(letter));
    f.push_back(static_cast<uint8_t>((address >> 8) & 0xFF));
    f.push_back(static_cast<uint8_t>(address & 0xFF));
    f.push_back(static_cast<uint8_t>(count));
    f.insert(f.end(), data, data + count);
    seal(f);
    return f;
}

} // namespace

uint8_t checksum(const uint8_t* bytes, size_t n)
{
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>(-sum & 0xFF);
}

std::vector<uint8_t> readFrame(int32_t address, int count)
{
    std::vector<uint8_t> f{static_cast<uint8_t>('R'), static_cast<uint8_t>((address >> 8) & 0xFF),
                           static_cast<uint8_t>(address & 0xFF), static_cast<uint8_t>(count & 0xFF)};
    seal(f);
    return f;
}

std::vector<uint8_t> writeFrame(int32_t address, const uint8_t* data, int count)
{
    return dataFrame('W', address, data, count);
}

std::vector<uint8_t> programFrame(int32_t address, const uint8_t* data, int count)
{
    return dataFrame('P', address, data, count);
}

std::vector<uint8_t> eraseFrame()
{
    std::vector<uint8_t> f{'E', 'E', 'E'};
    seal(f);
    return f;
}

std::vector<uint8_t> runFrame(const CpuRegisters& regs)
{
    std::vector<uint8_t> f{'X'};
    putRegisters(f, regs);
    f.push_back(0x7E);  // JMP extended
    f.push_back(static_cast<uint8_t>((regs.PC >> 8) & 0xFF));
    f.push_back(static_cast<uint8_t>(regs.PC & 0xFF));
    seal(f);
    return f;
}

std::vector<uint8_t> stepFrame(const CpuRegisters& regs, const uint8_t slot[4])
{
    std::vector<uint8_t> f{'S'};
    putRegisters(f, regs);
    f.insert(f.end(), slot, slot + 4);
    seal(f);
    return f;
}

bool replyChecksumOk(const uint8_t* reply, size_t n)
{
    if (n < 2)
        return false;
    unsigned sum = 0;
    for (size_t i = 1; i < n; ++i)
        sum += reply[i];
    return (sum & 0xFF) == 0;
}

void loadStepReply(CpuRegisters& regs, const uint8_t reply[StepReplyLength])
{
    regs.loadSaveArea(reply + 1);
}

bool endsWithResetNotice(const uint8_t* bytes, size_t n)
{
    return n >= 3 && bytes[n - 1] == ResetByte && bytes[n - 2] == ResetByte && bytes[n - 3] == ResetByte;
}

} // namespace zelk::board
