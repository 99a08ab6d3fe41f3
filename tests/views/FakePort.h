// A MemoryPort over a plain 64 KB array that records every access and can
// be told to fail from a given access on, as a disconnected board would.
#pragma once

#include "views/MemoryPort.h"

#include <array>
#include <string>
#include <vector>

struct FakePort : zelk::MemoryPort {
    std::array<uint8_t, 0x10000> mem{};
    bool ready = true;
    int failFrom = -1;  // access number (0-based) from which every access fails
    int accesses = 0;
    std::vector<std::string> log;  // "R1 $00FF", "R2 $1000", "W1 $0000=$12", "W2 $0000=$12,$34"

    bool next()
    {
        bool ok = failFrom < 0 || accesses < failFrom;
        ++accesses;
        ready = ok;
        return ok;
    }
    static std::string hex(int v, int digits)
    {
        static const char* d = "0123456789ABCDEF";
        std::string s(static_cast<size_t>(digits), '0');
        for (int i = digits - 1; i >= 0; --i, v >>= 4)
            s[static_cast<size_t>(i)] = d[v & 15];
        return s;
    }
    void InByte(int32_t address, uint8_t& value) override
    {
        log.push_back("R1 $" + hex(address, 4));
        if (next())
            value = mem[static_cast<size_t>(address & 0xFFFF)];
    }
    void InBytes(int32_t address, std::vector<uint8_t>& buffer, int32_t count) override
    {
        log.push_back("R" + std::to_string(count) + " $" + hex(address, 4));
        if (!next())
            return;
        buffer.resize(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            buffer[static_cast<size_t>(i)] = mem[static_cast<size_t>((address + i) & 0xFFFF)];
    }
    void OutByte(int32_t address, uint8_t value) override
    {
        log.push_back("W1 $" + hex(address, 4) + "=$" + hex(value, 2));
        if (next())
            mem[static_cast<size_t>(address & 0xFFFF)] = value;
    }
    void OutBytes(int32_t address, const std::vector<uint8_t>& data, int32_t count) override
    {
        std::string entry = "W" + std::to_string(count) + " $" + hex(address, 4) + "=";
        for (int32_t i = 0; i < count; ++i)
            entry += (i ? ",$" : "$") + hex(data[static_cast<size_t>(i)], 2);
        log.push_back(entry);
        if (!next())
            return;
        for (int32_t i = 0; i < count; ++i)
            mem[static_cast<size_t>((address + i) & 0xFFFF)] = data[static_cast<size_t>(i)];
    }
    bool linkReady() const override { return ready; }
};
