// An in-process board on a fake serial line: a BytePort whose send() hands
// each frame to a small monitor model (64 KB of memory, flash rules left
// out) that queues its reply at once. Faults can be armed for the next
// reply; the waits are recorded (window, events) and cost no real time: a
// "late" reply arrives only after the waiting side has given up.
#pragma once

#include "link/BoardProtocol.h"
#include "link/BytePort.h"

#include <array>
#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zelk::test {

class FakeBoardPort : public BytePort {
public:
    enum class Fault { None, Drop, Corrupt, Late, Short, NakErase, Garbage };

    struct WaitCall {
        int count, ms;
        bool letEvents;
    };

    bool isOpen() const override { return opened; }
    bool open(std::string& errorText) override
    {
        ++openCalls;
        if (!canOpen) {
            errorText = "No such file or directory";
            return false;
        }
        opened = true;
        return true;
    }
    bool cts() override { return ctsOn; }
    int waiting() override { return static_cast<int>(in.size()); }
    void discard() override
    {
        in.clear();
        ++discards;
    }
    void send(const uint8_t* data, size_t n) override
    {
        frames.emplace_back(data, data + n);
        serve(frames.back());
    }
    std::vector<uint8_t> take(int count) override
    {
        size_t n = count == 0 ? in.size() : std::min(in.size(), static_cast<size_t>(count));
        std::vector<uint8_t> out(in.begin(), in.begin() + static_cast<long>(n));
        in.erase(in.begin(), in.begin() + static_cast<long>(n));
        return out;
    }
    std::vector<uint8_t> peek() override { return {in.begin(), in.end()}; }
    bool waitFor(int count, int ms, bool letEvents) override
    {
        waits.push_back({count, ms, letEvents});
        if (onWait)
            onWait();
        if (static_cast<int>(in.size()) >= count)
            return true;
        // A late reply arrives after the wait has given up.
        in.insert(in.end(), late.begin(), late.end());
        late.clear();
        if (ms < 0 && static_cast<int>(in.size()) >= count)
            return true;
        return false;
    }
    void setThreshold(int count) override
    {
        thresholds.push_back(count);
        thr = count;
    }
    int threshold() const override { return thr; }

    // The monitor model.
    void serve(const std::vector<uint8_t>& f)
    {
        if (f.empty())
            return;
        std::vector<uint8_t> reply;
        const auto addr = [&] { return f[1] << 8 | f[2]; };
        switch (f[0]) {
        case 'R': {
            const int n = f[3] ? f[3] : 256;
            reply.push_back('r');
            for (int i = 0; i < n; ++i)
                reply.push_back(mem[static_cast<size_t>((addr() + i) & 0xFFFF)]);
            reply.push_back(board::checksum(reply.data() + 1, reply.size() - 1));
            break;
        }
        case 'W':
        case 'P':
            for (int i = 0; i < f[3]; ++i)
                mem[static_cast<size_t>((addr() + i) & 0xFFFF)] = f[static_cast<size_t>(4 + i)];
            reply.push_back(board::Ack);
            break;
        case 'E':
            for (int a = 0xE000; a <= 0xFFFF; ++a)
                mem[static_cast<size_t>(a)] = 0xFF;
            reply.push_back(board::Ack);
            break;
        case 'X':
            reply.push_back(board::Ack);
            break;
        case 'S': {
            // Echo the registers with A incremented: the step "did" something.
            if (f.size() < 15)
                return;
            reply.assign(f.begin(), f.begin() + 10);
            reply[0] = 's';
            reply[1] = static_cast<uint8_t>(reply[1] + 1);
            reply.push_back(board::checksum(reply.data() + 1, reply.size() - 1));
            break;
        }
        default:
            return;
        }
        if (mangle)
            mangle(reply);
        const Fault fl = fault;
        fault = Fault::None;
        switch (fl) {
        case Fault::None: break;
        case Fault::Drop: return;
        case Fault::Corrupt: reply.back() ^= 0x01; break;
        case Fault::Late: late = reply; return;
        case Fault::Short: reply.pop_back(); break;
        case Fault::NakErase: reply = {board::Nak}; break;
        case Fault::Garbage: reply = {0x42}; break;
        }
        in.insert(in.end(), reply.begin(), reply.end());
        in.insert(in.end(), trailing.begin(), trailing.end());
    }

    std::array<uint8_t, 0x10000> mem{};
    std::deque<uint8_t> in;
    std::vector<uint8_t> late, trailing;
    std::vector<std::vector<uint8_t>> frames;
    std::vector<WaitCall> waits;
    std::vector<int> thresholds;
    std::function<void()> onWait;
    // Rewrites every reply before it is queued (random line noise).
    std::function<void(std::vector<uint8_t>&)> mangle;
    Fault fault = Fault::None;
    bool opened = true, canOpen = true, ctsOn = true;
    int openCalls = 0, discards = 0, thr = 6;
};

} // namespace zelk::test
