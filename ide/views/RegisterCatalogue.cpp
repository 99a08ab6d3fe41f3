// The register catalogue as data. Bit names follow the 68HC11 register
// block of the E series.
#include "views/RegisterCatalogue.h"

#include <array>

namespace zelk {

namespace {

using W = RegisterWindow;
using Wr = RegisterWrite;
using F = CpuField;

constexpr RegisterInfo reg(W w, std::string_view name, int32_t address, char format, Wr write,
                           std::string_view bits)
{
    return RegisterInfo{w, name, address, false, format, write, F::None, bits};
}

constexpr RegisterInfo word(W w, std::string_view name, int32_t address, Wr write)
{
    return RegisterInfo{w, name, address, true, '$', write, F::None, ""};
}

constexpr RegisterInfo cpu(std::string_view name, int32_t address, bool isWord, char format, Wr write,
                           F field, std::string_view bits = "")
{
    return RegisterInfo{W::CPU, name, address, isWord, format, write, field, bits};
}

constexpr std::array<RegisterInfo, 61> catalogue = {{
    // CPU Registers: saved at $0000-$0008 while the program is stopped.
    cpu("A", 0x0000, false, '$', Wr::Byte, F::A),
    cpu("B", 0x0001, false, '$', Wr::Byte, F::B),
    cpu("D", 0x0000, true, '$', Wr::Word, F::D),
    cpu("IX", 0x0002, true, '$', Wr::Word, F::IX),
    cpu("IY", 0x0004, true, '$', Wr::Word, F::IY),
    cpu("PC", -1, true, '$', Wr::Record, F::PC),
    cpu("SP", 0x0006, true, '$', Wr::ReadOnly, F::SP),
    cpu("CCR", 0x0008, false, '%', Wr::Byte, F::CCR, "S X H I N Z V C"),

    // Port Registers.
    reg(W::Ports, "PORTA", 0x1000, '%', Wr::Byte, "PA7 PA6 PA5 PA4 PA3 PA2 PA1 PA0"),
    reg(W::Ports, "PORTB", 0x1004, '%', Wr::Byte, "PB7 PB6 PB5 PB4 PB3 PB2 PB1 PB0"),
    reg(W::Ports, "PORTC", 0x1003, '%', Wr::Byte, "PC7 PC6 PC5 PC4 PC3 PC2 PC1 PC0"),
    reg(W::Ports, "PORTCL", 0x1005, '%', Wr::Byte, "PCL7 PCL6 PCL5 PCL4 PCL3 PCL2 PCL1 PCL0"),
    reg(W::Ports, "DDRC", 0x1007, '%', Wr::Byte, "DDC7 DDC6 DDC5 DDC4 DDC3 DDC2 DDC1 DDC0"),
    reg(W::Ports, "PORTD", 0x1008, '%', Wr::Byte, "- - PD5 PD4 PD3 PD2 PD1 PD0"),
    reg(W::Ports, "DDRD", 0x1009, '%', Wr::Byte, "- - DDD5 DDD4 DDD3 DDD2 DDD1 DDD0"),
    reg(W::Ports, "PORTE", 0x100A, '%', Wr::ReadOnly, "PE7 PE6 PE5 PE4 PE3 PE2 PE1 PE0"),
    reg(W::Ports, "PIOC", 0x1002, '%', Wr::Byte, "STAF STAI CWOM HNDS OIN PLS EGA INVB"),

    // Timer Registers: the counters and input captures are read-only.
    word(W::Timer, "TCNT", 0x100E, Wr::ReadOnly),
    word(W::Timer, "TIC1", 0x1010, Wr::ReadOnly),
    word(W::Timer, "TIC2", 0x1012, Wr::ReadOnly),
    word(W::Timer, "TIC3", 0x1014, Wr::ReadOnly),
    word(W::Timer, "TOC1", 0x1016, Wr::Word),
    word(W::Timer, "TOC2", 0x1018, Wr::Word),
    word(W::Timer, "TOC3", 0x101A, Wr::Word),
    word(W::Timer, "TOC4", 0x101C, Wr::Word),
    word(W::Timer, "TOC5", 0x101E, Wr::Word),
    reg(W::Timer, "TCTL1", 0x1020, '%', Wr::Byte, "OM2 OL2 OM3 OL3 OM4 OL4 OM5 OL5"),
    reg(W::Timer, "TCTL2", 0x1021, '%', Wr::Byte, "EDG4B EDG4A EDG1B EDG1A EDG2B EDG2A EDG3B EDG3A"),
    reg(W::Timer, "TMSK1", 0x1022, '%', Wr::Byte, "OC1I OC2I OC3I OC4I I4/O5I IC1I IC2I IC3I"),
    reg(W::Timer, "TFLG1", 0x1023, '%', Wr::Byte, "OC1F OC2F OC3F OC4F I4/O5F IC1F IC2F IC3F"),
    reg(W::Timer, "TMSK2", 0x1024, '%', Wr::Byte, "TOI RTII PAOVI PAII - - PR1 PR0"),
    reg(W::Timer, "TFLG2", 0x1025, '%', Wr::Byte, "TOF RTIF PAOVF PAIF - - - -"),
    reg(W::Timer, "CFORC", 0x100B, '%', Wr::Byte, "FOC1 FOC2 FOC3 FOC4 FOC5 - - -"),
    reg(W::Timer, "OC1M", 0x100C, '%', Wr::Byte, "OC1M7 OC1M6 OC1M5 OC1M4 OC1M3 - - -"),
    reg(W::Timer, "OC1D", 0x100D, '%', Wr::Byte, "OC1D7 OC1D6 OC1D5 OC1D4 OC1D3 - - -"),

    // Pulse Acc Reg.
    reg(W::PulseAcc, "PACNT", 0x1027, '$', Wr::Byte, ""),
    reg(W::PulseAcc, "PACTL", 0x1026, '%', Wr::Byte, "DDRA7 PAEN PAMOD PEDGE DDRA3 I4/O5 RTR1 RTR0"),

    // SCI Registers.
    reg(W::SCI, "BAUD", 0x102B, '%', Wr::Byte, "TCLR - SCP1 SCP0 RCKB SCR2 SCR1 SCR0"),
    reg(W::SCI, "SCCR1", 0x102C, '%', Wr::Byte, "R8 T8 - M WAKE - - -"),
    reg(W::SCI, "SCCR2", 0x102D, '%', Wr::Byte, "TIE TCIE RIE ILIE TE RE RWU SBK"),
    reg(W::SCI, "SCSR", 0x102E, '%', Wr::ReadOnly, "TDRE TC RDRF IDLE OR NF FE -"),
    reg(W::SCI, "SCDR", 0x102F, '$', Wr::Byte, ""),

    // SPI Registers.
    reg(W::SPI, "SPCR", 0x1028, '%', Wr::Byte, "SPIE SPE DWOM MSTR CPOL CPHA SPR1 SPR0"),
    reg(W::SPI, "SPSR", 0x1029, '%', Wr::ReadOnly, "SPIF WCOL - MODF - - - -"),
    reg(W::SPI, "SPDR", 0x102A, '$', Wr::Byte, ""),

    // A/D Registers: the result registers are read-only.
    reg(W::AD, "ADCTL", 0x1030, '%', Wr::Byte, "CCF - SCAN MULT CD CC CB CA"),
    reg(W::AD, "ADR1", 0x1031, '$', Wr::ReadOnly, ""),
    reg(W::AD, "ADR2", 0x1032, '$', Wr::ReadOnly, ""),
    reg(W::AD, "ADR3", 0x1033, '$', Wr::ReadOnly, ""),
    reg(W::AD, "ADR4", 0x1034, '$', Wr::ReadOnly, ""),

    // Other Registers.
    reg(W::Other, "OPTION", 0x1039, '%', Wr::Byte, "ADPU CSEL IRQE DLY CME - CR1 CR0"),
    reg(W::Other, "PPROG", 0x103B, '%', Wr::Byte, "ODD EVEN - BYTE ROW ERASE EELAT EPGM"),
    reg(W::Other, "HPRIO", 0x103C, '%', Wr::Byte, "RBOOT SMOD MDA IRV PSEL3 PSEL2 PSEL1 PSEL0"),
    reg(W::Other, "INIT", 0x103D, '%', Wr::Byte, "RAM3 RAM2 RAM1 RAM0 REG3 REG2 REG1 REG0"),
    reg(W::Other, "CONFIG", 0x103F, '%', Wr::ReadOnly, "- - - - NOSEC NOCOP ROMON EEON"),

    // PIA Registers. The input rows open the dialog but write nowhere: the
    // port's input pins cannot be set from here.
    reg(W::PIA, "DataIn A", 0x1800, '%', Wr::Nowhere, "PA7 PA6 PA5 PA4 PA3 PA2 PA1 PA0"),
    reg(W::PIA, "DataOut A", 0x1804, '%', Wr::Byte, "PA7 PA6 PA5 PA4 PA3 PA2 PA1 PA0"),
    reg(W::PIA, "Dir A", 0x1806, '%', Wr::Byte, "DA7 DA6 DA5 DA4 DA3 DA2 DA1 DA0"),
    reg(W::PIA, "DataIn B", 0x1801, '%', Wr::Nowhere, "PB7 PB6 PB5 PB4 PB3 PB2 PB1 PB0"),
    reg(W::PIA, "DataOut B", 0x1805, '%', Wr::Byte, "PB7 PB6 PB5 PB4 PB3 PB2 PB1 PB0"),
    reg(W::PIA, "Dir B", 0x1807, '%', Wr::Byte, "DB7 DB6 DB5 DB4 DB3 DB2 DB1 DB0"),
}};

// Rows per window, in View-menu order; they add up to the catalogue size.
constexpr std::array<size_t, RegisterWindowCount> rowCounts = {8, 9, 18, 2, 5, 3, 5, 5, 6};

constexpr std::array<RegisterWindowInfo, RegisterWindowCount> windows = {{
    {W::CPU, "frmRegCPU", "CPU Registers", "RegCPU", "mnuViewRegCPU", RegisterSource::CpuRecord, 780, false},
    {W::Ports, "frmRegPorts", "Port Registers", "RegPorts", "mnuViewRegPorts", RegisterSource::RegisterImage, 780, true},
    {W::Timer, "frmRegTimer", "Timer Registers", "RegTimer", "mnuViewRegTimer", RegisterSource::RegisterImage, 780, true},
    {W::PulseAcc, "frmRegPA", "Pulse Acc Reg", "RegPA", "mnuViewRegPulseAcc", RegisterSource::RegisterImage, 780, true},
    {W::SCI, "frmRegSCI", "SCI Registers", "RegSCI", "mnuViewRegSCI", RegisterSource::RegisterImage, 780, true},
    {W::SPI, "frmRegSPI", "SPI Registers", "RegSPI", "mnuViewRegSPI", RegisterSource::RegisterImage, 780, true},
    {W::AD, "frmRegAD", "A/D Registers", "RegAD", "mnuViewRegAD", RegisterSource::RegisterImage, 780, true},
    {W::Other, "frmRegOther", "Other Registers", "RegOther", "mnuViewRegOther", RegisterSource::RegisterImage, 780, true},
    {W::PIA, "frmRegPIA", "PIA Registers", "RegPIA", "mnuViewRegPIA", RegisterSource::PiaImage, 900, true},
}};

constexpr bool consistent()
{
    size_t at = 0;
    for (int w = 0; w < RegisterWindowCount; ++w) {
        if (windows[static_cast<size_t>(w)].window != static_cast<W>(w))
            return false;
        for (size_t i = 0; i < rowCounts[static_cast<size_t>(w)]; ++i, ++at)
            if (at >= catalogue.size() || catalogue[at].window != static_cast<W>(w))
                return false;
    }
    return at == catalogue.size();
}
static_assert(consistent(), "register catalogue rows must be grouped by window in menu order");

} // namespace

std::span<const RegisterInfo> registerCatalogue()
{
    return catalogue;
}

std::span<const RegisterInfo> registersOf(RegisterWindow window)
{
    size_t first = 0;
    size_t w = static_cast<size_t>(window);
    if (w >= rowCounts.size())
        return {};
    for (size_t i = 0; i < w; ++i)
        first += rowCounts[i];
    return std::span<const RegisterInfo>(catalogue).subspan(first, rowCounts[w]);
}

std::span<const RegisterWindowInfo> registerWindows()
{
    return windows;
}

const RegisterWindowInfo& windowInfo(RegisterWindow window)
{
    size_t w = static_cast<size_t>(window);
    return windows[w < windows.size() ? w : 0];
}

} // namespace zelk
