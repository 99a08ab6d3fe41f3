// The breakpoint table: toggling, order, the 32-entry limit, temporary
// entries.
#include "LinkTestSupport.h"

#include "run/BreakpointTable.h"

#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::test;

namespace {

std::vector<int32_t> entries(const BreakpointTable& t)
{
    std::vector<int32_t> v;
    for (int i = 0; i < t.count(); ++i)
        v.push_back(t.at(i));
    return v;
}

TEST(BreakpointTable, ToggleTwiceRestoresTheTable)
{
    RecordingNotifier n;
    BreakpointTable t;
    t.toggle(0xC000, n);
    EXPECT_EQ(t.toggle(0xC010, n), BreakpointTable::Toggle::Added);
    EXPECT_EQ(t.toggle(0xC010, n), BreakpointTable::Toggle::Removed);
    EXPECT_EQ(entries(t), std::vector<int32_t>{0xC000});
    EXPECT_TRUE(n.messages.empty());
}

TEST(BreakpointTable, RemovingTheFirstKeepsTheOthersInOrder)
{
    RecordingNotifier n;
    BreakpointTable t;
    for (int32_t a : {0xC000, 0xC100, 0xC200})
        t.toggle(a, n);
    t.toggle(0xC000, n);
    EXPECT_EQ(entries(t), (std::vector<int32_t>{0xC100, 0xC200}));
    EXPECT_FALSE(t.contains(0xC000));
    EXPECT_TRUE(t.contains(0xC200));
    EXPECT_EQ(t.indexOf(0xC200), 1);
}

TEST(BreakpointTable, TheThirtyThirdIsRefusedWithTheMessage)
{
    RecordingNotifier n;
    BreakpointTable t;
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(t.toggle(0x1000 + i, n), BreakpointTable::Toggle::Added);
    EXPECT_TRUE(t.full());
    EXPECT_EQ(t.toggle(0x2000, n), BreakpointTable::Toggle::Refused);
    EXPECT_EQ(t.count(), 32);
    EXPECT_FALSE(t.contains(0x2000));
    ASSERT_EQ(n.messages.size(), 1u);
    EXPECT_EQ(n.messages[0].caption, "Tarvine - Breakpoint Error");
    EXPECT_EQ(n.messages[0].text, "  Can't Set Breakpoint !\n\r (Max. Breakpoints = 32)");
    EXPECT_EQ(n.messages[0].icon, MessageIcon::Exclamation);
    // A set one can still be removed.
    EXPECT_EQ(t.toggle(0x1005, n), BreakpointTable::Toggle::Removed);
    EXPECT_EQ(t.count(), 31);
    EXPECT_FALSE(t.append(0x3000) && t.append(0x3001));
}

TEST(BreakpointTable, TemporaryEntryIsRemovedByItsAddress)
{
    RecordingNotifier n;
    BreakpointTable t;
    t.toggle(0xC000, n);
    ASSERT_TRUE(t.append(0xC000));  // a duplicate, as a temporary entry
    t.toggle(0xD000, n);
    EXPECT_TRUE(t.removeLast(0xC000));
    EXPECT_EQ(entries(t), (std::vector<int32_t>{0xC000, 0xD000}));
    EXPECT_FALSE(t.removeLast(0xE000));
    t.clear();
    EXPECT_EQ(t.count(), 0);
}

} // namespace
