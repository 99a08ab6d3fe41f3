// The simulator target's memory routing: Korvex reads and writes the image
// itself, except on the pages whose accesses do more (the register block
// while the peripherals are on, the I/O unit's registers while it is
// active, every page while a memory watch is installed), and the routing
// follows each switch in either direction.
#include "link/SimulatorTarget.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zelk {
namespace {

class CountingWatch : public MemoryWatch {
public:
    void programRead(uint32_t address) override { reads.push_back(address); }
    void programWrite(uint32_t address, uint8_t) override { writes.push_back(address); }
    void store(uint32_t, uint8_t) override {}
    std::vector<uint32_t> reads, writes;
};

// STAA extended: A to address.
void storeA(SimulatorTarget& sim, int32_t address, uint8_t a)
{
    CpuRegisters regs;
    regs.A = a;
    regs.PC = 0x8000;
    const uint8_t code[3] = {0xB7, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    sim.execute(regs, code);
}

struct Switch {
    std::string name;
    std::function<void(SimulatorTarget&)> apply;
    bool chipOwnsBlock; // a program write to $1020 leaves the image alone
    bool ioActive;      // a program write to $6003 sets $6002
};

TEST(SimulatorRouting, FollowsEverySwitch)
{
    const std::vector<Switch> sequence = {
        {"start", [](SimulatorTarget&) {}, false, false},
        {"peripherals on", [](SimulatorTarget& s) { s.setPeripherals(true); }, true, false},
        {"I/O unit on", [](SimulatorTarget& s) { s.setIoActive(true); }, true, true},
        {"peripherals off", [](SimulatorTarget& s) { s.setPeripherals(false); }, false, true},
        {"I/O unit off", [](SimulatorTarget& s) { s.setIoActive(false); }, false, false},
        {"I/O unit on again", [](SimulatorTarget& s) { s.setIoActive(true); }, false, true},
        {"peripherals on again", [](SimulatorTarget& s) { s.setPeripherals(true); }, true, true},
    };
    SimulatorTarget sim;
    for (const Switch& sw : sequence) {
        SCOPED_TRACE(sw.name);
        sw.apply(sim);
        sim.image()[0x1020] = 0;
        sim.image()[0x6002] = 0;
        storeA(sim, 0x1020, 0x5A);
        storeA(sim, 0x6003, 0x77);
        EXPECT_EQ(sim.image()[0x1020], sw.chipOwnsBlock ? 0 : 0x5A);
        EXPECT_EQ(sim.image()[0x6002], sw.ioActive ? 1 : 0);
        EXPECT_EQ(sim.image()[0x6003], 0x77);
        // Every other page is plain memory in every state.
        storeA(sim, 0x2345, 0x33);
        EXPECT_EQ(sim.image()[0x2345], 0x33);
    }
}

TEST(SimulatorRouting, AWatchHearsOfEveryAccessWhileInstalled)
{
    SimulatorTarget sim;
    CountingWatch watch;
    const uint8_t ldaa[3] = {0xB6, 0x23, 0x45};
    CpuRegisters regs;
    regs.PC = 0x8000;
    sim.image()[0x2345] = 0x42;

    sim.setWatch(&watch);
    sim.armWatch(true);
    sim.execute(regs, ldaa);
    storeA(sim, 0x4000, 0x11);
    sim.armWatch(false);
    EXPECT_EQ(regs.A, 0x42);
    EXPECT_EQ(watch.reads, std::vector<uint32_t>{0x2345});
    EXPECT_EQ(watch.writes, std::vector<uint32_t>{0x4000});

    // Removed: the image is accessed directly again, the watch hears nothing.
    sim.setWatch(nullptr);
    sim.execute(regs, ldaa);
    storeA(sim, 0x4000, 0x12);
    EXPECT_EQ(sim.image()[0x4000], 0x12);
    EXPECT_EQ(watch.reads.size(), 1u);
    EXPECT_EQ(watch.writes.size(), 1u);

    // Installed again, with the I/O unit active in between.
    sim.setIoActive(true);
    sim.setWatch(&watch);
    sim.armWatch(true);
    storeA(sim, 0x5000, 0x13);
    EXPECT_EQ(watch.writes, (std::vector<uint32_t>{0x4000, 0x5000}));
}

} // namespace
} // namespace zelk
