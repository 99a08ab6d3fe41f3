// Register window logic: value texts per format, the CCR flag form, what an
// edit writes, refresh failures and the popup.
#include "FakePort.h"
#include "views/RegisterView.h"

#include <gtest/gtest.h>

#include <array>

using namespace zelk;

namespace {

int rowOf(const RegisterView& v, std::string_view name)
{
    for (int i = 0; i < v.rowCount(); ++i)
        if (v.row(i).name == name)
            return i;
    ADD_FAILURE() << "no row " << name;
    return -1;
}

TEST(CcrFlagForm, LettersForSetBits)
{
    const std::pair<uint8_t, const char*> cases[] = {
        {0x00, "%00000000"}, {0xFF, "%SXHINZVC"}, {0xD4, "%SX0I0Z00"},
        {0x01, "%0000000C"}, {0x80, "%S0000000"}, {0x2A, "%00H0N0V0"},
    };
    for (auto [ccr, text] : cases)
        EXPECT_EQ(ccrFlagText(ccr), text) << int(ccr);
}

struct TextCase {
    const char* reg;
    int32_t value;
    char format;
    const char* text;
};

TEST(RegisterValueText, PerFormatAndWidth)
{
    const TextCase cases[] = {
        {"A", 15, '$', "$0F"},          {"A", 15, '%', "%00001111"}, {"A", 15, ' ', "15"},
        {"IX", 256, '$', "$0100"},      {"IX", 0, '$', "$0000"},     {"IX", 0, '%', "%0000000000000000"},
        {"IX", 0, ' ', "0"},            {"IY", 65535, ' ', "65535"}, {"IY", 0x8001, '%', "%1000000000000001"},
        {"CCR", 0xD4, '$', "%SX0I0Z00"}, {"CCR", 0xD4, ' ', "%SX0I0Z00"},
    };
    RegisterView cpu(RegisterWindow::CPU);
    for (const TextCase& c : cases)
        EXPECT_EQ(registerValueText(cpu.row(rowOf(cpu, c.reg)), c.value, c.format), c.text)
            << c.reg << " " << c.value << " '" << c.format << "'";
}

TEST(RegisterView, CpuRowsReadTheRegisterRecord)
{
    CpuRegisters regs;
    regs.A = 0x12;
    regs.B = 0x34;
    regs.IX = 0xBEEF;
    regs.IY = 0x0102;
    regs.PC = 0xE000;
    regs.SP = 0x00FF;
    regs.CCR = 0xD4;
    RegisterView v(RegisterWindow::CPU);
    std::vector<std::string> want = {"$12", "$34", "$1234", "$BEEF", "$0102", "$E000", "$00FF", "%SX0I0Z00"};
    EXPECT_EQ(v.valueTexts(regs, {}), want);
}

TEST(RegisterView, BlockRowsReadTheImageHighByteFirst)
{
    std::array<uint8_t, 64> image{};
    image[0x0E] = 0xAB;  // TCNT
    image[0x0F] = 0xCD;
    image[0x20] = 0x05;  // TCTL1
    RegisterView timer(RegisterWindow::Timer);
    EXPECT_EQ(timer.valueText(rowOf(timer, "TCNT"), {}, image), "$ABCD");
    EXPECT_EQ(timer.valueText(rowOf(timer, "TCTL1"), {}, image), "%00000101");

    std::array<uint8_t, 10> pia{};
    pia[4] = 0x81;  // DataOut A at $1804
    RegisterView v(RegisterWindow::PIA);
    EXPECT_EQ(v.valueText(rowOf(v, "DataOut A"), {}, pia), "%10000001");
    // A short image reads as zero beyond its end rather than outside it.
    EXPECT_EQ(timer.valueText(rowOf(timer, "OC1D"), {}, std::span<const uint8_t>(image).first(4)), "%00000000");
}

TEST(RegisterView, FormatChangesPerRowAndIgnoresUnknownFormats)
{
    std::array<uint8_t, 64> image{};
    image[0x27] = 200;
    RegisterView v(RegisterWindow::PulseAcc);
    int pacnt = rowOf(v, "PACNT");
    EXPECT_EQ(v.valueText(pacnt, {}, image), "$C8");
    v.setFormat(pacnt, ' ');
    EXPECT_EQ(v.valueText(pacnt, {}, image), "200");
    v.setFormat(pacnt, 'x');
    EXPECT_EQ(v.format(pacnt), ' ');
    v.setFormat(99, '$');  // outside the window: nothing happens
    EXPECT_EQ(v.format(rowOf(v, "PACTL")), '%');
}

TEST(RegisterView, CcrDialogTextIsANumberInTheRowFormat)
{
    CpuRegisters regs;
    regs.CCR = 0xD4;
    RegisterView v(RegisterWindow::CPU);
    int ccr = rowOf(v, "CCR");
    EXPECT_EQ(v.dialogText(ccr, regs, {}), "%11010100");
    v.setFormat(ccr, '$');
    EXPECT_EQ(v.dialogText(ccr, regs, {}), "$D4");
    EXPECT_EQ(v.valueText(ccr, regs, {}), "%SX0I0Z00");
    EXPECT_EQ(v.dialogText(rowOf(v, "A"), regs, {}), "$00");
}

struct EditCase {
    RegisterWindow window;
    const char* reg;
    int32_t value;
    std::vector<std::string> writes;  // the port's log
    int32_t pc;                       // PC after the edit
};

TEST(RegisterEdit, WritesWhatTheCatalogueSays)
{
    const EditCase cases[] = {
        {RegisterWindow::CPU, "A", 0x12, {"W1 $0000=$12"}, 0},
        {RegisterWindow::CPU, "B", 0xFF, {"W1 $0001=$FF"}, 0},
        {RegisterWindow::CPU, "D", 0x1234, {"W2 $0000=$12,$34"}, 0},
        {RegisterWindow::CPU, "IX", 0xBEEF, {"W2 $0002=$BE,$EF"}, 0},
        {RegisterWindow::CPU, "IY", 0x00FF, {"W2 $0004=$00,$FF"}, 0},
        {RegisterWindow::CPU, "PC", 0xE000, {}, 0xE000},
        {RegisterWindow::CPU, "CCR", 0xD4, {"W1 $0008=$D4"}, 0},
        {RegisterWindow::Timer, "TOC1", 0x1234, {"W2 $1016=$12,$34"}, 0},
        {RegisterWindow::Timer, "TCTL2", 0x0A, {"W1 $1021=$0A"}, 0},
        {RegisterWindow::Ports, "PIOC", 0x40, {"W1 $1002=$40"}, 0},
        {RegisterWindow::PIA, "Dir B", 0xF0, {"W1 $1807=$F0"}, 0},
        {RegisterWindow::PIA, "DataIn A", 0x55, {}, 0},
        {RegisterWindow::CPU, "SP", 0x1234, {}, 0},
        {RegisterWindow::SCI, "SCSR", 0x12, {}, 0},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.reg);
        RegisterView v(c.window);
        FakePort port;
        CpuRegisters regs;
        applyRegisterEdit(registerEdit(v.row(rowOf(v, c.reg)), c.value), port, regs);
        EXPECT_EQ(port.log, c.writes);
        EXPECT_EQ(regs.PC, c.pc);
    }
}

TEST(RegisterEdit, EditingDShowsAAndBAfterTheRefresh)
{
    FakePort port;
    CpuRegisters regs;
    RegisterView v(RegisterWindow::CPU);
    applyRegisterEdit(registerEdit(v.row(rowOf(v, "D")), 0x1234), port, regs);
    std::array<uint8_t, 9> save{};
    for (size_t i = 0; i < 9; ++i)
        save[i] = port.mem[i];
    regs.loadSaveArea(save.data());
    EXPECT_EQ(v.valueText(rowOf(v, "A"), regs, {}), "$12");
    EXPECT_EQ(v.valueText(rowOf(v, "B"), regs, {}), "$34");
}

TEST(RegisterView, ReadOnlyRowsOpenNoDialog)
{
    const std::pair<RegisterWindow, const char*> readOnly[] = {
        {RegisterWindow::CPU, "SP"},     {RegisterWindow::Timer, "TIC1"}, {RegisterWindow::Timer, "TCNT"},
        {RegisterWindow::Ports, "PORTE"}, {RegisterWindow::SCI, "SCSR"},  {RegisterWindow::SPI, "SPSR"},
        {RegisterWindow::AD, "ADR1"},    {RegisterWindow::AD, "ADR2"},   {RegisterWindow::AD, "ADR3"},
        {RegisterWindow::AD, "ADR4"},    {RegisterWindow::Other, "CONFIG"},
    };
    for (auto [w, name] : readOnly) {
        RegisterView v(w);
        EXPECT_FALSE(v.canEdit(rowOf(v, name))) << name;
    }
    RegisterView pia(RegisterWindow::PIA);
    EXPECT_TRUE(pia.canEdit(rowOf(pia, "DataIn A")));
    RegisterView cpu(RegisterWindow::CPU);
    EXPECT_TRUE(cpu.canEdit(rowOf(cpu, "PC")));
    EXPECT_FALSE(cpu.canEdit(-1));
    EXPECT_FALSE(cpu.canEdit(8));
}

TEST(RegisterView, FailedRefreshSwitchesAutoRefreshOff)
{
    RegisterView v(RegisterWindow::Ports);
    EXPECT_FALSE(v.autoRefreshOn());
    EXPECT_TRUE(v.toggleAutoRefresh());

    FakePort port;
    port.mem[0x1000] = 0xAA;
    std::array<uint8_t, 64> image{};
    EXPECT_TRUE(v.refreshImage(port, image));
    EXPECT_EQ(image[0], 0xAA);
    EXPECT_EQ(port.log, std::vector<std::string>{"R64 $1000"});
    EXPECT_TRUE(v.autoRefreshOn());

    port.failFrom = port.accesses;
    port.mem[0x1000] = 0x55;
    EXPECT_FALSE(v.refreshImage(port, image));
    EXPECT_EQ(image[0], 0xAA) << "a failed read leaves the image as it was";
    EXPECT_FALSE(v.autoRefreshOn());
}

TEST(RegisterView, PiaReadsTenBytesAt1800)
{
    RegisterView v(RegisterWindow::PIA);
    FakePort port;
    std::array<uint8_t, 10> image{};
    port.mem[0x1809] = 7;
    EXPECT_TRUE(v.refreshImage(port, image));
    EXPECT_EQ(port.log, std::vector<std::string>{"R10 $1800"});
    EXPECT_EQ(image[9], 7);
}

TEST(RegisterView, CpuWindowHasNoAutoRefresh)
{
    RegisterView v(RegisterWindow::CPU);
    EXPECT_FALSE(v.toggleAutoRefresh());
    EXPECT_FALSE(v.autoRefreshOn());
    EXPECT_TRUE(v.refreshed(true));
    EXPECT_FALSE(v.refreshed(false));
}

TEST(RegisterPopup, RowHitWithData)
{
    RegisterView v(RegisterWindow::Timer);
    int tcnt = rowOf(v, "TCNT");
    int tctl1 = rowOf(v, "TCTL1");
    ViewPopupState s = v.popupState(tcnt, true);
    EXPECT_EQ(s.selectRow, tcnt);
    EXPECT_FALSE(s.enterEnabled) << "read-only";
    EXPECT_TRUE(s.hexEnabled && s.binaryEnabled && s.decimalEnabled);
    EXPECT_TRUE(s.hexChecked);
    EXPECT_FALSE(s.binaryChecked || s.decimalChecked);
    EXPECT_FALSE(s.watchItemsVisible);
    EXPECT_EQ(s.helpEnter, 95);
    EXPECT_EQ(s.helpAutoRefresh, 99);

    v.setFormat(tctl1, ' ');
    s = v.popupState(tctl1, true);
    EXPECT_TRUE(s.enterEnabled);
    EXPECT_TRUE(s.decimalChecked);
    EXPECT_FALSE(s.hexChecked || s.binaryChecked);
}

TEST(RegisterPopup, BelowTheRowsOrWithoutDataDisablesAndUnchecks)
{
    RegisterView v(RegisterWindow::SPI);
    for (auto [row, data] : {std::pair{-1, true}, std::pair{3, true}, std::pair{0, false}}) {
        ViewPopupState s = v.popupState(row, data);
        EXPECT_FALSE(s.enterEnabled || s.hexEnabled || s.binaryEnabled || s.decimalEnabled);
        EXPECT_FALSE(s.hexChecked || s.binaryChecked || s.decimalChecked);
        EXPECT_EQ(s.selectRow, -1);
    }
}

TEST(RegisterPopup, CcrRowHasNoFormatItemsAndCpuHidesAutoRefresh)
{
    RegisterView v(RegisterWindow::CPU);
    ViewPopupState s = v.popupState(rowOf(v, "CCR"), true);
    EXPECT_TRUE(s.enterEnabled);
    EXPECT_FALSE(s.hexEnabled || s.binaryEnabled || s.decimalEnabled);
    EXPECT_TRUE(s.binaryChecked);
    EXPECT_FALSE(s.autoRefreshVisible);
    EXPECT_FALSE(s.setRefreshWindowEnabled);
}

TEST(RegisterPopup, AutoRefreshDisablesRefreshWindow)
{
    RegisterView v(RegisterWindow::AD);
    ViewPopupState s = v.popupState(0, true);
    EXPECT_TRUE(s.refreshWindowEnabled);
    EXPECT_FALSE(s.autoRefreshChecked);
    v.toggleAutoRefresh();
    s = v.popupState(0, true);
    EXPECT_FALSE(s.refreshWindowEnabled);
    EXPECT_TRUE(s.autoRefreshChecked);
    EXPECT_TRUE(s.autoRefreshVisible);
    EXPECT_TRUE(s.setRefreshWindowEnabled);
}

} // namespace
