// The register catalogue: every register the nine register windows show (the
// CPU registers, the on-chip register block at $1000-$103F and the board's
// PIA at $1800), in one table with its address, width, initial display
// format, what an edit writes and the names of its bits; and the windows
// themselves (form, caption, placement keys, data source).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zelk {

// The windows, in the order of the View menu's register items.
enum class RegisterWindow { CPU, Ports, Timer, PulseAcc, SCI, SPI, AD, Other, PIA };
inline constexpr int RegisterWindowCount = 9;

// Where a window's values come from.
enum class RegisterSource {
    CpuRecord,      // the CPU register record, read by InCPU
    RegisterImage,  // the 64-byte copy of $1000-$103F
    PiaImage,       // the 10-byte copy of $1800-$1809
};

// What a confirmed edit of a row does.
enum class RegisterWrite {
    ReadOnly,  // the row refuses editing: no dialog opens
    Byte,      // OutByte(address, value)
    Word,      // OutBytes(address, [high, low], 2)
    Record,    // PC: stored in the register record only, sent with the next run or step
    Nowhere,   // the dialog opens but the value is written nowhere (PIA inputs)
};

// The CPU register record field behind a CPU window row.
enum class CpuField { None, A, B, D, IX, IY, PC, SP, CCR };

struct RegisterInfo {
    RegisterWindow window;
    std::string_view name;   // item text of the row
    int32_t address;         // target address; CPU rows: where the register is saved (PC: -1)
    bool isWord;             // 16 bits, high byte at the lower address
    char format;             // format at load: '$' hex, '%' binary, ' ' decimal
    RegisterWrite write;
    CpuField cpuField;       // CPU rows only
    // Names of bits 7 down to 0, separated by single spaces, "-" for an
    // unused bit; empty for registers that hold a plain number.
    std::string_view bitNames;

    bool readOnly() const { return write == RegisterWrite::ReadOnly; }
    // The CCR row always shows its flags and offers no format choice.
    bool flagForm() const { return cpuField == CpuField::CCR; }
};

struct RegisterWindowInfo {
    RegisterWindow window;
    std::string_view form;             // frmRegCPU ...
    std::string_view caption;          // "CPU Registers" ...
    std::string_view placementPrefix;  // "RegCPU" ...: keys prefix + State/Left/Top/Width/Height
    std::string_view viewMenuItem;     // mnuViewRegCPU ...
    RegisterSource source;
    int nameColumnTwips;               // width of the name column
    bool hasAutoRefresh;               // every window but the CPU window
};

// The whole catalogue, grouped by window in View-menu order, rows in display order.
std::span<const RegisterInfo> registerCatalogue();
// The rows of one window, in display order (row 1 is element 0).
std::span<const RegisterInfo> registersOf(RegisterWindow window);
// The windows in View-menu order, and one of them.
std::span<const RegisterWindowInfo> registerWindows();
const RegisterWindowInfo& windowInfo(RegisterWindow window);

// The register block and PIA images the windows draw from.
inline constexpr int32_t RegisterBlockBase = 0x1000;
inline constexpr int16_t RegisterBlockSize = 64;
inline constexpr int32_t PiaBase = 0x1800;
inline constexpr int16_t PiaSize = 10;

} // namespace zelk
