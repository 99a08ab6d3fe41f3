// Frame checksum, the frame reader's lengths, resynchronisation and gap,
// fault choice and the command line.
#include "Board.h"
#include "BoardTestSupport.h"
#include "FaultPlan.h"
#include "Protocol.h"

#include <gtest/gtest.h>

using namespace zelk::board;
using zelk::test::makeFrame;

namespace {

constexpr int64_t Ms = 1'000'000;

std::vector<FrameReader::Event> feedAll(FrameReader& r, const std::vector<uint8_t>& bytes, int64_t t = 0)
{
    std::vector<FrameReader::Event> events;
    for (uint8_t b : bytes) {
        const auto e = r.feed(b, t);
        if (e != FrameReader::Event::None)
            events.push_back(e);
    }
    return events;
}

} // namespace

TEST(BoardProtocol, ReadFrameOfSixtyFourBytesAtRegisterBlock)
{
    const std::vector<uint8_t> expected{'R', 0x10, 0x00, 0x40, 0xB0};
    EXPECT_EQ(makeFrame('R', {0x10, 0x00, 0x40}), expected);
    const uint8_t body[] = {0x10, 0x00, 0x40};
    EXPECT_EQ(checksumOf(body), 0xB0);
    EXPECT_TRUE(checksumHolds(expected));
}

TEST(BoardProtocol, EraseFrameChecksum)
{
    const uint8_t body[] = {'E', 'E'};
    EXPECT_EQ(checksumOf(body), 0x76);
    EXPECT_TRUE(checksumHolds(zelk::test::EraseFrame));
}

TEST(BoardProtocol, ReplyChecksumIgnoresFirstByte)
{
    const std::vector<uint8_t> good{'x', 0x12, 0xEE}, bad{'x', 0x12, 0xEF}, otherFirst{0x00, 0x12, 0xEE};
    EXPECT_TRUE(checksumHolds(good));
    EXPECT_FALSE(checksumHolds(bad));
    EXPECT_TRUE(checksumHolds(otherFirst));
    EXPECT_FALSE(checksumHolds(std::vector<uint8_t>{'x'}));
}

struct LengthCase {
    std::vector<uint8_t> frame;
    FrameKind kind;
};

class FrameLengths : public ::testing::TestWithParam<LengthCase> {};

TEST_P(FrameLengths, CompletesExactlyAtTheLastByte)
{
    const auto& c = GetParam();
    FrameReader r;
    for (size_t i = 0; i + 1 < c.frame.size(); ++i)
        ASSERT_EQ(r.feed(c.frame[i], 0), FrameReader::Event::None) << "byte " << i;
    ASSERT_EQ(r.feed(c.frame.back(), 0), FrameReader::Event::Frame);
    EXPECT_EQ(r.kind(), c.kind);
    EXPECT_EQ(r.frame(), c.frame);
    EXPECT_FALSE(r.partial());
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, FrameLengths,
    ::testing::Values(LengthCase{makeFrame('R', {0x10, 0x00, 0x40}), FrameKind::Read},
                      LengthCase{makeFrame('R', {0x00, 0x00, 0x00}), FrameKind::Read},
                      LengthCase{zelk::test::dataFrame('W', 0x2000, {1, 2, 3}), FrameKind::Write},
                      LengthCase{zelk::test::dataFrame('W', 0x2000, std::vector<uint8_t>(255, 7)), FrameKind::Write},
                      LengthCase{zelk::test::dataFrame('P', 0xE000, {0x5A}), FrameKind::Program},
                      LengthCase{zelk::test::EraseFrame, FrameKind::Erase},
                      LengthCase{zelk::test::runFrame({}, 0xE000), FrameKind::Run},
                      LengthCase{zelk::test::stepFrame({}, {0x01, 0x01, 0x01, 0x01}), FrameKind::Step}));

TEST(BoardProtocol, WriteCountZeroCarriesTwoHundredFiftySixBytes)
{
    std::vector<uint8_t> body{0x20, 0x00, 0x00};
    body.insert(body.end(), 256, 0x11);
    const auto frame = makeFrame('W', body);
    ASSERT_EQ(frame.size(), 261u);
    FrameReader r;
    const auto events = feedAll(r, frame);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], FrameReader::Event::Frame);
}

TEST(BoardProtocol, SkipsNoiseBeforeALetter)
{
    FrameReader r;
    std::vector<uint8_t> bytes{0x00, 0xFF, 'x', 0x06};
    const auto frame = makeFrame('R', {0x12, 0x34, 0x01});
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    const auto events = feedAll(r, bytes);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], FrameReader::Event::Frame);
    EXPECT_EQ(r.frame(), frame);
    EXPECT_EQ(r.skippedBytes(), 4u);
}

TEST(BoardProtocol, BadChecksumThenGoodFrame)
{
    FrameReader r;
    auto bad = makeFrame('R', {0x10, 0x00, 0x01});
    bad.back() ^= 0x40;
    auto bytes = bad;
    const auto good = makeFrame('R', {0x10, 0x00, 0x02});
    bytes.insert(bytes.end(), good.begin(), good.end());
    const auto events = feedAll(r, bytes);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], FrameReader::Event::BadChecksum);
    EXPECT_EQ(events[1], FrameReader::Event::Frame);
    EXPECT_EQ(r.frame(), good);
}

TEST(BoardProtocol, CutFrameIsDroppedAfterTheGap)
{
    FrameReader r(50 * Ms);
    const auto cut = makeFrame('W', {0x20, 0x00, 0x04, 1, 2});  // claims 4 data bytes, has 2 + "checksum"
    for (uint8_t b : cut)
        ASSERT_EQ(r.feed(b, 0), FrameReader::Event::None);
    EXPECT_TRUE(r.partial());
    EXPECT_EQ(r.deadlineNs(), 50 * Ms);
    EXPECT_FALSE(r.expire(49 * Ms));
    EXPECT_TRUE(r.partial());
    // The next frame after the gap is read cleanly even without expire().
    const auto good = makeFrame('R', {0x00, 0x00, 0x09});
    std::vector<FrameReader::Event> events;
    for (uint8_t b : good)
        if (auto e = r.feed(b, 60 * Ms); e != FrameReader::Event::None)
            events.push_back(e);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], FrameReader::Event::Frame);
    EXPECT_EQ(r.frame(), good);
    EXPECT_EQ(r.droppedFrames(), 1u);
}

TEST(BoardProtocol, SlowButSteadyFrameIsKept)
{
    FrameReader r(50 * Ms);
    const auto frame = makeFrame('R', {0x00, 0x00, 0x09});
    FrameReader::Event last = FrameReader::Event::None;
    int64_t t = 0;
    for (uint8_t b : frame) {
        last = r.feed(b, t);
        t += 40 * Ms;
    }
    EXPECT_EQ(last, FrameReader::Event::Frame);
}

TEST(BoardFaults, ArmedFaultsHitTheNextRepliesInOrder)
{
    FaultPlan plan;
    plan.arm(Fault::Late);
    plan.arm(Fault::NakErase);
    plan.arm(Fault::Drop);
    EXPECT_EQ(plan.choose(false), Fault::Late);
    EXPECT_EQ(plan.choose(false), Fault::Drop);  // nak-erase waits for an erase
    EXPECT_EQ(plan.choose(false), Fault::None);
    EXPECT_EQ(plan.choose(true), Fault::NakErase);
    EXPECT_EQ(plan.choose(true), Fault::None);
}

TEST(BoardFaults, RatesHitAboutTheirShare)
{
    FaultRates rates;
    rates.drop = 0.25;
    FaultPlan plan(rates, 7);
    int drops = 0;
    for (int i = 0; i < 4000; ++i)
        drops += plan.choose(false) == Fault::Drop;
    EXPECT_GT(drops, 800);
    EXPECT_LT(drops, 1200);
    FaultRates never;
    FaultPlan quiet(never, 7);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(quiet.choose(true), Fault::None);
}

TEST(BoardFaults, NamesRoundTrip)
{
    for (Fault f : {Fault::Drop, Fault::Corrupt, Fault::Late, Fault::Split, Fault::NakErase})
        EXPECT_EQ(faultFromName(faultName(f)), f);
    EXPECT_EQ(faultFromName("explode"), Fault::None);
}

TEST(BoardOptions, DefaultsAndValues)
{
    BoardOptions o;
    std::string error;
    bool help = true;
    ASSERT_TRUE(parseOptions({}, o, error, help));
    EXPECT_FALSE(help);
    EXPECT_EQ(o.baud, 38400u);
    EXPECT_EQ(o.clockHz, 0u);
    EXPECT_EQ(o.stepLimit, 50'000'000u);
    ASSERT_TRUE(parseOptions({"--baud", "0", "--clock-hz=2000000", "--step-limit", "1000", "--seed", "9",
                              "--drop-reply", "0.01", "--corrupt-reply", "1", "--late-reply", ".5",
                              "--nak-erase", "0", "--split-reply", "0.25", "--image", "a.s19"},
                             o, error, help))
        << error;
    EXPECT_EQ(o.baud, 0u);
    EXPECT_EQ(o.clockHz, 2'000'000u);
    EXPECT_EQ(o.stepLimit, 1000u);
    EXPECT_EQ(o.seed, 9u);
    EXPECT_DOUBLE_EQ(o.rates.drop, 0.01);
    EXPECT_DOUBLE_EQ(o.rates.corrupt, 1.0);
    EXPECT_DOUBLE_EQ(o.rates.late, 0.5);
    EXPECT_DOUBLE_EQ(o.rates.nakErase, 0.0);
    EXPECT_DOUBLE_EQ(o.rates.split, 0.25);
    EXPECT_EQ(o.image, "a.s19");
}

TEST(BoardOptions, BadValuesAreRefusedWithAReason)
{
    const std::vector<std::vector<std::string>> bad{
        {"--baud"}, {"--baud", "-1"}, {"--baud", "fast"}, {"--baud", "99999999999"}, {"--drop-reply", "1.5"},
        {"--drop-reply", "-0.1"}, {"--late-reply", "0.1.2"}, {"--split-reply", "."}, {"--bogus"},
        {"--image", ""}, {"--step-limit", "12x"}, {"--seed", "99999999999999999999999"}};
    for (const auto& args : bad) {
        BoardOptions o;
        std::string error;
        bool help = false;
        EXPECT_FALSE(parseOptions(args, o, error, help)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
    BoardOptions o;
    std::string error;
    bool help = false;
    ASSERT_TRUE(parseOptions({"--help", "--bogus"}, o, error, help));
    EXPECT_TRUE(help);
}
