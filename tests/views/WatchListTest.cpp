// The watch list: adding, editing, removing, refresh and value writes,
// the re-check after new symbols, and the watch window's popup.
#include "FakePort.h"
#include "TestSymbols.h"
#include "editor/SymbolTable.h"
#include "views/WatchList.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

TEST(WatchList, AddsUpToThirtyTwoThenRefuses)
{
    WatchList list;
    for (int i = 0; i < WatchList::MaxWatches; ++i)
        ASSERT_EQ(list.add(0x100 + i, "", i % 2 == 0), i);
    EXPECT_TRUE(list.full());
    EXPECT_EQ(list.add(0x2000, "", false), -1);
    EXPECT_EQ(list.WatchCount(), 32);
    EXPECT_EQ(list[31].WatchAddress, 0x100 + 31);
    EXPECT_EQ(WatchList::fullMessage(), " Can't Add Watch !\n\r(Max. Watches = 32)");
    EXPECT_STREQ(WatchList::FullCaption, "Tarvine - Watch Error");
}

TEST(WatchList, NewWatchFields)
{
    WatchList list;
    list.add(0x1000, "PORTA", false);
    list.add(0x00FF, "", true);
    EXPECT_TRUE(list[0].WatchNamed);
    EXPECT_EQ(list[0].WatchFormat, '$');
    EXPECT_FALSE(list[1].WatchNamed);
    EXPECT_TRUE(list[1].WatchIsWord);
    EXPECT_EQ(list.rowText(0), "PORTA");
    EXPECT_EQ(list.rowText(1), "$00FF");
    EXPECT_EQ(list.editText(1), "$00FF");
}

TEST(WatchList, EditKeepsTheFormat)
{
    WatchList list;
    list.add(0x10, "", false);
    list.setFormat(0, '%');
    EXPECT_TRUE(list.edit(0, 0xE000, "START", true));
    EXPECT_EQ(list[0].WatchFormat, '%');
    EXPECT_EQ(list[0].WatchAddress, 0xE000);
    EXPECT_TRUE(list[0].WatchNamed);
    EXPECT_TRUE(list[0].WatchIsWord);
    EXPECT_TRUE(list.edit(0, 0x20, "", false));
    EXPECT_FALSE(list[0].WatchNamed);
    EXPECT_FALSE(list.edit(1, 0x20, "", false));
}

TEST(WatchList, RemoveMovesTheLaterWatchesUp)
{
    WatchList list;
    list.add(1, "ONE", false);
    list.add(2, "", true);
    list.add(3, "THREE", false);
    list.setFormat(2, ' ');
    ASSERT_TRUE(list.remove(1));
    ASSERT_EQ(list.WatchCount(), 2);
    EXPECT_EQ(list[0].WatchName, "ONE");
    EXPECT_EQ(list[1].WatchAddress, 3);
    EXPECT_EQ(list[1].WatchName, "THREE");
    EXPECT_EQ(list[1].WatchFormat, ' ');
    EXPECT_FALSE(list.remove(2));
    ASSERT_TRUE(list.remove(0));
    ASSERT_TRUE(list.remove(0));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.rowText(0), "");
}

TEST(WatchList, RefreshReadsWordsHighByteFirst)
{
    FakePort port;
    port.mem[0x00FF] = 0x12;
    port.mem[0x0100] = 0x34;
    port.mem[0x1000] = 0x0F;
    WatchList list;
    list.add(0x00FF, "", true);
    list.add(0x1000, "", false);
    ASSERT_TRUE(list.refresh(port));
    EXPECT_EQ(port.log, (std::vector<std::string>{"R2 $00FF", "R1 $1000"}));
    EXPECT_EQ(list.valueText(0), "$1234");
    EXPECT_EQ(list.valueText(1), "$0F");
    list.setFormat(1, '%');
    EXPECT_EQ(list.valueText(1), "%00001111");
    list.setFormat(1, ' ');
    EXPECT_EQ(list.valueText(1), "15");
}

TEST(WatchList, RefreshStopsAtTheFirstFailure)
{
    FakePort port;
    WatchList list;
    for (int i = 0; i < 4; ++i)
        list.add(0x10 + i, "", false);
    port.mem[0x10] = 1;
    port.mem[0x11] = 2;
    port.mem[0x12] = 3;
    port.failFrom = 1;
    EXPECT_FALSE(list.refresh(port));
    EXPECT_EQ(port.log.size(), 2u);
    EXPECT_EQ(list[0].WatchValue, 1);
    EXPECT_EQ(list[1].WatchValue, 0) << "the failed read leaves the value";
}

TEST(WatchList, EmptyListReadsNothing)
{
    FakePort port;
    WatchList list;
    EXPECT_TRUE(list.refresh(port));
    EXPECT_TRUE(port.log.empty());
}

TEST(WatchList, WriteValueByteAndWord)
{
    FakePort port;
    WatchList list;
    list.add(0x00FF, "", true);
    list.add(0x2000, "", false);
    EXPECT_TRUE(list.writeValue(0, 0xABCD, port));
    EXPECT_TRUE(list.writeValue(1, 0x7F, port));
    EXPECT_EQ(port.log, (std::vector<std::string>{"W2 $00FF=$AB,$CD", "W1 $2000=$7F"}));
    port.failFrom = port.accesses;
    EXPECT_FALSE(list.writeValue(1, 1, port));
}

TEST(WatchList, RecheckUnbindsLabelsThatMoved)
{
    WatchList list;
    list.add(0x1000, "PORTA", false);
    list.add(0xE000, "START", true);
    list.add(0x0040, "GONE", false);
    list.add(0x0050, "", false);
    SymbolTable t = symbols({{"PORTA", 0x1000}, {"START", 0xE100}});
    EXPECT_EQ(list.recheckSymbols(t), 2);
    EXPECT_TRUE(list[0].WatchNamed);
    EXPECT_FALSE(list[1].WatchNamed);
    EXPECT_EQ(list[1].WatchAddress, 0xE000) << "the address is kept";
    EXPECT_EQ(list.rowText(1), "$E000");
    EXPECT_FALSE(list[2].WatchNamed);
    EXPECT_FALSE(list[3].WatchNamed);
}

TEST(WatchPopup, RowHitWithData)
{
    WatchList list;
    list.add(0x10, "", false);
    list.setFormat(0, ' ');
    WatchView view;
    ViewPopupState s = view.popupState(list, 0, true, -1);
    EXPECT_EQ(s.selectRow, 0);
    EXPECT_TRUE(s.watchItemsVisible);
    EXPECT_TRUE(s.editWatchEnabled && s.removeWatchEnabled);
    EXPECT_TRUE(s.enterEnabled && s.hexEnabled && s.binaryEnabled && s.decimalEnabled);
    EXPECT_TRUE(s.decimalChecked);
    EXPECT_FALSE(s.hexChecked || s.binaryChecked);
    EXPECT_EQ(s.helpEnter, 82);
    EXPECT_EQ(s.helpAutoRefresh, 86);
}

TEST(WatchPopup, NoRowOrNoData)
{
    WatchList list;
    WatchView view;
    ViewPopupState s = view.popupState(list, -1, false, -1);
    EXPECT_FALSE(s.enterEnabled || s.hexEnabled || s.binaryEnabled || s.decimalEnabled);
    EXPECT_FALSE(s.editWatchEnabled || s.removeWatchEnabled) << "empty list";

    list.add(0x10, "", false);
    list.setFormat(0, '%');
    s = view.popupState(list, -1, true, 0);
    EXPECT_TRUE(s.editWatchEnabled && s.removeWatchEnabled);
    EXPECT_FALSE(s.enterEnabled);
    EXPECT_TRUE(s.binaryChecked);
    EXPECT_EQ(s.selectRow, -1);
}

TEST(WatchPopup, RemovingTheOnlyWatchDisablesRemove)
{
    WatchList list;
    WatchView view;
    list.add(0x10, "", false);
    list.remove(0);
    ViewPopupState s = view.popupState(list, 0, true, 0);
    EXPECT_FALSE(s.removeWatchEnabled);
    EXPECT_FALSE(s.editWatchEnabled);
}

TEST(WatchView, FailedAccessSwitchesAutoRefreshOff)
{
    WatchView view;
    EXPECT_TRUE(view.toggleAutoRefresh());
    ViewPopupState s = view.popupState(WatchList{}, -1, false, -1);
    EXPECT_TRUE(s.autoRefreshChecked);
    EXPECT_FALSE(s.refreshWindowEnabled);
    EXPECT_TRUE(view.accessed(true));
    EXPECT_TRUE(view.autoRefreshOn());
    EXPECT_FALSE(view.accessed(false));
    EXPECT_FALSE(view.autoRefreshOn());
}

} // namespace
