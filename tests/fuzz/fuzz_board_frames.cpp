// Fuzz target: zelk-board's side of the protocol. Line bytes, each with a
// time step from the input, go through the frame reader; every complete
// frame goes to the monitor, and steps and runs are given a few slices of
// CPU time. A frame the reader hands over always carries a valid checksum
// and the length its command letter asks for; every reply is sealed.
#include "FuzzInput.h"
#include "Monitor.h"
#include "Protocol.h"

#include <vector>

using zelk::fuzz::FuzzInput;
using namespace zelk::board;

namespace {

void checkReply(const std::vector<uint8_t>& reply)
{
    if (reply.size() > 1)
        FUZZ_CHECK(checksumHolds(reply));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    // A small step limit keeps a runaway step short.
    Monitor monitor(20'000);
    FrameReader reader;
    int64_t now = 0;
    while (!in.empty()) {
        const uint8_t b = in.byte();
        // A time step now and then: the top bit of the next byte asks for a
        // pause of up to 127 ms, enough to cut a frame off.
        const uint8_t gap = in.byte();
        now += (gap & 0x80) ? int64_t(gap & 0x7F) * 1'000'000 : 1000;
        reader.expire(now);
        const FrameReader::Event ev = reader.feed(b, now);
        if (ev == FrameReader::Event::None)
            continue;
        const std::vector<uint8_t>& frame = reader.frame();
        FUZZ_CHECK(!frame.empty());
        FrameKind kind;
        FUZZ_CHECK(frameKindOf(frame[0], kind));
        FUZZ_CHECK(kind == reader.kind());
        if (ev == FrameReader::Event::BadChecksum) {
            FUZZ_CHECK(!checksumHolds(frame));
            continue;
        }
        FUZZ_CHECK(checksumHolds(frame));
        if (monitor.state() == Monitor::State::Running)
            monitor.reset();
        checkReply(monitor.handleFrame(kind, frame));
        for (int slice = 0; slice < 4 && monitor.state() != Monitor::State::Idle; ++slice) {
            const Monitor::Slice s = monitor.run(5'000);
            if (s.stepEnded) {
                const std::vector<uint8_t> reply = monitor.takeStepReply();
                FUZZ_CHECK(reply.size() == 11);
                checkReply(reply);
            }
        }
        (void)monitor.takeSciOutput();
    }
    return 0;
}
