// Everything a register window does besides its widgets: the rows of its
// catalogue entry with their display formats, the value texts (including the
// CCR flag form), the text handed to the Enter Value dialog, what a
// confirmed edit writes where, the auto-refresh flag and the popup state.
#pragma once

#include "link/CpuRegisters.h"
#include "views/MemoryPort.h"
#include "views/RegisterCatalogue.h"
#include "views/ViewPopup.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zelk {

// The CCR in flag form: "%" and, for bits 7 down to 0, the letter of
// S X H I N Z V C when the bit is set, "0" when it is clear ($D4 -> %SX0I0Z00).
std::string ccrFlagText(uint8_t ccr);

// Current value of a row. CPU rows read the register record (D = A * 256 + B);
// register-block and PIA rows read `image`, which holds the window's copy
// starting at $1000 or $1800; a row outside the copy reads as 0.
int32_t registerValue(const RegisterInfo& row, const CpuRegisters& cpu, std::span<const uint8_t> image);

// Value text of a row: the CCR row in flag form, every other row with
// FormatValue(value, format, isWord).
std::string registerValueText(const RegisterInfo& row, int32_t value, char format);

// What a confirmed edit of a row with `value` does on the target.
struct RegisterEdit {
    RegisterWrite kind = RegisterWrite::ReadOnly;
    int32_t address = -1;        // where the bytes go (Byte, Word)
    std::vector<uint8_t> bytes;  // one byte, or high and low byte of a word
};
RegisterEdit registerEdit(const RegisterInfo& row, int32_t value);

// Carries out an edit: OutByte or OutBytes through the port, or PC into the
// register record. Nothing for read-only rows and rows that write nowhere.
void applyRegisterEdit(const RegisterEdit& edit, MemoryPort& port, CpuRegisters& cpu);

class RegisterView {
public:
    explicit RegisterView(RegisterWindow window);

    RegisterWindow window() const { return window_; }
    const RegisterWindowInfo& info() const { return windowInfo(window_); }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool validRow(int row) const { return row >= 0 && row < rowCount(); }
    // Rows are 0-based here (the list's row 1 is row 0).
    const RegisterInfo& row(int row) const { return rows_[static_cast<size_t>(row)]; }

    char format(int row) const { return formats_[static_cast<size_t>(row)]; }
    // mnuViewHex / mnuViewBin / mnuViewDec on the selected row; ignores a
    // row outside the window and a format other than '$', '%', ' '.
    void setFormat(int row, char format);
    // The format items are offered on every row but CCR.
    bool formatItemsEnabled(int row) const { return validRow(row) && !this->row(row).flagForm(); }
    // mnuEnter opens the dialog only for rows that are not read-only.
    bool canEdit(int row) const { return validRow(row) && !this->row(row).readOnly(); }

    // Value texts of all rows, for Redraw. `image` is the register image or
    // the PIA image as the window's source says (ignored by the CPU window).
    std::vector<std::string> valueTexts(const CpuRegisters& cpu, std::span<const uint8_t> image) const;
    std::string valueText(int row, const CpuRegisters& cpu, std::span<const uint8_t> image) const;
    // DialogText for editing a row: the value text, but the CCR as a number
    // in the row's format so that the dialog starts from something it accepts.
    std::string dialogText(int row, const CpuRegisters& cpu, std::span<const uint8_t> image) const;

    // Where the window reads from on refresh (register-block and PIA windows).
    int32_t readAddress() const;
    int32_t readCount() const;
    // Reads the window's image through the port (register-block and PIA
    // windows; the CPU window refreshes with InCPU). Returns the link-ready
    // flag; a failed read switches auto refresh off.
    bool refreshImage(MemoryPort& port, std::span<uint8_t> image);
    // The outcome of a refresh done elsewhere (InCPU, or the refresh cycle's
    // shared read): false switches auto refresh off. Returns ok.
    bool refreshed(bool ok);

    bool autoRefreshOn() const { return autoRefreshOn_; }
    // mnuAutoRefresh: toggles and returns the new state (the CPU window has
    // no auto refresh and stays off).
    bool toggleAutoRefresh();

    // The popup for a right click on `hitRow` (-1: below the rows), with the
    // window showing data or not.
    ViewPopupState popupState(int hitRow, bool hasData) const;

private:
    RegisterWindow window_;
    std::span<const RegisterInfo> rows_;
    std::vector<char> formats_;
    bool autoRefreshOn_ = false;
};

} // namespace zelk
