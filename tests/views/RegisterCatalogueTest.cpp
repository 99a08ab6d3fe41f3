// The register catalogue against the documented table of every window's
// rows: name, address, width, format at load and what an edit writes.
#include "views/RegisterCatalogue.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <sstream>
#include <string>

using namespace zelk;

namespace {

struct Expected {
    RegisterWindow window;
    int row;  // 1-based, as the window numbers them
    const char* name;
    int32_t address;
    bool isWord;
    char format;
    RegisterWrite write;
};

using W = RegisterWindow;
using Wr = RegisterWrite;

const Expected expected[] = {
    {W::CPU, 1, "A", 0x0000, false, '$', Wr::Byte},
    {W::CPU, 2, "B", 0x0001, false, '$', Wr::Byte},
    {W::CPU, 3, "D", 0x0000, true, '$', Wr::Word},
    {W::CPU, 4, "IX", 0x0002, true, '$', Wr::Word},
    {W::CPU, 5, "IY", 0x0004, true, '$', Wr::Word},
    {W::CPU, 6, "PC", -1, true, '$', Wr::Record},
    {W::CPU, 7, "SP", 0x0006, true, '$', Wr::ReadOnly},
    {W::CPU, 8, "CCR", 0x0008, false, '%', Wr::Byte},
    {W::Ports, 1, "PORTA", 0x1000, false, '%', Wr::Byte},
    {W::Ports, 2, "PORTB", 0x1004, false, '%', Wr::Byte},
    {W::Ports, 3, "PORTC", 0x1003, false, '%', Wr::Byte},
    {W::Ports, 4, "PORTCL", 0x1005, false, '%', Wr::Byte},
    {W::Ports, 5, "DDRC", 0x1007, false, '%', Wr::Byte},
    {W::Ports, 6, "PORTD", 0x1008, false, '%', Wr::Byte},
    {W::Ports, 7, "DDRD", 0x1009, false, '%', Wr::Byte},
    {W::Ports, 8, "PORTE", 0x100A, false, '%', Wr::ReadOnly},
    {W::Ports, 9, "PIOC", 0x1002, false, '%', Wr::Byte},
    {W::Timer, 1, "TCNT", 0x100E, true, '$', Wr::ReadOnly},
    {W::Timer, 2, "TIC1", 0x1010, true, '$', Wr::ReadOnly},
    {W::Timer, 3, "TIC2", 0x1012, true, '$', Wr::ReadOnly},
    {W::Timer, 4, "TIC3", 0x1014, true, '$', Wr::ReadOnly},
    {W::Timer, 5, "TOC1", 0x1016, true, '$', Wr::Word},
    {W::Timer, 6, "TOC2", 0x1018, true, '$', Wr::Word},
    {W::Timer, 7, "TOC3", 0x101A, true, '$', Wr::Word},
    {W::Timer, 8, "TOC4", 0x101C, true, '$', Wr::Word},
    {W::Timer, 9, "TOC5", 0x101E, true, '$', Wr::Word},
    {W::Timer, 10, "TCTL1", 0x1020, false, '%', Wr::Byte},
    {W::Timer, 11, "TCTL2", 0x1021, false, '%', Wr::Byte},
    {W::Timer, 12, "TMSK1", 0x1022, false, '%', Wr::Byte},
    {W::Timer, 13, "TFLG1", 0x1023, false, '%', Wr::Byte},
    {W::Timer, 14, "TMSK2", 0x1024, false, '%', Wr::Byte},
    {W::Timer, 15, "TFLG2", 0x1025, false, '%', Wr::Byte},
    {W::Timer, 16, "CFORC", 0x100B, false, '%', Wr::Byte},
    {W::Timer, 17, "OC1M", 0x100C, false, '%', Wr::Byte},
    {W::Timer, 18, "OC1D", 0x100D, false, '%', Wr::Byte},
    {W::PulseAcc, 1, "PACNT", 0x1027, false, '$', Wr::Byte},
    {W::PulseAcc, 2, "PACTL", 0x1026, false, '%', Wr::Byte},
    {W::SCI, 1, "BAUD", 0x102B, false, '%', Wr::Byte},
    {W::SCI, 2, "SCCR1", 0x102C, false, '%', Wr::Byte},
    {W::SCI, 3, "SCCR2", 0x102D, false, '%', Wr::Byte},
    {W::SCI, 4, "SCSR", 0x102E, false, '%', Wr::ReadOnly},
    {W::SCI, 5, "SCDR", 0x102F, false, '$', Wr::Byte},
    {W::SPI, 1, "SPCR", 0x1028, false, '%', Wr::Byte},
    {W::SPI, 2, "SPSR", 0x1029, false, '%', Wr::ReadOnly},
    {W::SPI, 3, "SPDR", 0x102A, false, '$', Wr::Byte},
    {W::AD, 1, "ADCTL", 0x1030, false, '%', Wr::Byte},
    {W::AD, 2, "ADR1", 0x1031, false, '$', Wr::ReadOnly},
    {W::AD, 3, "ADR2", 0x1032, false, '$', Wr::ReadOnly},
    {W::AD, 4, "ADR3", 0x1033, false, '$', Wr::ReadOnly},
    {W::AD, 5, "ADR4", 0x1034, false, '$', Wr::ReadOnly},
    {W::Other, 1, "OPTION", 0x1039, false, '%', Wr::Byte},
    {W::Other, 2, "PPROG", 0x103B, false, '%', Wr::Byte},
    {W::Other, 3, "HPRIO", 0x103C, false, '%', Wr::Byte},
    {W::Other, 4, "INIT", 0x103D, false, '%', Wr::Byte},
    {W::Other, 5, "CONFIG", 0x103F, false, '%', Wr::ReadOnly},
    {W::PIA, 1, "DataIn A", 0x1800, false, '%', Wr::Nowhere},
    {W::PIA, 2, "DataOut A", 0x1804, false, '%', Wr::Byte},
    {W::PIA, 3, "Dir A", 0x1806, false, '%', Wr::Byte},
    {W::PIA, 4, "DataIn B", 0x1801, false, '%', Wr::Nowhere},
    {W::PIA, 5, "DataOut B", 0x1805, false, '%', Wr::Byte},
    {W::PIA, 6, "Dir B", 0x1807, false, '%', Wr::Byte},
};

void PrintTo(const Expected& e, std::ostream* os)
{
    *os << e.name;
}

class CatalogueRow : public testing::TestWithParam<Expected> {};

TEST_P(CatalogueRow, MatchesTheDocumentedRegister)
{
    const Expected& e = GetParam();
    auto rows = registersOf(e.window);
    ASSERT_LE(static_cast<size_t>(e.row), rows.size());
    const RegisterInfo& r = rows[static_cast<size_t>(e.row - 1)];
    EXPECT_EQ(r.name, e.name);
    EXPECT_EQ(r.window, e.window);
    EXPECT_EQ(r.address, e.address) << e.name;
    EXPECT_EQ(r.isWord, e.isWord) << e.name;
    EXPECT_EQ(r.format, e.format) << e.name;
    EXPECT_EQ(r.write, e.write) << e.name;
    EXPECT_EQ(r.readOnly(), e.write == Wr::ReadOnly) << e.name;
}

INSTANTIATE_TEST_SUITE_P(EveryRegister, CatalogueRow, testing::ValuesIn(expected),
                         [](const testing::TestParamInfo<Expected>& info) {
                             std::string n = info.param.name;
                             std::string out;
                             for (char c : n)
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     out += c;
                             return out + "_" + std::to_string(info.index);
                         });

TEST(RegisterCatalogue, RowCountsPerWindowAndTotal)
{
    const std::pair<W, size_t> counts[] = {{W::CPU, 8},   {W::Ports, 9}, {W::Timer, 18},
                                           {W::PulseAcc, 2}, {W::SCI, 5}, {W::SPI, 3},
                                           {W::AD, 5},    {W::Other, 5}, {W::PIA, 6}};
    size_t total = 0;
    for (auto [w, n] : counts) {
        EXPECT_EQ(registersOf(w).size(), n) << windowInfo(w).caption;
        total += n;
    }
    EXPECT_EQ(registerCatalogue().size(), total);
    EXPECT_EQ(total, std::size(expected));
}

TEST(RegisterCatalogue, WindowsInViewMenuOrder)
{
    struct Win {
        W window;
        const char* form;
        const char* caption;
        const char* prefix;
        const char* menu;
        RegisterSource source;
        int twips;
        bool autoRefresh;
    };
    const Win wins[] = {
        {W::CPU, "frmRegCPU", "CPU Registers", "RegCPU", "mnuViewRegCPU", RegisterSource::CpuRecord, 780, false},
        {W::Ports, "frmRegPorts", "Port Registers", "RegPorts", "mnuViewRegPorts", RegisterSource::RegisterImage, 780, true},
        {W::Timer, "frmRegTimer", "Timer Registers", "RegTimer", "mnuViewRegTimer", RegisterSource::RegisterImage, 780, true},
        {W::PulseAcc, "frmRegPA", "Pulse Acc Reg", "RegPA", "mnuViewRegPulseAcc", RegisterSource::RegisterImage, 780, true},
        {W::SCI, "frmRegSCI", "SCI Registers", "RegSCI", "mnuViewRegSCI", RegisterSource::RegisterImage, 780, true},
        {W::SPI, "frmRegSPI", "SPI Registers", "RegSPI", "mnuViewRegSPI", RegisterSource::RegisterImage, 780, true},
        {W::AD, "frmRegAD", "A/D Registers", "RegAD", "mnuViewRegAD", RegisterSource::RegisterImage, 780, true},
        {W::Other, "frmRegOther", "Other Registers", "RegOther", "mnuViewRegOther", RegisterSource::RegisterImage, 780, true},
        {W::PIA, "frmRegPIA", "PIA Registers", "RegPIA", "mnuViewRegPIA", RegisterSource::PiaImage, 900, true},
    };
    ASSERT_EQ(registerWindows().size(), std::size(wins));
    for (size_t i = 0; i < std::size(wins); ++i) {
        const RegisterWindowInfo& w = registerWindows()[i];
        SCOPED_TRACE(wins[i].caption);
        EXPECT_EQ(w.window, wins[i].window);
        EXPECT_EQ(&windowInfo(wins[i].window), &w);
        EXPECT_EQ(w.form, wins[i].form);
        EXPECT_EQ(w.caption, wins[i].caption);
        EXPECT_EQ(w.placementPrefix, wins[i].prefix);
        EXPECT_EQ(w.viewMenuItem, wins[i].menu);
        EXPECT_EQ(w.source, wins[i].source);
        EXPECT_EQ(w.nameColumnTwips, wins[i].twips);
        EXPECT_EQ(w.hasAutoRefresh, wins[i].autoRefresh);
    }
}

TEST(RegisterCatalogue, ImageRowsLieInsideTheirImage)
{
    std::set<int32_t> seen;
    for (const RegisterInfo& r : registerCatalogue()) {
        if (r.window == W::CPU)
            continue;
        const RegisterWindowInfo& w = windowInfo(r.window);
        int32_t base = w.source == RegisterSource::PiaImage ? PiaBase : RegisterBlockBase;
        int32_t size = w.source == RegisterSource::PiaImage ? PiaSize : RegisterBlockSize;
        int32_t last = r.address + (r.isWord ? 1 : 0);
        EXPECT_GE(r.address, base) << r.name;
        EXPECT_LT(last, base + size) << r.name;
        EXPECT_TRUE(seen.insert(r.address).second) << r.name << " shares its address";
    }
}

TEST(RegisterCatalogue, BitNamesNameEightBitsOfByteRegisters)
{
    for (const RegisterInfo& r : registerCatalogue()) {
        if (r.bitNames.empty())
            continue;
        EXPECT_FALSE(r.isWord) << r.name;
        std::istringstream in{std::string(r.bitNames)};
        std::string bit;
        int n = 0;
        while (in >> bit)
            ++n;
        EXPECT_EQ(n, 8) << r.name;
    }
    EXPECT_EQ(registersOf(W::CPU)[7].bitNames, "S X H I N Z V C");
    EXPECT_TRUE(registersOf(W::CPU)[7].flagForm());
    EXPECT_FALSE(registersOf(W::CPU)[0].flagForm());
}

TEST(RegisterCatalogue, OnlyCpuAndTimerHaveWordRegisters)
{
    for (const RegisterInfo& r : registerCatalogue()) {
        if (r.isWord) {
            EXPECT_TRUE(r.window == W::CPU || r.window == W::Timer) << r.name;
        }
    }
}

} // namespace
