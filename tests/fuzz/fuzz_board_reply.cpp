// Fuzz target: the IDE's side of the board protocol. A board on a fake line
// answers every request frame with bytes from the input (a length, then the
// reply; a length above the rest is a reply cut short; 255 takes a second
// length byte). The input also picks
// the operations: read, code-window read, write, program, erase, Step Into
// and run. A failed exchange must leave its destination as it was, and a
// good one must have been checked: a read that succeeds returns exactly the
// bytes the board sent.
#include "FuzzInput.h"
#include "link/AccessLayer.h"
#include "link/BoardProtocol.h"
#include "link/BoardTarget.h"
#include "link/BytePort.h"

#include <algorithm>
#include <deque>
#include <vector>

using zelk::fuzz::FuzzInput;

namespace {

class FuzzPort : public zelk::BytePort {
public:
    explicit FuzzPort(FuzzInput& in) : in_(in) {}

    bool isOpen() const override { return open_; }
    bool open(std::string& errorText) override
    {
        open_ = in_.byte() != 0xFF;
        if (!open_)
            errorText = "No such file or directory";
        return open_;
    }
    bool cts() override { return in_.byte() != 0xFE; }
    int waiting() override { return static_cast<int>(line_.size()); }
    void discard() override { line_.clear(); }
    void send(const uint8_t* data, size_t n) override
    {
        FUZZ_CHECK(n > 0 && data != nullptr);
        lastFrame.assign(data, data + n);
        // The frames the IDE sends are always sealed.
        FUZZ_CHECK(zelk::board::replyChecksumOk(data, n));
        // 255 and a second byte: replies up to 510 bytes (a 256-byte read is 258).
        size_t len = in_.byte();
        if (len == 0xFF)
            len += in_.byte();
        const std::string_view reply = in_.text(len);
        line_.insert(line_.end(), reply.begin(), reply.end());
        lastReply.assign(reply.begin(), reply.end());
    }
    std::vector<uint8_t> take(int count) override
    {
        const size_t n = count == 0 ? line_.size() : std::min(line_.size(), static_cast<size_t>(count));
        std::vector<uint8_t> out(line_.begin(), line_.begin() + static_cast<long>(n));
        line_.erase(line_.begin(), line_.begin() + static_cast<long>(n));
        return out;
    }
    std::vector<uint8_t> peek() override { return {line_.begin(), line_.end()}; }
    bool waitFor(int count, int /*ms*/, bool /*letEvents*/) override
    {
        return static_cast<int>(line_.size()) >= count;
    }
    void setThreshold(int count) override { threshold_ = count; }
    int threshold() const override { return threshold_; }

    std::vector<uint8_t> lastFrame;
    std::vector<uint8_t> lastReply;

private:
    FuzzInput& in_;
    std::deque<uint8_t> line_;
    bool open_ = false;
    int threshold_ = 6;
};

bool sameRegisters(const zelk::CpuRegisters& x, const zelk::CpuRegisters& y)
{
    return x.A == y.A && x.B == y.B && x.IX == y.IX && x.IY == y.IY && x.SP == y.SP && x.PC == y.PC &&
           x.CCR == y.CCR && x.C == y.C && x.V == y.V && x.Z == y.Z && x.N == y.N && x.I == y.I && x.H == y.H &&
           x.X == y.X && x.S == y.S;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    FuzzPort port(in);
    zelk::AccessLayer link;
    zelk::BoardTarget board(link, port);
    link.setBoard(&board);
    link.setMode(zelk::TargetMode::Board);

    for (int op = 0; op < 64 && !in.empty(); ++op) {
        const uint8_t what = in.byte();
        const int32_t address = in.word();
        switch (what % 7) {
        case 0:
        case 1: {
            const int count = 1 + in.byte();  // 1..256
            std::vector<uint8_t> out(static_cast<size_t>(count), 0xA5);
            const bool ok = board.read(address, out.data(), count, what % 7 == 1);
            if (ok) {
                FUZZ_CHECK(port.lastReply.size() >= static_cast<size_t>(count) + 2);
                FUZZ_CHECK(std::equal(out.begin(), out.end(), port.lastReply.begin() + 1));
            } else {
                FUZZ_CHECK(std::all_of(out.begin(), out.end(), [](uint8_t v) { return v == 0xA5; }));
            }
            break;
        }
        case 2:
        case 3: {
            const int count = 1 + in.byte() % 255;  // 1..255
            std::vector<uint8_t> bytes(static_cast<size_t>(count));
            for (uint8_t& v : bytes)
                v = in.byte();
            if (what % 7 == 2)
                board.write(address, bytes.data(), count);
            else
                board.program(address, bytes.data(), count);
            break;
        }
        case 4:
            board.erase();
            break;
        case 5: {
            zelk::CpuRegisters regs;
            regs.A = in.byte();
            regs.B = in.byte();
            regs.IX = in.word();
            regs.IY = in.word();
            regs.SP = in.word();
            regs.CCR = in.byte();
            regs.PC = address;
            regs.unpackCCR();
            const zelk::CpuRegisters before = regs;
            uint8_t instr[5];
            for (uint8_t& v : instr)
                v = in.byte();
            // Step Over and Step Out wait without a limit for the board; the
            // fake line never stays silent long enough to end them, so only
            // Step Into is driven here.
            if (!board.step(regs, instr, zelk::StepKind::StepInto))
                FUZZ_CHECK(sameRegisters(regs, before));
            else
                FUZZ_CHECK(regs.PC == before.PC);
            break;
        }
        case 6: {
            zelk::CpuRegisters regs;
            regs.PC = address;
            board.run(regs);
            break;
        }
        }
    }
    link.setBoard(nullptr);
    return 0;
}
