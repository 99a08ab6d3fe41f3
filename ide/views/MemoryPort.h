// The target operations the register and watch views use: byte and block
// reads and writes, and the link-ready flag callers test afterwards. In the
// IDE AccessPort forwards them to the access layer; tests use a plain memory
// array.
// None of the calls reports a status: a failed access leaves the destination
// unchanged and linkReady() false.
#pragma once

#include "link/AccessLayer.h"

#include <cstdint>
#include <vector>

namespace zelk {

class MemoryPort {
public:
    virtual ~MemoryPort() = default;
    virtual void InByte(int32_t address, uint8_t& value) = 0;
    // Resizes buffer to count and fills it from address on.
    virtual void InBytes(int32_t address, std::vector<uint8_t>& buffer, int32_t count) = 0;
    virtual void OutByte(int32_t address, uint8_t value) = 0;
    virtual void OutBytes(int32_t address, const std::vector<uint8_t>& data, int32_t count) = 0;
    virtual bool linkReady() const = 0;
};

// The access layer as a MemoryPort.
class AccessPort final : public MemoryPort {
public:
    explicit AccessPort(AccessLayer& access) : access_(access) {}
    void InByte(int32_t address, uint8_t& value) override { access_.InByte(address, value); }
    void InBytes(int32_t address, std::vector<uint8_t>& buffer, int32_t count) override
    {
        access_.InBytes(address, buffer, count);
    }
    void OutByte(int32_t address, uint8_t value) override { access_.OutByte(address, value); }
    void OutBytes(int32_t address, const std::vector<uint8_t>& data, int32_t count) override
    {
        access_.OutBytes(address, data, count);
    }
    bool linkReady() const override { return access_.linkReady(); }

private:
    AccessLayer& access_;
};

} // namespace zelk
